// GUI layers: a fixed pool of layers kept in guiIndex by order, the input handler that routes
// events to the open screens, focus walking, text entry and the default drawing of widgets.
#include "ui/gui.h"

#include "console/gameinput.h"

#include "core/fatal.h"
#include "core/window.h"
#include "console/input.h"
#include "render/scene.h"
#include "core/log.h"
#include "render/gl.h"
#include "render/textfont.h"
#include "render/texture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Index guiIndex = {};
GuiLayer* focusLayer = nullptr;

namespace {

constexpr int32_t GUI_SCREEN_ORDER_STEP = 10000;
constexpr float GUI_EDIT_GREY = 0.4f;
constexpr float GUI_EDIT_MARGIN = 8.0f; // text keeps this far from a text entry's sides
constexpr float GUI_CARET_WIDTH = 2.0f;

// Layers live in a fixed pool: screens open and close on key presses and at the end of a game,
// which must not allocate.
std::array<GuiLayer, GUI_MAX_LAYERS> guiPool = {};
std::array<bool, GUI_MAX_LAYERS> guiPoolUsed = {};
int32_t nextScreenOrder = GUI_SCREEN_ORDER_STEP;
int32_t childOrderCounter = 1;
bool guiHandlerAdded = false;
int32_t guiEditCount = 0; // live text entries: text input is on while there is one

GuiLayer* GuiAt(int32_t position) {
    return static_cast<GuiLayer*>(guiIndex.items[position]);
}

int32_t GuiPosition(const GuiLayer* layer) {
    for (int32_t i = 0; i < guiIndex.count; ++i)
        if (GuiAt(i) == layer) return i;
    return -1;
}

// The GUI is one input handler, registered once while any screen is open and moved to the top
// of the handler stack on every open and close.
void GuiAddHandler() {
    if (!guiHandlerAdded) InputAddHandler(GuiHandleInput);
    guiHandlerAdded = true;
}

void GuiRemoveHandler() {
    if (guiHandlerAdded) InputRemoveHandler(GuiHandleInput);
    guiHandlerAdded = false;
}

int32_t GuiWidgetCallback(GuiLayer*, int32_t, const InputEvent*, int32_t) {
    return 0;
}

bool GuiIsKeyPress(const InputEvent* event) {
    return event && event->device == INPUT_KEYBOARD && (event->flags & INPUT_PRESS);
}

bool GuiShown(const GuiLayer* layer) {
    return layer->visible && (!layer->parent || layer->parent->visible);
}

GuiLayer* GuiCreateWidget(GuiLayer* parent, int32_t kind, int32_t x, int32_t y, int32_t w,
                          int32_t h, Texture* texture, const char* text) {
    GuiLayer* layer = GuiCreate(parent);
    layer->kind = kind;
    layer->x = x;
    layer->y = y;
    layer->w = w;
    layer->h = h;
    layer->texture = texture;
    std::snprintf(layer->text, sizeof(layer->text), "%s", text ? text : "");
    return layer;
}

// Moves the focus to the next text entry in index order (step +1 or -1), wrapping around. Each
// layer is visited at most once; meeting the focused layer again leaves the focus where it is.
void GuiMoveFocus(int32_t step) {
    int32_t count = guiIndex.count;
    if (count == 0) return;
    int32_t position = focusLayer ? GuiPosition(focusLayer) : -1;
    if (position < 0) position = step > 0 ? count - 1 : 0;
    for (int32_t visited = 0; visited < count; ++visited) {
        position = (position + step + count) % count;
        GuiLayer* layer = GuiAt(position);
        if (layer == focusLayer) return;
        if (GuiIsFocusable(layer)) {
            focusLayer = layer;
            return;
        }
    }
}

// The box size: the stored one, where a zero stands for the texture's own size.
void GuiBoxSize(const GuiLayer* layer, float* w, float* h) {
    *w = static_cast<float>(layer->w);
    *h = static_cast<float>(layer->h);
    if (const Texture* texture = layer->texture) {
        if (layer->w == 0) *w = static_cast<float>(texture->width);
        if (layer->h == 0) *h = static_cast<float>(texture->height);
    }
}

TexFont* GuiLayerFont(const GuiLayer* layer) {
    return layer->font ? layer->font : (layer->parent ? layer->parent->font : nullptr);
}

// The end of a text entry's text that fits inside its box, margins and caret kept clear.
const char* GuiEditVisibleText(const GuiLayer* layer, const TexFont* font, float w) {
    const char* text = layer->text;
    float room = w - 2.0f * GUI_EDIT_MARGIN - GUI_CARET_WIDTH;
    while (*text && TextFontWidth(font, text) > room)
        ++text;
    return text;
}

// A text entry's text centred in its box as far as it fits, and the caret after it.
void GuiDrawEditText(const GuiLayer* layer, const TexFont* font, float w, float h) {
    const char* text = GuiEditVisibleText(layer, font, w);
    float textWidth = TextFontWidth(font, text);
    float textHeight = TextFontHeight(font);
    float left = static_cast<float>(layer->x) + (w - textWidth) / 2.0f;
    float top = static_cast<float>(layer->y) + (h - textHeight) / 2.0f;
    if (*text) TextFontDraw(largeFont, text, left, -top);
    if (layer != focusLayer) return;
    float caretX = left + textWidth;
    gl.Begin(GL_QUADS);
    gl.Vertex3f(caretX, -top, 0.0f);
    gl.Vertex3f(caretX + GUI_CARET_WIDTH, -top, 0.0f);
    gl.Vertex3f(caretX + GUI_CARET_WIDTH, -(top + textHeight), 0.0f);
    gl.Vertex3f(caretX, -(top + textHeight), 0.0f);
    gl.End();
}

} // namespace

int GuiCompareOrder(const Index*, const void* a, const void* b) {
    int32_t left = static_cast<const GuiLayer*>(a)->order;
    int32_t right = static_cast<const GuiLayer*>(b)->order;
    if (left > right) return 1;
    if (left < right) return -1;
    return 0;
}

void GuiInit() {
    // A second call (tests) starts from nothing: every layer closed, the handler gone.
    if (guiIndex.items) {
        while (guiIndex.count > 0)
            GuiDestroyLayer(GuiAt(guiIndex.count - 1));
        IndexFree(&guiIndex);
    }
    GuiRemoveHandler();
    IndexCreate(&guiIndex, INDEX_DEFAULT_CAPACITY, "guiIndex", 0);
    IndexResize(&guiIndex, GUI_MAX_LAYERS);
    guiPool = {};
    guiPoolUsed = {};
    guiEditCount = 0;
    focusLayer = nullptr;
    nextScreenOrder = GUI_SCREEN_ORDER_STEP;
    childOrderCounter = 1;
    SceneSetGuiPass(GuiDraw);
}

GuiLayer* GuiCreate(GuiLayer* parent) {
    int32_t slot = 0;
    while (slot < GUI_MAX_LAYERS && guiPoolUsed[slot])
        ++slot;
    if (slot == GUI_MAX_LAYERS) {
        Log(LOG_ERROR, "GuiCreate: Out of memory error\n");
        FatalExit(1);
    }
    // With no layer alive the orders can start again: nothing is left to sort against, and the
    // counters can then never run out however long the program runs.
    if (guiIndex.count == 0) {
        nextScreenOrder = GUI_SCREEN_ORDER_STEP;
        childOrderCounter = 1;
    }
    guiPoolUsed[slot] = true;
    GuiLayer* layer = &guiPool[slot];
    *layer = {};
    layer->parent = parent;
    layer->visible = 1;
    if (parent) {
        layer->order = parent->order - childOrderCounter;
        childOrderCounter++;
    } else {
        layer->order = nextScreenOrder;
        nextScreenOrder += GUI_SCREEN_ORDER_STEP;
    }
    IndexInsertFixed(&guiIndex, layer, GuiCompareOrder);
    return layer;
}

GuiLayer* GuiOpenScreen(GuiCallback callback) {
    // A screen asked for again (a held Back, the quit binding under its own prompt) is already
    // there: stacking copies would only fill the pool.
    if (GuiLayer* open = GuiFindScreen(callback)) return open;
    GuiLayer* below = GuiTopScreen();
    if (below) {
        below->visible = 0;
        GuiRemoveHandler();
    }
    GuiAddHandler();
    GuiLayer* screen = GuiCreate(nullptr);
    screen->callback = callback;
    screen->kind = GUI_SCREEN;
    callback(screen, GUI_CREATE, nullptr, 0);
    return screen;
}

GuiLayer* GuiCreateButton(GuiLayer* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                          Texture* texture, const char* text) {
    GuiLayer* layer = GuiCreateWidget(parent, GUI_BUTTON, x, y, w, h, texture, text);
    layer->callback = GuiWidgetCallback;
    return layer;
}

GuiLayer* GuiCreateEdit(GuiLayer* parent, int32_t x, int32_t y, int32_t w, int32_t h,
                        Texture* texture, const char* text) {
    GuiLayer* layer = GuiCreateWidget(parent, GUI_EDIT, x, y, w, h, texture, text);
    layer->callback = GuiEditCallback;
    if (!focusLayer) focusLayer = layer;
    if (guiEditCount++ == 0) InputTextStart();
    return layer;
}

void GuiDestroyLayer(GuiLayer* layer) {
    if (layer->callback) layer->callback(layer, GUI_DESTROY, nullptr, 0);
    IndexDelete(&guiIndex, layer, GuiCompareOrder);
    if (focusLayer == layer) focusLayer = nullptr;
    if (layer->kind == GUI_EDIT && guiEditCount > 0 && --guiEditCount == 0) InputTextStop();
    int32_t slot = static_cast<int32_t>(layer - guiPool.data());
    *layer = {};
    guiPoolUsed[slot] = false;
}

GuiLayer* GuiFindScreen(GuiCallback callback) {
    for (int32_t i = 0; i < guiIndex.count; ++i) {
        GuiLayer* layer = GuiAt(i);
        if (layer->kind == GUI_SCREEN && layer->callback == callback) return layer;
    }
    return nullptr;
}

void GuiFreeLayer(GuiCallback callback) {
    // The newest screen with this callback: when a second quit prompt has been opened over a
    // hidden one, "no" must close the prompt on screen.
    GuiLayer* screen = nullptr;
    for (int32_t i = guiIndex.count - 1; i >= 0 && !screen; --i)
        if (GuiAt(i)->kind == GUI_SCREEN && GuiAt(i)->callback == callback) screen = GuiAt(i);
    if (!screen) {
        Log(LOG_ERROR, "GuiFreeLayer: Freeing non-existent layer\n");
        FatalExit(1);
    }
    // A destroy moves another layer into the slot, so the slot is looked at again.
    for (int32_t i = 0; i < guiIndex.count;) {
        if (GuiAt(i)->parent == screen)
            GuiDestroyLayer(GuiAt(i));
        else
            ++i;
    }
    GuiDestroyLayer(screen);
    GuiRemoveHandler();
    GuiLayer* top = GuiTopScreen();
    if (top) {
        top->visible = 1;
        GuiAddHandler();
    }
}

void GuiSetFocus(GuiLayer* layer) {
    focusLayer = layer;
}

GuiLayer* GuiTopScreen() {
    for (int32_t i = guiIndex.count - 1; i >= 0; --i)
        if (GuiAt(i)->kind == GUI_SCREEN) return GuiAt(i);
    return nullptr;
}

bool GuiIsFocusable(const GuiLayer* layer) {
    return layer && layer->kind == GUI_EDIT;
}

int GuiHandleInput(const InputEvent* event) {
    // What the screens take enters the game through the frame's input record, so a demo keeps it.
    const int taken = GuiReplayInput(event);
    if (taken) GameInputAddAction(*event);
    return taken;
}

int GuiReplayInput(const InputEvent* event) {
    // The focused entry types first, but only while it is on screen: under a newer screen (the
    // quit prompt over the name entry) the keys belong to that screen first, and the hidden entry
    // is asked in its place below it.
    GuiLayer* askedFirst = nullptr;
    if (focusLayer && GuiShown(focusLayer)) {
        askedFirst = focusLayer;
        if (focusLayer->callback(focusLayer, GUI_INPUT, event, 0)) return 1;
    }
    // Newest screen first, then its widgets, then older screens; hidden ones are asked too. A
    // callback that returns 0 may still have closed layers, so the position is checked again.
    for (int32_t i = guiIndex.count - 1; i >= 0; --i) {
        if (i >= guiIndex.count) continue;
        GuiLayer* layer = GuiAt(i);
        if (layer == askedFirst) continue;
        // A hidden entry takes nothing: what is typed under a prompt belongs to the prompt.
        if (layer->kind == GUI_EDIT && !GuiShown(layer)) continue;
        if (layer->callback && layer->callback(layer, GUI_INPUT, event, 0)) return 1;
        if (i < guiIndex.count && GuiAt(i) == layer && layer->kind == GUI_SCREEN &&
            GuiNavigate(layer, event))
            return 1;
    }
    // Text is for the screens only: what none of them took never reaches the key bindings.
    return event->key == KEY_TEXT ? 1 : 0;
}

int32_t GuiNavigate(GuiLayer* screen, const InputEvent* event) {
    if (!GuiIsKeyPress(event)) return 0;
    switch (event->key) {
    case KEY_TAB:
    case KEY_DOWN:
        GuiMoveFocus(1);
        return 1;
    case KEY_UP:
        GuiMoveFocus(-1);
        return 1;
    case KEY_ENTER:
        if (!focusLayer) return 0;
        screen->callback(focusLayer, GUI_ACTIVATE, event, 0);
        return 1;
    default:
        return 0;
    }
}

int32_t GuiEditCallback(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    if (message != GUI_INPUT || !GuiIsKeyPress(event)) return 0;
    if (event->key == KEY_TAB || event->key == KEY_ENTER) return 0;
    size_t length = std::strlen(layer->text);
    if (event->key == KEY_BACKSPACE) {
        if (length > 0) layer->text[length - 1] = '\0';
        return 1;
    }
    if (event->key != KEY_TEXT) return InputEventToChar(event) != 0;
    size_t limit = GUI_TEXT_SIZE - 1;
    if (layer->maxLength > 0 && static_cast<size_t>(layer->maxLength) < limit)
        limit = static_cast<size_t>(layer->maxLength);
    if (length < limit) {
        // The fonts and the high-score file hold printable ASCII only.
        layer->text[length] =
            (event->x >= ' ' && event->x < 127) ? static_cast<char>(event->x) : '_';
        layer->text[length + 1] = '\0';
    }
    return 1;
}

void GuiDraw() {
    // GUI space: origin at the top-left corner of the 640 x 480 projection, y downward, so a
    // layer at (x, y) is drawn at (x, -y).
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Translatef(-GUI_WIDTH / 2.0f, GUI_HEIGHT / 2.0f, 0.0f);
    gl.Disable(GL_DEPTH_TEST);
    if (niceFx) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    for (int32_t i = 0; i < guiIndex.count; ++i) {
        GuiLayer* layer = GuiAt(i);
        if (!GuiShown(layer)) continue;
        if (!layer->callback || !layer->callback(layer, GUI_DRAW, nullptr, 0)) GuiDrawLayer(layer);
    }
    gl.Disable(GL_BLEND);
    gl.Enable(GL_DEPTH_TEST);
}

void GuiDrawLayer(GuiLayer* layer) {
    if (layer->kind == GUI_SCREEN || !GuiShown(layer)) return;
    if (layer->kind == GUI_EDIT && layer != focusLayer)
        gl.Color3f(GUI_EDIT_GREY, GUI_EDIT_GREY, GUI_EDIT_GREY);
    else
        gl.Color3f(1.0f, 1.0f, 1.0f);

    float x = static_cast<float>(layer->x);
    float y = static_cast<float>(layer->y);
    float w = 0.0f, h = 0.0f;
    GuiBoxSize(layer, &w, &h);
    if (const Texture* texture = layer->texture) {
        gl.PushMatrix();
        gl.Translatef(x, -y, 0.0f);
        gl.Enable(GL_TEXTURE_2D);
        gl.BindTexture(GL_TEXTURE_2D, texture->glName);
        gl.Begin(GL_QUADS);
        gl.TexCoord2f(0.0f, 1.0f);
        gl.Vertex3f(0.0f, 0.0f, 0.0f);
        gl.TexCoord2f(1.0f, 1.0f);
        gl.Vertex3f(w, 0.0f, 0.0f);
        gl.TexCoord2f(1.0f, 0.0f);
        gl.Vertex3f(w, -h, 0.0f);
        gl.TexCoord2f(0.0f, 0.0f);
        gl.Vertex3f(0.0f, -h, 0.0f);
        gl.End();
        gl.Disable(GL_TEXTURE_2D);
        gl.PopMatrix();
    }

    TexFont* font = GuiLayerFont(layer);
    if (!font || !largeFont) return;
    if (layer->kind == GUI_EDIT) {
        GuiDrawEditText(layer, font, w, h);
        return;
    }
    if (layer->text[0] == '\0') return;
    float textWidth = TextFontWidth(font, layer->text);
    float textHeight = TextFontHeight(font);
    TextFontDraw(largeFont, layer->text, x + (w - textWidth) / 2.0f,
                 -(y + (h - textHeight) / 2.0f));
}

void GuiEditCaret(const GuiLayer* layer, float* x, float* y) {
    float w = 0.0f, h = 0.0f;
    GuiBoxSize(layer, &w, &h);
    TexFont* font = GuiLayerFont(layer);
    float textWidth = font ? TextFontWidth(font, GuiEditVisibleText(layer, font, w)) : 0.0f;
    float textHeight = font ? TextFontHeight(font) : 0.0f;
    *x = static_cast<float>(layer->x) + (w + textWidth) / 2.0f;
    *y = static_cast<float>(layer->y) + (h - textHeight) / 2.0f;
}

// The 2-D pass fills the 3-D view's viewport with the layout's extent; a mouse position in window
// points becomes a GUI-space point through both.
bool GuiMousePoint(const InputEvent* event, float* x, float* y) {
    int32_t pointsW = 0, pointsH = 0;
    WindowPointSize(&pointsW, &pointsH);
    if (pointsW < 1 || pointsH < 1 || sceneViewport[2] < 1 || sceneViewport[3] < 1) return false;
    const double px = event->x * double(screenWidth) / pointsW;
    const double py = event->y * double(screenHeight) / pointsH;
    const double viewTop = screenHeight - (sceneViewport[1] + sceneViewport[3]);
    const double u = (px - sceneViewport[0]) / sceneViewport[2];
    const double v = (py - viewTop) / sceneViewport[3];
    *x = static_cast<float>((u - 0.5) * 2.0 * overlayExtent.halfWidth + GUI_WIDTH / 2.0);
    *y = static_cast<float>((v - 0.5) * 2.0 * overlayExtent.halfHeight + GUI_HEIGHT / 2.0);
    return true;
}

void GuiQuad(float x0, float y0, float x1, float y1) {
    gl.Begin(GL_QUADS);
    gl.Vertex3f(x0, -y0, 0.0f);
    gl.Vertex3f(x1, -y0, 0.0f);
    gl.Vertex3f(x1, -y1, 0.0f);
    gl.Vertex3f(x0, -y1, 0.0f);
    gl.End();
}
