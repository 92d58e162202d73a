// Input devices over SDL: the scancode key map, the keyboard, mouse and joystick polls, and the
// handler stack every event is dispatched through.
#include "console/input.h"

#include "console/gameinput.h"

#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "foundation/index.h"

#include <SDL.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

int32_t rumbleEnabled = 1;
void (*inputFocusLostHook)() = nullptr;

namespace {

const Setting INPUT_SETTING_ROWS[] = {
    {"rumble", SETTING_INT, 1, nullptr, 0, 1, SETTING_PLAYER, [] { return double(rumbleEnabled); },
     [](double v) { InputSetRumble(v != 0.0 ? 1 : 0); }},
};

} // namespace

const SettingTable inputSettings = SettingTableOf("input", INPUT_SETTING_ROWS);

namespace {

// ---- Key map: SDL scancode -> engine key code -----------------------------------------------

struct KeyMapping {
    SDL_Scancode scancode;
    int16_t code;
};

// Keys that are not in a contiguous run. Both Enter keys are Enter; the keypad's comma stands in
// for the separator key and shares the backslash's code.
constexpr KeyMapping KEY_MAP_ENTRIES[] = {
    {SDL_SCANCODE_ESCAPE, KEY_ESCAPE},
    {SDL_SCANCODE_BACKSPACE, KEY_BACKSPACE},
    {SDL_SCANCODE_TAB, KEY_TAB},
    {SDL_SCANCODE_RETURN, KEY_ENTER},
    {SDL_SCANCODE_KP_ENTER, KEY_ENTER},
    {SDL_SCANCODE_SPACE, KEY_SPACE},
    {SDL_SCANCODE_SEMICOLON, ';'},
    {SDL_SCANCODE_EQUALS, '='},
    {SDL_SCANCODE_COMMA, ','},
    {SDL_SCANCODE_MINUS, '-'},
    {SDL_SCANCODE_PERIOD, '.'},
    {SDL_SCANCODE_SLASH, '/'},
    {SDL_SCANCODE_GRAVE, '`'},
    {SDL_SCANCODE_LEFTBRACKET, '['},
    {SDL_SCANCODE_BACKSLASH, '\\'},
    {SDL_SCANCODE_KP_COMMA, '\\'},
    {SDL_SCANCODE_RIGHTBRACKET, ']'},
    {SDL_SCANCODE_APOSTROPHE, '\''},
    {SDL_SCANCODE_CAPSLOCK, KEY_CAPSLOCK},
    {SDL_SCANCODE_LSHIFT, KEY_LSHIFT},
    {SDL_SCANCODE_LCTRL, KEY_LCTRL},
    {SDL_SCANCODE_LALT, KEY_LALT},
    {SDL_SCANCODE_RSHIFT, KEY_RSHIFT},
    {SDL_SCANCODE_RCTRL, KEY_RCTRL},
    {SDL_SCANCODE_RALT, KEY_RALT},
    {SDL_SCANCODE_NUMLOCKCLEAR, KEY_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, KEY_SCROLLLOCK},
    {SDL_SCANCODE_PAUSE, KEY_PAUSE},
    {SDL_SCANCODE_PRINTSCREEN, KEY_PRINTSCREEN},
    {SDL_SCANCODE_KP_DIVIDE, KEY_KP_DIVIDE},
    {SDL_SCANCODE_KP_MULTIPLY, KEY_KP_MULTIPLY},
    {SDL_SCANCODE_KP_MINUS, KEY_KP_MINUS},
    {SDL_SCANCODE_KP_7, KEY_KP7},
    {SDL_SCANCODE_KP_8, KEY_KP8},
    {SDL_SCANCODE_KP_9, KEY_KP9},
    {SDL_SCANCODE_KP_PLUS, KEY_KP_PLUS},
    {SDL_SCANCODE_KP_4, KEY_KP4},
    {SDL_SCANCODE_KP_5, KEY_KP5},
    {SDL_SCANCODE_KP_6, KEY_KP6},
    {SDL_SCANCODE_KP_1, KEY_KP1},
    {SDL_SCANCODE_KP_2, KEY_KP2},
    {SDL_SCANCODE_KP_3, KEY_KP3},
    {SDL_SCANCODE_KP_0, KEY_KP0},
    {SDL_SCANCODE_KP_PERIOD, KEY_KP_PERIOD},
    {SDL_SCANCODE_UP, KEY_UP},
    {SDL_SCANCODE_LEFT, KEY_LEFT},
    {SDL_SCANCODE_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_DOWN, KEY_DOWN},
    {SDL_SCANCODE_INSERT, KEY_INSERT},
    {SDL_SCANCODE_HOME, KEY_HOME},
    {SDL_SCANCODE_PAGEUP, KEY_PAGEUP},
    {SDL_SCANCODE_DELETE, KEY_DELETE},
    {SDL_SCANCODE_END, KEY_END},
    {SDL_SCANCODE_PAGEDOWN, KEY_PAGEDOWN},
};

constexpr std::array<int16_t, SDL_NUM_SCANCODES> BuildKeyMap() {
    std::array<int16_t, SDL_NUM_SCANCODES> map{};
    for (auto& code : map)
        code = -1;
    for (int i = 0; i < 26; ++i) // letters, always lower case
        map[SDL_SCANCODE_A + i] = static_cast<int16_t>('a' + i);
    for (int i = 0; i < 9; ++i) // SDL orders the digit row 1..9, 0
        map[SDL_SCANCODE_1 + i] = static_cast<int16_t>('1' + i);
    map[SDL_SCANCODE_0] = '0';
    for (int i = 0; i < 12; ++i)
        map[SDL_SCANCODE_F1 + i] = static_cast<int16_t>(KEY_F1 + i);
    for (const KeyMapping& entry : KEY_MAP_ENTRIES)
        map[entry.scancode] = entry.code;
    return map;
}

constexpr std::array<int16_t, SDL_NUM_SCANCODES> keyMap = BuildKeyMap();

// ---- Key names --------------------------------------------------------------------------------

struct KeyName {
    int16_t code;
    const char* name;
};

// Punctuation goes by words: a comma separates names in a list, # and ; start comments.
constexpr KeyName KEY_NAMES[] = {
    {KEY_ESCAPE, "Escape"},
    {KEY_BACKSPACE, "Backspace"},
    {KEY_TAB, "Tab"},
    {KEY_ENTER, "Enter"},
    {KEY_SPACE, "Space"},
    {'\'', "Apostrophe"},
    {',', "Comma"},
    {'-', "Minus"},
    {'.', "Period"},
    {'/', "Slash"},
    {'0', "0"},
    {'1', "1"},
    {'2', "2"},
    {'3', "3"},
    {'4', "4"},
    {'5', "5"},
    {'6', "6"},
    {'7', "7"},
    {'8', "8"},
    {'9', "9"},
    {';', "Semicolon"},
    {'=', "Equals"},
    {'[', "Left Bracket"},
    {'\\', "Backslash"},
    {']', "Right Bracket"},
    {'`', "Grave"},
    {'a', "A"},
    {'b', "B"},
    {'c', "C"},
    {'d', "D"},
    {'e', "E"},
    {'f', "F"},
    {'g', "G"},
    {'h', "H"},
    {'i', "I"},
    {'j', "J"},
    {'k', "K"},
    {'l', "L"},
    {'m', "M"},
    {'n', "N"},
    {'o', "O"},
    {'p', "P"},
    {'q', "Q"},
    {'r', "R"},
    {'s', "S"},
    {'t', "T"},
    {'u', "U"},
    {'v', "V"},
    {'w', "W"},
    {'x', "X"},
    {'y', "Y"},
    {'z', "Z"},
    {KEY_CAPSLOCK, "Caps Lock"},
    {KEY_LSHIFT, "Left Shift"},
    {KEY_LCTRL, "Left Ctrl"},
    {KEY_LALT, "Left Alt"},
    {KEY_RSHIFT, "Right Shift"},
    {KEY_RCTRL, "Right Ctrl"},
    {KEY_RALT, "Right Alt"},
    {KEY_F1, "F1"},
    {KEY_F1 + 1, "F2"},
    {KEY_F1 + 2, "F3"},
    {KEY_F1 + 3, "F4"},
    {KEY_F1 + 4, "F5"},
    {KEY_F1 + 5, "F6"},
    {KEY_F1 + 6, "F7"},
    {KEY_F1 + 7, "F8"},
    {KEY_F1 + 8, "F9"},
    {KEY_F1 + 9, "F10"},
    {KEY_F1 + 10, "F11"},
    {KEY_F1 + 11, "F12"},
    {KEY_NUMLOCK, "Num Lock"},
    {KEY_KP_DIVIDE, "Keypad /"},
    {KEY_KP_MULTIPLY, "Keypad *"},
    {KEY_KP_MINUS, "Keypad -"},
    {KEY_KP7, "Keypad 7"},
    {KEY_KP8, "Keypad 8"},
    {KEY_KP9, "Keypad 9"},
    {KEY_KP_PLUS, "Keypad +"},
    {KEY_KP4, "Keypad 4"},
    {KEY_KP5, "Keypad 5"},
    {KEY_KP6, "Keypad 6"},
    {KEY_KP1, "Keypad 1"},
    {KEY_KP2, "Keypad 2"},
    {KEY_KP3, "Keypad 3"},
    {KEY_KP0, "Keypad 0"},
    {KEY_KP_PERIOD, "Keypad ."},
    {KEY_PRINTSCREEN, "Print Screen"},
    {KEY_SCROLLLOCK, "Scroll Lock"},
    {KEY_PAUSE, "Pause"},
    {KEY_UP, "Up"},
    {KEY_LEFT, "Left"},
    {KEY_RIGHT, "Right"},
    {KEY_DOWN, "Down"},
    {KEY_INSERT, "Insert"},
    {KEY_HOME, "Home"},
    {KEY_PAGEUP, "Page Up"},
    {KEY_DELETE, "Delete"},
    {KEY_END, "End"},
    {KEY_PAGEDOWN, "Page Down"},
    {KEY_MOUSE1, "Mouse1"},
    {KEY_MOUSE2, "Mouse2"},
    {KEY_MOUSE3, "Mouse3"},
    {KEY_JOY1_BUTTON1, "Pad A"},
    {KEY_JOY1_BUTTON2, "Pad B"},
    {KEY_JOY1_LEFT, "Pad Left"},
    {KEY_JOY1_RIGHT, "Pad Right"},
    {KEY_JOY1_UP, "Pad Up"},
    {KEY_JOY1_DOWN, "Pad Down"},
    {KEY_JOY2_BUTTON1, "Pad2 A"},
    {KEY_JOY2_BUTTON1 + 1, "Pad2 B"},
    {KEY_JOY2_BUTTON1 + 2, "Pad2 Left"},
    {KEY_JOY2_BUTTON1 + 3, "Pad2 Right"},
    {KEY_JOY2_BUTTON1 + 4, "Pad2 Up"},
    {KEY_JOY2_BUTTON1 + 5, "Pad2 Down"},
    {KEY_PAD_START, "Pad Start"},
    {KEY_PAD_BACK, "Pad Back"},
    {KEY_PAD_X, "Pad X"},
    {KEY_PAD_Y, "Pad Y"},
    {KEY_PAD_LB, "Pad LB"},
    {KEY_PAD_RB, "Pad RB"},
};

// name with its outer blanks gone and each run of inner blanks made one space; false when it does
// not fit.
bool KeyNameNormal(const char* name, char* out, size_t outSize) {
    size_t n = 0;
    bool blank = false;
    for (; *name; ++name) {
        const bool isBlank = *name == ' ' || *name == '\t';
        if (isBlank) {
            blank = n > 0;
            continue;
        }
        if (blank && n + 1 < outSize) out[n++] = ' ';
        blank = false;
        if (n + 1 >= outSize) return false;
        out[n++] = *name;
    }
    out[n] = '\0';
    return true;
}

// ---- Shifted characters of a US keyboard ----------------------------------------------------

constexpr std::array<char, 128> BuildShiftedChars() {
    std::array<char, 128> shifted{};
    for (int c = 0; c < 128; ++c)
        shifted[c] = static_cast<char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        shifted[c] = static_cast<char>(c - 'a' + 'A');
    const char digits[] = ")!@#$%^&*(";
    for (int d = 0; d < 10; ++d)
        shifted['0' + d] = digits[d];
    shifted['\''] = '"';
    shifted[','] = '<';
    shifted['-'] = '_';
    shifted['.'] = '>';
    shifted['/'] = '?';
    shifted[';'] = ':';
    shifted['='] = '+';
    shifted['['] = '{';
    shifted['\\'] = '|';
    shifted[']'] = '}';
    shifted['`'] = '~';
    return shifted;
}

constexpr std::array<char, 128> shiftedChars = BuildShiftedChars();

// ---- State ----------------------------------------------------------------------------------

// One pad slot: a game controller (pad set) or a plain joystick. A slot frees when its device goes
// away and the next device plugged in takes it.
struct Joystick {
    const char* name; // "Joystick1", "Joystick2" in the logs
    int32_t device;   // INPUT_JOYSTICK1 or INPUT_JOYSTICK2
    int32_t keyBase;  // code of button 1; the other codes follow at fixed offsets
    int32_t enabled;  // a device is open in this slot
    int32_t lastX, lastY;
    int32_t button1, button2, start, back;
    SDL_Joystick* handle;
    SDL_GameController* pad; // non-null when opened as a game controller
    SDL_JoystickID instance;
    bool rumbling;    // a rumble was started and not yet stopped
    int32_t extra[4]; // X, Y and the shoulder buttons of a game controller (PAD_EXTRA)
};

constexpr int32_t JOY_BUTTON2 = 1, JOY_LEFT = 2, JOY_RIGHT = 3, JOY_UP = 4, JOY_DOWN = 5,
                  JOY_MOTION = 6;         // offsets from keyBase
constexpr int32_t JOY_AXIS_SHIFT = 32768; // SDL's -32768..32767 to 0..65535
constexpr int32_t JOY_AXIS_MAX = 65535;
constexpr int32_t JOY_LOW = INPUT_JOY_CENTRE - INPUT_JOY_DEADZONE;
constexpr int32_t JOY_HIGH = INPUT_JOY_CENTRE + INPUT_JOY_DEADZONE;
constexpr int32_t TRIGGER_PRESSED = 16384; // half way down fires
// A game controller's further buttons, reported as KEY_PAD_X + i: bound to nothing by default.
constexpr SDL_GameControllerButton PAD_EXTRA[] = {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
                                                  SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                  SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
constexpr int32_t PAD_EXTRA_BUTTONS = 4;
constexpr float MOUSE_YAW_PER_PIXEL = 0.5f;
constexpr const char* PAD_MAPPING_FILE = "gamecontrollerdb.txt";

Index inputIndex = {};
InputHandler inputFilter = nullptr;
std::array<uint8_t, INPUT_KEY_STATES> keyState{};
std::array<int16_t, INPUT_KEY_STATES> keyScancode{};     // the scancode that last held each code
std::array<SDL_Keycode, SDL_NUM_SCANCODES> keySymbols{}; // from the pump's key events
bool shiftDown = false, ctrlDown = false, altDown = false;
int32_t mouseX = 0, mouseY = 0;       // the stored position events report
int32_t cursorX = 0, cursorY = 0;     // the latest window position from the pump
int32_t pendingDx = 0, pendingDy = 0; // motion since the last poll
int32_t grabCount = 0;
int32_t knownDeviceCount = 0; // SDL's joystick count at the last scan
// A device came or went, or a slot freed: the next poll looks for devices to open. Set by events,
// never per frame, so a device that cannot be opened is tried again at the next such event only.
bool padScanPending = false;
bool controllersUp = false; // this module brought up SDL's game-controller subsystem
bool mappingsLoaded = false;
std::array<Joystick, 2> joysticks{{
    {"Joystick1", INPUT_JOYSTICK1, KEY_JOY1_BUTTON1, 1, INPUT_JOY_CENTRE, INPUT_JOY_CENTRE, 0, 0, 0,
     0, nullptr, nullptr, -1, false},
    {"Joystick2", INPUT_JOYSTICK2, KEY_JOY2_BUTTON1, 1, INPUT_JOY_CENTRE, INPUT_JOY_CENTRE, 0, 0, 0,
     0, nullptr, nullptr, -1, false},
}};

InputHandler HandlerAt(int32_t i) {
    return reinterpret_cast<InputHandler>(inputIndex.items[i]);
}

// Asks the handlers, newest first, until one consumes the event.
int InputAskHandlers(const InputEvent* event) {
    for (int32_t i = inputIndex.count - 1; i >= 0; --i) {
        if (i >= inputIndex.count) // an earlier handler removed handlers
            continue;
        InputHandler handler = HandlerAt(i);
        if (int result = handler(event)) return result;
    }
    return 0;
}

// Adds the modifier flags, lets the filter swallow the event, then asks the handlers.
int InputDispatch(InputEvent* event) {
    if (shiftDown) event->flags |= INPUT_SHIFT;
    if (ctrlDown) event->flags |= INPUT_CTRL;
    if (altDown) event->flags |= INPUT_ALT;
    if (inputFilter && inputFilter(event)) return 1;
    return InputAskHandlers(event);
}

const Joystick* JoystickOfDevice(int32_t device);

// What a game controller's button or direction means to a screen; resolved when the event is
// made, so that a recorded press keeps its meaning without the pad.
int32_t PadMeaning(const InputEvent* event) {
    const Joystick* joy = JoystickOfDevice(event->device);
    if (!joy || !joy->pad) return INPUT_PAD_NONE; // plain joysticks keep their codes only
    switch (event->key - joy->keyBase) {
    case 0:
        return INPUT_PAD_SOUTH;
    case JOY_BUTTON2:
        return INPUT_PAD_EAST;
    case JOY_UP:
        return INPUT_PAD_UP;
    case JOY_DOWN:
        return INPUT_PAD_DOWN;
    case JOY_LEFT:
        return INPUT_PAD_LEFT;
    case JOY_RIGHT:
        return INPUT_PAD_RIGHT;
    default:
        break;
    }
    switch (event->key) {
    case KEY_PAD_START:
        return INPUT_PAD_START;
    case KEY_PAD_BACK:
        return INPUT_PAD_BACK;
    case KEY_PAD_X:
        return INPUT_PAD_WEST;
    case KEY_PAD_Y:
        return INPUT_PAD_NORTH;
    case KEY_PAD_LB:
        return INPUT_PAD_LB;
    case KEY_PAD_RB:
        return INPUT_PAD_RB;
    default:
        return INPUT_PAD_NONE;
    }
}

int InputSend(int32_t device, int32_t key, uint32_t flags, int32_t x, int32_t y,
              int32_t symbol = 0) {
    InputEvent event{device, key, flags, x, y, symbol, INPUT_PAD_NONE};
    if (device == INPUT_JOYSTICK1 || device == INPUT_JOYSTICK2) event.pad = PadMeaning(&event);
    return InputDispatch(&event);
}

uint32_t PressOrRelease(bool down) {
    return down ? INPUT_PRESS : INPUT_RELEASE;
}

// The layout's character for a key: what the pump's key event said, else SDL's key map, else
// (no video, no layout) the engine code's own character, which is the US layout's.
int32_t KeySymbol(int32_t code) {
    int16_t scancode = keyScancode[static_cast<size_t>(code)];
    SDL_Keycode sym = 0;
    if (scancode > 0) {
        sym = keySymbols[static_cast<size_t>(scancode)];
        if (sym == 0) sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
    }
    if (sym == 0 || sym == SDLK_UNKNOWN) sym = code < 128 ? code : 0;
    if (sym < ' ' || sym >= 127) return 0;
    return (sym >= 'A' && sym <= 'Z') ? sym - 'A' + 'a' : sym;
}

void InputPollMouse() {
    int32_t oldX = mouseX, oldY = mouseY;
    if (grabCount < 1) {
        mouseX = cursorX;
        mouseY = cursorY;
    } else if (pendingDx != 0 || pendingDy != 0) {
        mouseX += pendingDx;
        mouseY += pendingDy;
        float yaw = gameInput.state.mouseYaw + static_cast<float>(pendingDx) * MOUSE_YAW_PER_PIXEL;
        while (yaw > 180.0f)
            yaw -= 360.0f;
        while (yaw < -180.0f)
            yaw += 360.0f;
        GameInputSetMouseYaw(yaw);
    }
    pendingDx = pendingDy = 0;
    if (mouseX != oldX || mouseY != oldY)
        InputSend(INPUT_MOUSE, KEY_MOUSE_MOTION, 0, mouseX, mouseY);
}

// ---- Pads -----------------------------------------------------------------------------------

int DefaultRumble(void* pad, uint16_t low, uint16_t high, uint32_t ms) {
    return SDL_GameControllerRumble(static_cast<SDL_GameController*>(pad), low, high, ms);
}

bool JoystickSubsystemUp() {
    return SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
}

// SDL's game-controller layer, with the mappings of gamecontrollerdb.txt in the working directory
// when there is one (SDL itself adds SDL_GAMECONTROLLERCONFIG).
void PadMappingsInit() {
    if (!JoystickSubsystemUp()) return;
    if (!controllersUp && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) controllersUp = true;
    if (!controllersUp || mappingsLoaded) return;
    mappingsLoaded = true;
    SDL_RWops* file = SDL_RWFromFile(PAD_MAPPING_FILE, "rb");
    if (!file) return; // none: SDL's own database
    char message[256];
    int added = SDL_GameControllerAddMappingsFromRW(file, 1);
    if (added < 0)
        std::snprintf(message, sizeof(message), "InputInit: %s not read: %s\n", PAD_MAPPING_FILE,
                      SDL_GetError());
    else
        std::snprintf(message, sizeof(message), "InputInit: %d pad mappings from %s\n", added,
                      PAD_MAPPING_FILE);
    Log(added < 0 ? LOG_ERROR : LOG_BOOT, "%s", message);
}

void JoystickReset(Joystick& joy) {
    joy.lastX = joy.lastY = INPUT_JOY_CENTRE;
    joy.button1 = joy.button2 = joy.start = joy.back = 0;
    for (int32_t& button : joy.extra)
        button = 0;
    joy.handle = nullptr;
    joy.pad = nullptr;
    joy.instance = -1;
    joy.rumbling = false;
}

// Opens SDL device index as a game controller when SDL knows its layout, else as a joystick.
bool JoystickOpen(Joystick& joy, int index) {
    JoystickReset(joy);
    if (controllersUp && SDL_IsGameController(index)) {
        joy.pad = SDL_GameControllerOpen(index);
        if (joy.pad) joy.handle = SDL_GameControllerGetJoystick(joy.pad);
    }
    if (!joy.handle) joy.handle = SDL_JoystickOpen(index);
    if (!joy.handle) return false;
    joy.instance = SDL_JoystickInstanceID(joy.handle);
    joy.enabled = 1;
    return true;
}

// "Joystick1 <what>: <name> (game controller)" on the boot log.
void JoystickLogName(const Joystick& joy, const char* what) {
    const char* name = joy.pad ? SDL_GameControllerName(joy.pad) : SDL_JoystickName(joy.handle);
    char message[192];
    std::snprintf(message, sizeof(message), "%s %s: %s (%s)\n", joy.name, what,
                  name ? name : "unnamed", joy.pad ? "game controller" : "joystick");
    Log(LOG_BOOT, "%s", message);
}

void JoystickDetect(int32_t id, Joystick& joy) {
    JoystickReset(joy);
    // SDL counts 0 rather than failing when it has no joystick driver.
    const char* problem = nullptr;
    if (id >= SDL_NumJoysticks())
        problem = "Unplugged";
    else if (!JoystickOpen(joy, id))
        problem = "No Driver loaded";
    char message[128];
    if (!problem) {
        joy.enabled = 1;
        std::snprintf(message, sizeof(message), "%s Detected\n", joy.name);
        Log(LOG_BOOT, "%s", message);
        JoystickLogName(joy, "is");
        return;
    }
    joy.enabled = 0;
    std::snprintf(message, sizeof(message), "%s - %s\n", joy.name, problem);
    Log(LOG_BOOT, "%s", message);
    std::snprintf(message, sizeof(message), "%s Support Disabled\n", joy.name);
    Log(LOG_BOOT, "%s", message);
}

void JoystickRumbleStop(Joystick& joy) {
    if (joy.rumbling && joy.pad) inputRumbleSend(joy.pad, 0, 0, 0);
    joy.rumbling = false;
}

void JoystickClose(Joystick& joy) {
    JoystickRumbleStop(joy);
    if (joy.pad)
        SDL_GameControllerClose(joy.pad);
    else if (joy.handle)
        SDL_JoystickClose(joy.handle);
    joy.handle = nullptr;
    joy.pad = nullptr;
}

// Dispatches a direction key when its test gives another answer for the new axis value.
void JoystickDirection(const Joystick& joy, int32_t key, bool was, bool now, int32_t x, int32_t y) {
    if (was != now) InputSend(joy.device, key, PressOrRelease(now), x, y);
}

void JoystickButton(const Joystick& joy, int32_t key, int32_t was, int32_t now, int32_t x,
                    int32_t y) {
    if (was != now) InputSend(joy.device, key, PressOrRelease(now != 0), x, y);
}

// The new position: every direction and button change in the fixed order, then the motion. extra
// (the further controller buttons) may be null: all up.
void JoystickReport(Joystick& joy, int32_t x, int32_t y, int32_t button1, int32_t button2,
                    int32_t start, int32_t back, const int32_t* extra) {
    JoystickButton(joy, joy.keyBase, joy.button1, button1, x, y);
    JoystickButton(joy, joy.keyBase + JOY_BUTTON2, joy.button2, button2, x, y);
    JoystickButton(joy, KEY_PAD_START, joy.start, start, x, y);
    JoystickButton(joy, KEY_PAD_BACK, joy.back, back, x, y);
    for (int32_t i = 0; i < PAD_EXTRA_BUTTONS; ++i) {
        const int32_t now = extra ? extra[i] : 0;
        JoystickButton(joy, KEY_PAD_X + i, joy.extra[i], now, x, y);
        joy.extra[i] = now;
    }
    joy.button1 = button1;
    joy.button2 = button2;
    joy.start = start;
    joy.back = back;
    if (x == joy.lastX && y == joy.lastY) return;
    InputSend(joy.device, joy.keyBase + JOY_MOTION, 0, x, y);
    JoystickDirection(joy, joy.keyBase + JOY_UP, joy.lastY < JOY_LOW, y < JOY_LOW, x, y);
    JoystickDirection(joy, joy.keyBase + JOY_DOWN, joy.lastY > JOY_HIGH, y > JOY_HIGH, x, y);
    JoystickDirection(joy, joy.keyBase + JOY_LEFT, joy.lastX < JOY_LOW, x < JOY_LOW, x, y);
    JoystickDirection(joy, joy.keyBase + JOY_RIGHT, joy.lastX > JOY_HIGH, x > JOY_HIGH, x, y);
    joy.lastX = x;
    joy.lastY = y;
}

// A device that went away: what it held is let go (no ship keeps turning), the slot frees and a
// device that found no slot may take it.
void JoystickRemoved(Joystick& joy) {
    JoystickReport(joy, INPUT_JOY_CENTRE, INPUT_JOY_CENTRE, 0, 0, 0, 0, nullptr);
    char message[128];
    std::snprintf(message, sizeof(message), "%s removed\n", joy.name);
    Log(LOG_BOOT, "%s", message);
    JoystickClose(joy);
    JoystickReset(joy);
    joy.enabled = 0;
    padScanPending = true;
}

bool JoystickGone(const Joystick& joy) {
    return joy.enabled && (!joy.handle || !SDL_JoystickGetAttached(joy.handle));
}

// A game controller: left stick and d-pad steer through the same axis values as a joystick; south
// or the right trigger is button 1, east button 2.
void PadRead(const Joystick& joy, int32_t* x, int32_t* y, int32_t* b1, int32_t* b2, int32_t* start,
             int32_t* back, int32_t* extra) {
    SDL_GameController* pad = joy.pad;
    *x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX) + JOY_AXIS_SHIFT;
    *y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY) + JOY_AXIS_SHIFT;
    if (SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) *x = 0;
    if (SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) *x = JOY_AXIS_MAX;
    if (SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP)) *y = 0;
    if (SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) *y = JOY_AXIS_MAX;
    *b1 = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A) ||
          SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) >= TRIGGER_PRESSED;
    *b2 = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_B) ? 1 : 0;
    *start = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_START) ? 1 : 0;
    *back = SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_BACK) ? 1 : 0;
    for (int32_t i = 0; i < PAD_EXTRA_BUTTONS; ++i)
        extra[i] = SDL_GameControllerGetButton(pad, PAD_EXTRA[i]) ? 1 : 0;
}

void JoystickPoll(Joystick& joy) {
    if (!joy.enabled) return;
    int32_t x, y, button1, button2, start = 0, back = 0;
    int32_t extra[PAD_EXTRA_BUTTONS] = {};
    if (joy.pad) {
        PadRead(joy, &x, &y, &button1, &button2, &start, &back, extra);
    } else {
        x = SDL_JoystickGetAxis(joy.handle, 0) + JOY_AXIS_SHIFT;
        y = SDL_JoystickGetAxis(joy.handle, 1) + JOY_AXIS_SHIFT;
        button1 = SDL_JoystickGetButton(joy.handle, 0) ? 1 : 0;
        button2 = SDL_JoystickGetButton(joy.handle, 1) ? 1 : 0;
    }
    JoystickReport(joy, x, y, button1, button2, start, back, extra);
}

bool JoystickInSlot(SDL_JoystickID instance) {
    for (const Joystick& joy : joysticks)
        if (joy.enabled && joy.instance == instance) return true;
    return false;
}

// Attached devices without a slot take the free slots, in SDL's device order. Only after a device
// event: the count alone misses a pad pulled out and another plugged in within one frame.
void JoystickScan() {
    int count = SDL_NumJoysticks();
    if (count != knownDeviceCount) padScanPending = true; // events the pump did not hand us
    knownDeviceCount = count;
    if (!padScanPending) return;
    padScanPending = false;
    for (int index = 0; index < count; ++index) {
        if (JoystickInSlot(SDL_JoystickGetDeviceInstanceID(index))) continue;
        Joystick* slot = nullptr;
        for (Joystick& joy : joysticks)
            if (!joy.enabled && !slot) slot = &joy;
        if (!slot) return;
        if (JoystickOpen(*slot, index)) {
            JoystickLogName(*slot, "connected");
        } else {
            // Tried again at the next device event.
            const char* name = SDL_JoystickNameForIndex(index);
            char message[256];
            std::snprintf(message, sizeof(message), "JoystickScan: cannot open %s as %s: %s\n",
                          name ? name : "unnamed", slot->name, SDL_GetError());
            Log(LOG_ERROR, "%s", message);
            JoystickReset(*slot);
            slot->enabled = 0;
        }
    }
}

const Joystick* JoystickOfDevice(int32_t device) {
    for (const Joystick& joy : joysticks)
        if (joy.device == device) return &joy;
    return nullptr;
}

// Typed text: one KEY_TEXT event per UTF-8 character. A broken sequence, an overlong form, a
// surrogate or a value above U+10FFFF gives U+FFFD, so no handler meets a code point that UTF-8
// cannot carry (an overlong '/' or NUL would slip past a check for the plain one).
void InputSendText(const char* text) {
    constexpr int32_t SMALLEST[] = {0, 0x80, 0x800, 0x10000}; // by continuation bytes
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        int32_t c = *p++;
        int extra = c >= 0xF8 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        const int32_t smallest = SMALLEST[extra];
        if (c >= 0x80 && extra == 0) c = 0xFFFD; // a lone continuation byte or no lead at all
        if (extra) c &= 0x3F >> extra;
        for (; extra > 0; --extra) {
            if ((*p & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (*p++ & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        InputSend(INPUT_KEYBOARD, KEY_TEXT, INPUT_PRESS, c, 0);
    }
}

int32_t MouseButtonKey(uint8_t button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return KEY_MOUSE1;
    case SDL_BUTTON_RIGHT:
        return KEY_MOUSE2;
    case SDL_BUTTON_MIDDLE:
        return KEY_MOUSE3;
    default:
        return -1;
    }
}

} // namespace

InputRumbleFunction inputRumbleSend = DefaultRumble;

void InputInit() {
    if (inputIndex.items) IndexFree(&inputIndex);
    IndexCreate(&inputIndex, INDEX_DEFAULT_CAPACITY, "inputIndex", 0);
    keyState.fill(0);
    shiftDown = ctrlDown = altDown = false;
    mouseX = mouseY = cursorX = cursorY = pendingDx = pendingDy = 0;
    grabCount = 0;
    GameInputSetMouseYaw(0.0f);
    keyScancode.fill(0);
    keySymbols.fill(0);
    rumbleEnabled = SettingReadInt(inputSettings, "rumble") != 0 ? 1 : 0;
    // Text input is on only while a text entry is open: during play an input method must not
    // take the flight keys.
    SDL_StopTextInput();
    for (Joystick& joy : joysticks)
        JoystickClose(joy);
    PadMappingsInit();
    for (int32_t id = 0; id < static_cast<int32_t>(joysticks.size()); ++id)
        JoystickDetect(id, joysticks[static_cast<size_t>(id)]);
    knownDeviceCount = JoystickSubsystemUp() ? SDL_NumJoysticks() : 0;
    padScanPending = false;
}

void InputUnInit() {
    Log(LOG_BOOT, "InputUnInit: Freeing input index storage\n");
    IndexFree(&inputIndex);
    for (Joystick& joy : joysticks) {
        JoystickClose(joy);
        JoystickReset(joy);
        joy.enabled = 0;
    }
    keySymbols.fill(0);
    if (controllersUp) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    controllersUp = false;
    mappingsLoaded = false;
    if (grabCount > 0) SDL_SetRelativeMouseMode(SDL_FALSE);
    grabCount = 0;
}

void InputSetFilter(InputHandler filter) {
    inputFilter = filter;
}

void InputAddHandler(InputHandler handler) {
    IndexAdd(&inputIndex, reinterpret_cast<void*>(handler));
}

void InputRemoveHandler(InputHandler handler) {
    void* item = reinterpret_cast<void*>(handler);
    for (int32_t p = inputIndex.count - 1; p >= 0; --p) {
        if (inputIndex.items[p] != item) continue;
        // Shift the newer handlers down: the stack order is the dispatch order.
        for (int32_t i = p; i + 1 < inputIndex.count; ++i)
            inputIndex.items[i] = inputIndex.items[i + 1];
        inputIndex.count--;
        return;
    }
    IndexDelete(&inputIndex, item, nullptr); // not present: the index reports it
}

void InputPollKeyboard(const uint8_t* scancodeState, int32_t count) {
    std::array<uint8_t, INPUT_KEY_STATES> previous = keyState;
    keyState.fill(0);
    // Two keys on one code (both Enter keys) hold it down while either is down.
    int32_t limit = count < SDL_NUM_SCANCODES ? count : SDL_NUM_SCANCODES;
    for (int32_t scancode = 0; scancode < limit; ++scancode) {
        int16_t code = keyMap[static_cast<size_t>(scancode)];
        if (code < 0 || !scancodeState[scancode]) continue;
        keyState[static_cast<size_t>(code)] = 1;
        keyScancode[static_cast<size_t>(code)] = static_cast<int16_t>(scancode);
    }
    shiftDown = keyState[KEY_LSHIFT] || keyState[KEY_RSHIFT];
    ctrlDown = keyState[KEY_LCTRL] || keyState[KEY_RCTRL];
    altDown = keyState[KEY_LALT] || keyState[KEY_RALT];
    for (int32_t code = 0; code < INPUT_KEY_STATES; ++code) {
        size_t c = static_cast<size_t>(code);
        if (keyState[c] != previous[c])
            InputSend(INPUT_KEYBOARD, code, PressOrRelease(keyState[c] != 0), 0, 0,
                      KeySymbol(code));
    }
}

void InputPoll() {
    InputPollMouse();
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    if (state) InputPollKeyboard(state, count);
    if (!JoystickSubsystemUp()) return;
    SDL_JoystickUpdate();
    // Removals first, so that a device plugged in meanwhile can take the slot this frame.
    for (Joystick& joy : joysticks)
        if (JoystickGone(joy)) JoystickRemoved(joy);
    JoystickScan();
    for (Joystick& joy : joysticks)
        JoystickPoll(joy);
}

int InputHandleSdlEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_MOUSEMOTION:
        cursorX = event.motion.x;
        cursorY = event.motion.y;
        pendingDx += event.motion.xrel;
        pendingDy += event.motion.yrel;
        return 0;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int32_t key = MouseButtonKey(event.button.button);
        if (key < 0) return 0;
        mouseX = cursorX = event.button.x;
        mouseY = cursorY = event.button.y;
        return InputSend(INPUT_MOUSE, key, PressOrRelease(event.type == SDL_MOUSEBUTTONDOWN),
                         mouseX, mouseY);
    }
    case SDL_KEYDOWN: // the layout's symbol for the poll that dispatches this key
        if (event.key.keysym.scancode > 0 && event.key.keysym.scancode < SDL_NUM_SCANCODES)
            keySymbols[static_cast<size_t>(event.key.keysym.scancode)] = event.key.keysym.sym;
        return 0;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
        padScanPending = true;
        return 0;
    case SDL_TEXTINPUT:
        InputSendText(event.text.text);
        return 1;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
            event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
            InputRumbleStop();
            if (inputFocusLostHook) inputFocusLostHook();
        }
        return 0;
    default:
        return 0;
    }
}

void InputMouseGrab() {
    if (++grabCount != 1) return;
    pendingDx = pendingDy = 0; // the cursor is held from here: earlier motion does not turn
    SDL_SetRelativeMouseMode(SDL_TRUE);
}

void InputMouseRelease() {
    if (grabCount <= 0) return;
    if (--grabCount == 0) SDL_SetRelativeMouseMode(SDL_FALSE);
}

char InputEventToChar(const InputEvent* event) {
    if (!event || event->device != INPUT_KEYBOARD || event->key < 0 || event->key >= 256) return 0;
    if (!(event->flags & INPUT_SHIFT) || event->key >= 128) return static_cast<char>(event->key);
    return shiftedChars[static_cast<size_t>(event->key)];
}

void InputTextStart() {
    SDL_StartTextInput();
}

void InputTextStop() {
    SDL_StopTextInput();
}

int32_t InputPadAction(const InputEvent* event) {
    return (event && (event->flags & INPUT_PRESS)) ? event->pad : INPUT_PAD_NONE;
}

int32_t InputPadCount() {
    int32_t count = 0;
    for (const Joystick& joy : joysticks)
        if (joy.enabled) ++count;
    return count;
}

void InputRumble(uint16_t low, uint16_t high, uint32_t ms) {
    if (!rumbleEnabled) return;
    for (Joystick& joy : joysticks) {
        if (!joy.enabled || !joy.pad || !SDL_GameControllerHasRumble(joy.pad)) continue;
        if (inputRumbleSend(joy.pad, low, high, ms) == 0) joy.rumbling = true;
    }
}

void InputRumbleStop() {
    for (Joystick& joy : joysticks)
        JoystickRumbleStop(joy);
}

void InputSetFocusLostHook(void (*hook)()) {
    inputFocusLostHook = hook;
}

const char* InputKeyName(int32_t code) {
    for (const KeyName& entry : KEY_NAMES)
        if (entry.code == code) return entry.name;
    return nullptr;
}

int32_t InputKeyFromName(const char* name) {
    char normal[32];
    if (!name || !KeyNameNormal(name, normal, sizeof(normal))) return -1;
    for (const KeyName& entry : KEY_NAMES)
        if (strcasecmp(entry.name, normal) == 0) return entry.code;
    // A key given by its own character ("=" for Equals); a comma is the list's separator.
    const unsigned char c = static_cast<unsigned char>(normal[0]);
    if (normal[1] == '\0' && c > ' ' && c < 127 && c != ',') {
        const int32_t code = std::tolower(c);
        for (const KeyName& entry : KEY_NAMES)
            if (entry.code == code) return code;
    }
    return -1;
}

void InputKeyLabel(int32_t code, char* out, size_t outSize) {
    if (outSize == 0) return;
    const char* name = InputKeyName(code);
    if ((code >= 'a' && code <= 'z') || (code >= '0' && code <= '9')) {
        // The first scancode that gives this code, and what the layout prints on it.
        for (int32_t scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
            if (keyMap[static_cast<size_t>(scancode)] != code) continue;
            const SDL_Keycode sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
            if (sym > ' ' && sym < 127 && sym != ',') {
                std::snprintf(out, outSize, "%c", std::toupper(static_cast<int>(sym)));
                return;
            }
            break;
        }
    }
    std::snprintf(out, outSize, "%s", name ? name : "?");
}

void InputSetRumble(int32_t enabled) {
    rumbleEnabled = enabled;
    if (!enabled) InputRumbleStop();
}
