// GUI layers: full-screen screens and the widgets they own (textured boxes with a centred label,
// one-line text entries), drawn over the 3D scene in a 640 x 480 space whose origin is the
// top-left corner, y growing downward. Screens stack: opening one hides the one below, closing it
// shows that one again. While any screen is open the GUI is the newest input handler, so the
// screens see every event before the key bindings. Main thread only.
#pragma once

#include "foundation/index.h"

#include <cstdint>

struct InputEvent;
struct Texture;
struct TexFont;

// Layer kinds.
constexpr int32_t GUI_EDIT = 0;   // one-line text entry
constexpr int32_t GUI_BUTTON = 1; // box with a centred label
constexpr int32_t GUI_SCREEN = 3; // full-screen layer owning widgets

// Messages sent to a layer's callback.
constexpr int32_t GUI_CREATE = 0;   // once, by GuiOpenScreen, to the new screen
constexpr int32_t GUI_DESTROY = 1;  // to every layer just before it is freed
constexpr int32_t GUI_DRAW = 2;     // every frame; 0 asks for the default drawing
constexpr int32_t GUI_ACTIVATE = 3; // Enter on a focused widget: to its screen, widget as layer
constexpr int32_t GUI_INPUT = 4;    // event points to the InputEvent

constexpr int32_t GUI_TEXT_SIZE = 128; // label / entry buffer, at most 127 characters
constexpr int32_t GUI_MAX_LAYERS = 64; // fixed pool: a few screens with a handful of widgets each
constexpr float GUI_WIDTH = 640.0f;    // GUI space, pixels
constexpr float GUI_HEIGHT = 480.0f;

struct GuiLayer;
// A layer's message handler; non-zero means handled. extra is always 0.
using GuiCallback = int32_t (*)(GuiLayer* layer, int32_t message, const InputEvent* event,
                                int32_t extra);

struct GuiLayer {
    int32_t kind;     // GUI_EDIT, GUI_BUTTON or GUI_SCREEN
    GuiLayer* parent; // the owning screen; null for a screen
    int32_t order;    // sort key of guiIndex
    int32_t x, y;     // top-left corner in GUI space
    int32_t w, h;     // size; with a texture, 0 stands for the texture's own size
    Texture* texture; // box image, or null
    GuiCallback callback;
    char text[GUI_TEXT_SIZE]; // label or entered text, zero-terminated
    TexFont* font;            // a screen's font; a widget without one uses its parent's
    uint8_t visible;          // 1 when created, 0 while hidden
    int32_t maxLength;        // text entry: most characters it takes; 0 for GUI_TEXT_SIZE - 1
};

extern Index guiIndex;       // every live layer, ascending by order
extern GuiLayer* focusLayer; // the widget with keyboard focus, or null

// Client start-up: creates guiIndex and hands GuiDraw to the scene as its GUI pass. Calling it
// again (tests) closes every layer first.
void GuiInit();
// Takes a zero-filled layer from the pool, gives it its order, parent and visible = 1 and inserts
// it into guiIndex; the caller fills the rest. An exhausted pool ends the program (exit 1).
GuiLayer* GuiCreate(GuiLayer* parent);
// Hides the current top screen, makes the GUI the newest input handler, creates the screen and
// sends it GUI_CREATE, where it makes its widgets. Returns the new screen.
GuiLayer* GuiOpenScreen(GuiCallback callback);
// A box with a texture (or null) and a label (copied, at most 127 characters) owned by parent.
GuiLayer* GuiCreateButton(GuiLayer* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                          Texture* texture, const char* text);
// A text entry with initial text; takes the focus when no widget has it. Text input is on while
// any text entry exists.
GuiLayer* GuiCreateEdit(GuiLayer* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                        Texture* texture, const char* text);
// Closes the newest screen with this callback and its widgets; the screen below, if any, shows
// again.
// No such screen ends the program (exit 1).
void GuiFreeLayer(GuiCallback callback);
// Gives a widget the keyboard focus (null: none).
void GuiSetFocus(GuiLayer* layer);
// True for layers that can take the focus (text entries).
bool GuiIsFocusable(const GuiLayer* layer);
// Orders layers by order (signed): 1, -1 or 0.
int GuiCompareOrder(const Index* index, const void* a, const void* b);

// Draws every visible layer; called once a frame by ClientRender after the drawHook overlay.
void GuiDraw();
// Default drawing of one widget: its box and its label centred in it. Screens draw nothing. A text
// entry shows as much of the end of its text as fits the box, and a caret while it has the focus.
void GuiDrawLayer(GuiLayer* layer);
// Where a text entry's caret is drawn: GUI-space x and y (the top of the text line).
void GuiEditCaret(const GuiLayer* layer, float* x, float* y);
// A mouse event's window position in GUI space, for any window shape and view size; false while
// the window has no size.
bool GuiMousePoint(const InputEvent* event, float* x, float* y);
// A filled rectangle in GUI space (y down), in the current colour and texture.
void GuiQuad(float x0, float y0, float x1, float y1);

// The input handler present while a screen is open: the focused widget (while it is on screen),
// then every layer newest first, hidden ones included; 0 lets the event go on to the bindings.
// What a screen took goes into the frame's input record.
int GuiHandleInput(const InputEvent* event);
// The same routing for a press the screens took in a recorded frame (a demo's playback); it is
// not added to the record again.
int GuiReplayInput(const InputEvent* event);
// Focus keys of a screen: Tab/Down forward, Up backward, Enter activates the focused widget.
int32_t GuiNavigate(GuiLayer* screen, const InputEvent* event);
// The text-entry callback: typed text (KEY_TEXT) appends, one character per code point, those
// outside printable ASCII as '_'; Backspace removes the last character. The keys of printable
// characters are taken without typing (their text comes as KEY_TEXT), so they do not fly the ship.
int32_t GuiEditCallback(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);

// Tests only (the module uses these itself):
// Sends GUI_DESTROY, removes the layer from guiIndex, drops the focus if it held it, frees it.
void GuiDestroyLayer(GuiLayer* layer);
// The first screen in index order with this callback, or null.
GuiLayer* GuiFindScreen(GuiCallback callback);
// The newest open screen, or null.
GuiLayer* GuiTopScreen();
