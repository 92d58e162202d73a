// The console: variables and their type rules, command lines and control words, the view size,
// key bindings, the fixed tables' limits, and the input devices: keyboard and mouse (controllers:
// test_pad.cpp; the handlers' order, the GUI over the bindings: test_gui.cpp).
#include "console/gameinput.h"
#include "console_test_util.h"
#include "core/window.h"
#include "render/scene.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

class Console : public ConsoleTest {
  protected:
    KeyboardState keyboard;
    void SetUp() override {
        ConsoleTest::SetUp();
        StartConsole();
        InputAddHandler(RecordEvent);
        CVarRegisterLong("camera", &gameInput.state.cameraMode);
        gameInput.state.cameraMode = 0;
        viewSize = 1.0f;
        CommandSetViewSizeAction(SceneStepViewSize);
    }
    void TearDown() override {
        gameInput.state.cameraMode = 0;
        viewSize = 1.0f;
        ConsoleTest::TearDown();
    }
    static int Send(int32_t key, uint32_t flags) {
        InputEvent event{INPUT_KEYBOARD, key, flags, 0, 0};
        return BindHandleInput(&event);
    }
    static int Mouse(Uint32 type, Uint8 button) {
        SDL_Event event{};
        event.type = type;
        event.button.button = button;
        return InputHandleSdlEvent(event);
    }
    static void Motion(int32_t x, int32_t y, int32_t xrel, int32_t yrel) {
        SDL_Event event{};
        event.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, x, y, xrel, yrel};
        InputHandleSdlEvent(event);
        InputPoll();
    }
};

// One variable set step by step: its type and value after each text.
TEST_F(Console, SetRulesForTypesTextAndRange) {
    const struct {
        const char *name, *text;
        int32_t type;
        double value;
    } steps[] = {
        {"gravity", "1.5", CVAR_FLOAT, 1.5},
        {"gravity", "3", CVAR_FLOAT, 3}, // stays float
        {"drag", "-0.5", CVAR_FLOAT, -0.5},
        {"lives", "7", CVAR_LONG, 7},
        {"lives", "2.9", CVAR_LONG, 2}, // float text read as an integer
        {"lives", "  -4xyz", CVAR_LONG, -4},
        {"name", "player", CVAR_LONG, 0},
        {"big", "99999999999", CVAR_LONG, INT32_MAX},
        {"big", "4294967298", CVAR_LONG, INT32_MAX}, // not wrapped to 2
    };
    for (const auto& s : steps) {
        CVarSet(s.name, s.text);
        CVar* v = CVarFind(s.name);
        ASSERT_NE(v, nullptr) << s.name;
        EXPECT_EQ(v->type, s.type) << s.name << " = '" << s.text << "'";
        EXPECT_EQ(s.type == CVAR_FLOAT ? double(v->value.f) : double(v->value.l), s.value)
            << s.name << " = '" << s.text << "'";
    }
    CVarSet("x", nullptr);
    EXPECT_EQ(CVarFind("x"), nullptr);
}

TEST_F(Console, LinesRunTheirCommandAndReachRegisteredVariables) {
    CommandExecute("set camera 1.9");
    EXPECT_EQ(gameInput.state.cameraMode, 1);
    CommandExecute("set   camera    2   ignored words");
    EXPECT_EQ(gameInput.state.cameraMode, 2);
    for (const char* line : {" set camera 1", "Set camera 1", "set Camera 1", "set camera", "",
                             "nosuchcommand camera 1", "bind camera 1"})
        CommandExecute(line);
    CommandFind("set")->handler(nullptr); // a key bound to the bare word
    EXPECT_EQ(gameInput.state.cameraMode, 2);
    EXPECT_EQ(CVarFind("Camera")->type, CVAR_LONG); // another variable
    // Letting go of look-back snaps the camera back, as pressing it does.
    CommandExecute("+lookback");
    gameInput.state.cameraSnap = 0;
    CommandExecute("-lookback");
    EXPECT_EQ(gameInput.state.controls[CONTROL_LOOKBACK], 0);
    EXPECT_EQ(gameInput.state.cameraSnap, 1);
}

TEST_F(Console, SizeStepsReachExactlyHalfAndWholeAndAreAppliedEachTime) {
    screenWidth = 640;
    screenHeight = 480;
    for (int i = 0; i < 9; ++i)
        CommandExecute("sizedown");
    EXPECT_GT(viewSize, 0.5f);
    CommandExecute("sizedown"); // single-precision steps would overshoot below 0.5
    EXPECT_EQ(viewSize, 0.5f);
    GLRecorderClear();
    CommandExecute("sizedown");
    EXPECT_EQ(viewSize, 0.5f);
    ASSERT_EQ(GLRecorderCount("Viewport"), 1); // applied although unchanged
    const GLRecordedCall& call = GLRecorderCalls()[GLRecorderFind("Viewport")];
    EXPECT_EQ(std::vector<double>(call.args, call.args + 4),
              (std::vector<double>{160, 120, 320, 240}));
    for (int i = 0; i < 11; ++i)
        CommandExecute("sizeup");
    EXPECT_EQ(viewSize, 1.0f);
}

// The default keys, pressed on the keyboard: each movement key holds its one control while down
// (Space fires, either Alt looks back, arrows, WASD and the keypad steer); P and Pause pause,
// Escape asks to quit, - and = size the view.
TEST_F(Console, DefaultKeysDriveTheirControlsAndCommands) {
    const struct {
        SDL_Scancode key;
        int32_t control;
    } held[] = {
        {SDL_SCANCODE_SPACE, CONTROL_ATTACK},  {SDL_SCANCODE_LALT, CONTROL_LOOKBACK},
        {SDL_SCANCODE_RALT, CONTROL_LOOKBACK}, {SDL_SCANCODE_UP, CONTROL_FORWARD},
        {SDL_SCANCODE_DOWN, CONTROL_BACKWARD}, {SDL_SCANCODE_LEFT, CONTROL_LEFT},
        {SDL_SCANCODE_RIGHT, CONTROL_RIGHT},   {SDL_SCANCODE_W, CONTROL_FORWARD},
        {SDL_SCANCODE_S, CONTROL_BACKWARD},    {SDL_SCANCODE_A, CONTROL_LEFT},
        {SDL_SCANCODE_D, CONTROL_RIGHT},       {SDL_SCANCODE_KP_8, CONTROL_FORWARD},
        {SDL_SCANCODE_KP_2, CONTROL_BACKWARD}, {SDL_SCANCODE_KP_4, CONTROL_LEFT},
        {SDL_SCANCODE_KP_6, CONTROL_RIGHT},    {SDL_SCANCODE_KP_PLUS, CONTROL_LOOKBACK},
    };
    for (const auto& row : held) {
        SCOPED_TRACE(SDL_GetScancodeName(row.key));
        keyboard.Down(row.key);
        keyboard.Poll();
        for (int32_t c = 0; c < CONTROL_COUNT; ++c)
            EXPECT_EQ(gameInput.state.controls[c] != 0, c == row.control) << "control " << c;
        keyboard.Up(row.key);
        keyboard.Poll();
        EXPECT_EQ(gameInput.state.controls[row.control], 0);
    }
    static int pauses, quits;
    pauses = quits = 0;
    CommandSetPauseAction([] { ++pauses; });
    CommandSetQuitAction([] { ++quits; });
    for (SDL_Scancode key :
         {SDL_SCANCODE_P, SDL_SCANCODE_PAUSE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_MINUS}) {
        keyboard.Down(key);
        keyboard.Poll();
        keyboard.Up(key);
        keyboard.Poll();
    }
    CommandSetPauseAction(nullptr);
    CommandSetQuitAction(nullptr);
    EXPECT_EQ(pauses, 2);
    EXPECT_EQ(quits, 1);
    EXPECT_LT(viewSize, 1.0f);
    keyboard.Down(SDL_SCANCODE_EQUALS);
    keyboard.Poll();
    EXPECT_FLOAT_EQ(viewSize, 1.0f);
}

// C steps the input record's camera (what a demo keeps) through flight, halfway, nose and cockpit
// and round again; a number the console stored without a mode of its own counts as flight. A demo
// file holds the record low byte first on every machine, and reads back the same.
TEST_F(Console, TheCameraKeyCyclesTheRecordsCameraMode) {
    for (int32_t expected : {1, 2, 3, 0, 1}) {
        keyboard.Down(SDL_SCANCODE_C);
        keyboard.Poll();
        keyboard.Up(SDL_SCANCODE_C);
        keyboard.Poll();
        EXPECT_EQ(gameInput.state.cameraMode, expected);
    }
    CommandExecute("set camera 9");
    CommandExecute("nextcamera");
    EXPECT_EQ(gameInput.state.cameraMode, CAMERA_MODE_HALFWAY);
    gameInput.state.controls[CONTROL_FORWARD] = 2;
    gameInput.state.mouseYaw = -37.5f;
    uint8_t bytes[sizeof(GameInputState)];
    GameInputEncode(gameInput.state, bytes);
    EXPECT_EQ(bytes[size_t{4} * CONTROL_FORWARD], 2);
    const GameInputState back = GameInputDecode(bytes);
    EXPECT_TRUE(std::equal(std::begin(back.controls), std::end(back.controls),
                           std::begin(gameInput.state.controls)));
    EXPECT_EQ(back.cameraSnap, gameInput.state.cameraSnap);
    EXPECT_EQ(back.cameraMode, gameInput.state.cameraMode);
    EXPECT_EQ(back.paused, gameInput.state.paused);
    EXPECT_EQ(back.mouseYaw, gameInput.state.mouseYaw);
    GameInputReset();
}

TEST_F(Console, KeysAndButtonsRunTheirBindingsAndReleasesClearThem) {
    keyboard.Down(SDL_SCANCODE_W);
    keyboard.Down(SDL_SCANCODE_UP);
    keyboard.Down(SDL_SCANCODE_SPACE);
    keyboard.Poll();
    EXPECT_EQ(gameInput.state.controls[CONTROL_FORWARD], 2);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(gameInput.state.controls[CONTROL_ATTACK], 2);
    keyboard.Up(SDL_SCANCODE_UP);
    keyboard.Poll();
    EXPECT_EQ(gameInput.state.controls[CONTROL_FORWARD], 0); // although W is still down
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(gameInput.state.controls[CONTROL_ATTACK], 0);
    // Motion events run nothing, even when bound.
    BindSet(KEY_MOUSE_MOTION, "+attack");
    EXPECT_EQ(Send(KEY_MOUSE_MOTION, 0), 0);
    EXPECT_EQ(gameInput.state.controls[CONTROL_ATTACK], 0);
    // A '+' word without a '-' twin is consumed although it does nothing; command lines run.
    EXPECT_EQ(BindSet('g', "+jump")->release, nullptr);
    EXPECT_EQ(Send('g', INPUT_PRESS), 1);
    EXPECT_EQ(Send('g', INPUT_RELEASE), 0);
    BindSet('c', "set camera 2");
    EXPECT_EQ(Send('c', INPUT_PRESS), 1);
    EXPECT_EQ(gameInput.state.cameraMode, 2);
}

TEST_F(Console, KeyboardPollModifiersOrderAndSharedEnter) {
    // Modifiers are recomputed before any event of the poll goes out: the digit (sent before
    // Shift) is already shifted; the right-hand modifiers set the same flags.
    for (SDL_Scancode s : {SDL_SCANCODE_2, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_RCTRL})
        keyboard.Down(s);
    keyboard.Poll();
    EXPECT_EQ(InputEventToChar(&RecordedEvents()[0]), '@');
    const uint32_t mods = P | INPUT_SHIFT | INPUT_CTRL;
    EXPECT_EQ(TakeKeys(), (KeyList{{'2', mods}, {KEY_RSHIFT, mods}, {KEY_RCTRL, mods}}));
    keyboard.Up(SDL_SCANCODE_RSHIFT);
    keyboard.Down(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll(); // Shift's own release no longer carries the flag
    keyboard.Poll(); // nothing changed: nothing sent
    keyboard.Down(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    keyboard.Up(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll(); // both Enter keys share one code: still held by the main key
    keyboard.Up(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    EXPECT_EQ(TakeKeys(), (KeyList{{KEY_ENTER, P | INPUT_CTRL},
                                   {KEY_RSHIFT, R | INPUT_CTRL},
                                   {KEY_ENTER, R | INPUT_CTRL}}));
}

TEST_F(Console, MouseButtonsAndMouseLookOnlyWhileGrabbed) {
    SDL_Event event{};
    event.button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_RIGHT, SDL_PRESSED, 1, 0, 10, 17};
    InputHandleSdlEvent(event);
    event.button.button = SDL_BUTTON_X1; // not ours
    InputHandleSdlEvent(event);
    InputPoll(); // no motion event for the button's position
    EXPECT_EQ(RecordedEvents()[0].y, 17);
    EXPECT_EQ(TakeKeys(), (KeyList{{KEY_MOUSE2, P}}));
    Motion(100, 50, 100, 50); // ungrabbed: an event at the cursor, no turn
    EXPECT_EQ(RecordedEvents().back().x, 100);
    InputMouseRelease(); // a release without a grab does not steal the next grab
    InputMouseGrab();
    Motion(150, 50, 10, -3);
    EXPECT_FLOAT_EQ(gameInput.state.mouseYaw, 5.0f);
    EXPECT_EQ(RecordedEvents().back().x, 110); // moved from the stored position
    EXPECT_EQ(RecordedEvents().back().y, 47);
    InputMouseGrab();
    InputMouseRelease();  // one release per grab: still grabbed
    Motion(0, 0, 400, 0); // +200 degrees: kept within half a turn
    EXPECT_FLOAT_EQ(gameInput.state.mouseYaw, -155.0f);
    InputMouseRelease();
    Motion(150, 50, 6, 0);
    EXPECT_FLOAT_EQ(gameInput.state.mouseYaw, -155.0f);
    EXPECT_EQ(RecordedEvents().back().x, 150); // back to following the cursor
}

// Typed text becomes one code point per character; what UTF-8 forbids becomes U+FFFD.
TEST_F(Console, TypedTextDecodesOnlyWellFormedUtf8) {
    constexpr int32_t BAD = 0xFFFD;
    const struct {
        const char* text;
        std::vector<int32_t> points;
    } rows[] = {
        {"a\xC3\xB6\xE2\x82\xAC", {'a', 0xF6, 0x20AC}},
        {"\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", {0x1F600, 0x10FFFF}},
        {"\xC0\xAF\xC1\xBF", {BAD, BAD}},             // overlong two-byte forms
        {"\xE0\x80\xAF\xF0\x80\x80\xAF", {BAD, BAD}}, // overlong three- and four-byte forms
        {"\xED\xA0\x80\xED\xBF\xBF", {BAD, BAD}},     // surrogates
        {"\xF4\x90\x80\x80", {BAD}},                  // above U+10FFFF
        {"\xF9\x80x", {BAD, BAD, 'x'}},               // no such lead byte; a lone continuation
        {"\xE2\x82x", {BAD, 'x'}},                    // cut short
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::snprintf(event.text.text, sizeof(event.text.text), "%s", row.text);
        InputHandleSdlEvent(event);
        std::vector<int32_t> points;
        for (const InputEvent& e : RecordedEvents())
            if (e.key == KEY_TEXT) points.push_back(e.x);
        RecordedEvents().clear();
        EXPECT_EQ(points, row.points);
    }
}

// Names and the fixed tables (255 entries, the defaults included) end the program at their limits.
TEST_F(Console, TablesAndNamesEndTheProgramAtTheirLimits) {
    const std::string long64(64, 'n');
    const char* lines[] = {
        "CVarCreate: cvarName too long\n", "CommandCreate: commandName too long\n",
        "CVarCreate: overflowed cvar table\n", "CommandCreate: overflowed command table\n",
        "BindCreate: overflowed bind table\n"};
    for (int kind = 0; kind < 5; ++kind) {
        EXPECT_EXIT(
            {
                if (kind == 0) CVarSet(long64.c_str(), "1");
                if (kind == 1) BindSet('x', ("set camera " + long64).c_str());
                for (int i = 0; kind >= 2 && i < 255; ++i) {
                    std::string name = "v" + std::to_string(i);
                    if (kind == 2) CVarSet(name.c_str(), "1");
                    if (kind == 3) CommandRegister(name.c_str(), nullptr);
                    if (kind == 4) BindSet(1000 + i, "+attack");
                }
            },
            testing::ExitedWithCode(1), "")
            << lines[kind];
        EXPECT_NE(ReadFile("error.log").find(lines[kind]), std::string::npos) << lines[kind];
    }
}

} // namespace
