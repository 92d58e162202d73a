// Input devices: the keyboard, the mouse and up to two pads (game controllers or plain joysticks,
// hot-plugged) turned into one stream of InputEvent records in one engine key-code space, each
// handed to a stack of handlers, newest first, until one consumes it. The keyboard, mouse motion
// and pads are polled once a frame; mouse buttons, mouse motion and typed text arrive from the
// frame loop's event pump. Main thread only.
#pragma once

#include "core/settings.h"

#include <cstddef>
#include <cstdint>

union SDL_Event;

// InputEvent.device
constexpr int32_t INPUT_KEYBOARD = 0;
constexpr int32_t INPUT_MOUSE = 1;
constexpr int32_t INPUT_JOYSTICK1 = 2;
constexpr int32_t INPUT_JOYSTICK2 = 3;

// InputEvent.flags: modifier state, then what happened. Motion events carry neither press nor
// release.
constexpr uint32_t INPUT_ALT = 1;
constexpr uint32_t INPUT_SHIFT = 2;
constexpr uint32_t INPUT_CTRL = 4;
constexpr uint32_t INPUT_PRESS = 8;
constexpr uint32_t INPUT_RELEASE = 16;

// Engine key codes. Printable keys are their (lower-case) character codes: Backspace 8, Tab 9,
// Enter 10, Space 32, ' , - . / 0-9 ; = [ \ ] ` a-z. Escape is 0.
constexpr int32_t KEY_ESCAPE = 0;
constexpr int32_t KEY_BACKSPACE = 8;
constexpr int32_t KEY_TAB = 9;
constexpr int32_t KEY_ENTER = 10;
constexpr int32_t KEY_SPACE = 32;
constexpr int32_t KEY_CAPSLOCK = 256;
constexpr int32_t KEY_LSHIFT = 257;
constexpr int32_t KEY_LCTRL = 258;
constexpr int32_t KEY_LALT = 259;
constexpr int32_t KEY_RSHIFT = 260;
constexpr int32_t KEY_RCTRL = 261;
constexpr int32_t KEY_RALT = 262;
constexpr int32_t KEY_F1 = 263; // to KEY_F1 + 11 = F12
constexpr int32_t KEY_NUMLOCK = 275;
constexpr int32_t KEY_KP_DIVIDE = 276;
constexpr int32_t KEY_KP_MULTIPLY = 277;
constexpr int32_t KEY_KP_MINUS = 278;
constexpr int32_t KEY_KP7 = 279;
constexpr int32_t KEY_KP8 = 280;
constexpr int32_t KEY_KP9 = 281;
constexpr int32_t KEY_KP_PLUS = 282;
constexpr int32_t KEY_KP4 = 283;
constexpr int32_t KEY_KP5 = 284;
constexpr int32_t KEY_KP6 = 285;
constexpr int32_t KEY_KP1 = 286;
constexpr int32_t KEY_KP2 = 287;
constexpr int32_t KEY_KP3 = 288;
constexpr int32_t KEY_NONE = 289; // no device produces it
constexpr int32_t KEY_KP0 = 290;
constexpr int32_t KEY_KP_PERIOD = 291;
constexpr int32_t KEY_PRINTSCREEN = 292;
constexpr int32_t KEY_SCROLLLOCK = 293;
constexpr int32_t KEY_PAUSE = 294;
constexpr int32_t KEY_UP = 295;
constexpr int32_t KEY_LEFT = 296;
constexpr int32_t KEY_RIGHT = 297;
constexpr int32_t KEY_DOWN = 298;
constexpr int32_t KEY_INSERT = 299;
constexpr int32_t KEY_HOME = 300;
constexpr int32_t KEY_PAGEUP = 301;
constexpr int32_t KEY_DELETE = 302;
constexpr int32_t KEY_END = 303;
constexpr int32_t KEY_PAGEDOWN = 304;
constexpr int32_t KEY_MOUSE1 = 305; // left button
constexpr int32_t KEY_MOUSE2 = 306; // right button
constexpr int32_t KEY_MOUSE3 = 307; // middle button
constexpr int32_t KEY_MOUSE_MOTION = 308;
// Joystick 1; joystick 2 has the same keys at KEY_JOY2_BUTTON1 + the same offsets.
constexpr int32_t KEY_JOY1_BUTTON1 = 309;
constexpr int32_t KEY_JOY1_BUTTON2 = 310;
constexpr int32_t KEY_JOY1_LEFT = 311;
constexpr int32_t KEY_JOY1_RIGHT = 312;
constexpr int32_t KEY_JOY1_UP = 313;   // pushed forward
constexpr int32_t KEY_JOY1_DOWN = 314; // pulled back
constexpr int32_t KEY_JOY1_MOTION = 315;
constexpr int32_t KEY_JOY2_BUTTON1 = 316;
constexpr int32_t KEY_JOY2_MOTION = 322;
// A game controller's Start and Back (Select) buttons, either pad; the device tells which.
constexpr int32_t KEY_PAD_START = 323;
constexpr int32_t KEY_PAD_BACK = 324;
// Typed text (while text input is on): one press event per character, the Unicode code point in x.
constexpr int32_t KEY_TEXT = 325;
// A game controller's X, Y and shoulder buttons, either pad; RB cycles the camera by default.
constexpr int32_t KEY_PAD_X = 326;
constexpr int32_t KEY_PAD_Y = 327;
constexpr int32_t KEY_PAD_LB = 328;
constexpr int32_t KEY_PAD_RB = 329;
constexpr int32_t INPUT_KEY_STATES = 512; // size of the key-state table, codes 0 to 511

// Joystick axes run 0..65535 with the centre at 32767; a direction counts as pushed beyond
// INPUT_JOY_DEADZONE from the centre (below 20767 or above 44767).
constexpr int32_t INPUT_JOY_CENTRE = 32767;
constexpr int32_t INPUT_JOY_DEADZONE = 12000;

struct InputEvent {
    int32_t device; // INPUT_KEYBOARD, INPUT_MOUSE, INPUT_JOYSTICK1 or INPUT_JOYSTICK2
    int32_t key;    // engine key code: the physical key for the keyboard
    uint32_t flags; // INPUT_* flags; only the low byte is used
    int32_t x, y;   // window position (mouse), axis values (joystick), code point (KEY_TEXT)
    // Keyboard keys: the character printed on the key in the active layout (lower case, printable
    // ASCII), 0 for none. A German Y key has key 'z' and symbol 'y'.
    int32_t symbol;
    int32_t pad; // a game controller's press: what it means to a screen (InputPadMeaning)
};

// What a game controller's press means to a screen (InputPadAction).
enum InputPadMeaning : int32_t {
    INPUT_PAD_NONE = 0,
    INPUT_PAD_SOUTH, // A / Cross
    INPUT_PAD_EAST,  // B / Circle
    INPUT_PAD_UP,    // d-pad or left stick
    INPUT_PAD_DOWN,
    INPUT_PAD_LEFT,
    INPUT_PAD_RIGHT,
    INPUT_PAD_START,
    INPUT_PAD_BACK,
    INPUT_PAD_WEST,  // X / Square
    INPUT_PAD_NORTH, // Y / Triangle
    INPUT_PAD_LB,    // left shoulder
    INPUT_PAD_RB,    // right shoulder
};

// Rumble requests go through this seam (the pad's handle, motor strengths, milliseconds; 0, 0, 0
// stops). Tests count the requests with a function of their own.
using InputRumbleFunction = int (*)(void* pad, uint16_t low, uint16_t high, uint32_t ms);
extern InputRumbleFunction inputRumbleSend;
// vantor.ini "rumble": 1 (default) lets pads that have motors rumble, 0 never.
extern int32_t rumbleEnabled;
// Run when the window loses the focus or is minimised (autopause), or null.
extern void (*inputFocusLostHook)();

// Returns non-zero when it consumed the event; later (older) handlers then never see it.
using InputHandler = int (*)(const InputEvent* event);

// Installs what runs when the window loses the focus (null: nothing).
void InputSetFocusLostHook(void (*hook)());

// Client start-up, before CommandInit and BindInit: empties the handler stack, resets every
// device state, loads the pad mappings of gamecontrollerdb.txt when present and detects
// joysticks 1 and 2 (boot-log lines naming each pad). Needs SDL's joystick subsystem.
void InputInit();
// Shutdown: logs, frees the handler stack, stops any rumble, closes the pads and releases the
// mouse.
void InputUnInit();
// Pushes a handler; the newest handler is asked first.
void InputAddHandler(InputHandler handler);
// Removes a handler wherever it sits; the others keep their order.
void InputRemoveHandler(InputHandler handler);
// Asked before every handler with each device event; non-zero swallows it. Demo playback keeps
// the player's keys out of a replayed game this way. Null removes it.
void InputSetFilter(InputHandler filter);
// Once a frame, after the event pump: mouse motion, the keyboard, then each pad. A pad that went
// away frees its slot (its held buttons and directions are released first); then, after a device
// event or a freed slot, attached pads without a slot take the free ones. A pad that cannot be
// opened is tried again at the next device event.
void InputPoll();
// The event pump hands every SDL event here: mouse buttons and typed text dispatch at once;
// mouse motion, key symbols and device arrivals and removals are kept for the next InputPoll;
// focus loss stops rumble and runs inputFocusLostHook. Returns the dispatch result, 0 for events
// that are not the input layer's.
int InputHandleSdlEvent(const SDL_Event& event);
// Text input on and off (the text entries of the GUI): while on, typed text arrives as KEY_TEXT.
void InputTextStart();
void InputTextStop();
// The meaning of a game controller's press for a screen; INPUT_PAD_NONE for anything else
// (releases, plain joysticks, other devices).
int32_t InputPadAction(const InputEvent* event);
// Pads open now (game controllers and plain joysticks).
int32_t InputPadCount();
// Every open game controller with motors rumbles (motor strengths 0..65535, milliseconds),
// unless rumble is off.
void InputRumble(uint16_t low, uint16_t high, uint32_t ms);
// Stops every rumble started and not yet stopped.
void InputRumbleStop();
// The rumble setting: 0 stops any rumble and starts none.
void InputSetRumble(int32_t enabled);
// Mouse look: the first grab hides and holds the cursor and starts turning motion into the
// record's mouse-look heading (0.5 degree per pixel to the right, kept in [-180, 180]);
// each grab needs its own release, and the cursor returns with the last one. A release without a
// grab does nothing.
void InputMouseGrab();
void InputMouseRelease();
// The text of a keyboard event for text entry, with the US shifted characters under Shift; 0 for
// other devices, codes of 256 and above, and Escape. Caps Lock is not taken into account.
char InputEventToChar(const InputEvent* event);

// Key names a person can type in vantor.ini ("Space", "A", "Keypad 8", "Mouse1", "Pad A", "Pad2 B",
// "Pad Start" ...): keyboard keys by their place on a US keyboard, as the codes are. Null for a
// code without a name.
const char* InputKeyName(int32_t code);
// The code of a name (letter case and the number of blanks do not matter; a single printable
// character other than a comma names its key), or -1.
int32_t InputKeyFromName(const char* name);
// What a player sees for a code: a letter or digit key as the active layout prints it, anything
// else by its name ("?" for a code without one).
void InputKeyLabel(int32_t code, char* out, size_t outSize);

// The keyboard step of InputPoll over a scancode-indexed state array (SDL_GetKeyboardState's
// layout, count entries, non-zero while down): updates the key states and modifiers and
// dispatches a press or release for each changed engine code in ascending order. Public so that
// tests can feed key states that the dummy video driver cannot produce.
void InputPollKeyboard(const uint8_t* scancodeState, int32_t count);
// vantor.ini rumble.
extern const SettingTable inputSettings;
