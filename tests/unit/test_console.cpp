// The console: variables and their type rules, command lines and control words, the view size,
// key bindings, and the fixed tables' limits.
#include "console_test_util.h"
#include "core/window.h"
#include "render/scene.h"

#include <string>

namespace {

class Console : public ConsoleTest {
  protected:
    KeyboardState keyboard;
    void SetUp() override {
        ConsoleTest::SetUp();
        StartConsole();
        CVarRegisterLong("camera", &cameraMode);
        cameraMode = 0;
        viewSize = 1.0f;
    }
    void TearDown() override {
        cameraMode = 0;
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
        {"gravity", "fast", CVAR_FLOAT, 3},
        {"lives", "7", CVAR_LONG, 7},
        {"lives", "2.9", CVAR_LONG, 2}, // float text read as an integer
        {"lives", "1e5", CVAR_LONG, 1},
        {"lives", " x5", CVAR_LONG, 1},
        {"lives", "  -4xyz", CVAR_LONG, -4},
        {"name", "player", CVAR_LONG, 0},
        {"dot", ".", CVAR_FLOAT, 0},
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
    CVarSet(nullptr, "1");
    CVarSet("x", nullptr);
    CVarRegisterLong("y", nullptr);
    EXPECT_EQ(CVarFind("x"), nullptr);
    EXPECT_EQ(CVarFind("y"), nullptr);
}

TEST_F(Console, LinesRunTheirCommandAndReachRegisteredVariables) {
    CommandExecute("set camera 1.9");
    EXPECT_EQ(cameraMode, 1);
    CommandExecute("set   camera    2   ignored words");
    EXPECT_EQ(cameraMode, 2);
    for (const char* line : {" set camera 1", "Set camera 1", "set Camera 1", "set camera", "",
                             "nosuchcommand camera 1", "bind camera 1"})
        CommandExecute(line);
    CommandExecute(nullptr);
    CommandFind("set")->handler(nullptr); // a key bound to the bare word
    EXPECT_EQ(cameraMode, 2);
    EXPECT_EQ(CVarFind("Camera")->type, CVAR_LONG); // another variable
    // Registering again re-points the variable, without a second record.
    int32_t other = 0;
    CVar* camera = CVarFind("camera");
    CVarRegisterLong("camera", &other);
    EXPECT_EQ(CVarFind("camera"), camera);
    CommandExecute("set camera 5");
    EXPECT_EQ(other, 5);
    EXPECT_EQ(cameraMode, 2);
    // Letting go of look-back snaps the camera back, as pressing it does.
    CommandExecute("+lookback");
    cameraSnap = 0;
    CommandExecute("-lookback");
    EXPECT_EQ(cmdLookback, 0);
    EXPECT_EQ(cameraSnap, 1);
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

TEST_F(Console, DefaultBindings) {
    // One key of each kind: arrow, keypad, letter, mouse, joystick, the plain commands.
    const struct {
        int32_t key;
        const char* command;
    } rows[] = {{283, "+left"},   {298, "+backward"}, {119, "+forward"}, {KEY_SPACE, "+attack"},
                {305, "+attack"}, {310, "+lookback"}, {61, "sizeup"},    {45, "sizedown"},
                {0, "quit"},      {'p', "pause"},     {294, "pause"},    {323, "pause"},
                {324, "quit"}};
    for (const auto& row : rows) {
        Bind* bind = BindFind(row.key);
        ASSERT_TRUE(bind && bind->press) << row.key;
        EXPECT_STREQ(bind->press->commandName, row.command) << row.key;
        std::string twin = row.command[0] == '+' ? std::string("-") + (row.command + 1) : "";
        EXPECT_EQ(bind->release ? bind->release->commandName : "", twin) << row.key;
    }
    // Not bound: middle button, joystick 2, mouse and joystick motion.
    for (int32_t key : {307, 315, 322, 308, 98})
        EXPECT_EQ(BindFind(key), nullptr) << key;
}

TEST_F(Console, KeysAndButtonsRunTheirBindingsAndReleasesClearThem) {
    keyboard.Down(SDL_SCANCODE_W);
    keyboard.Down(SDL_SCANCODE_UP);
    keyboard.Down(SDL_SCANCODE_SPACE);
    keyboard.Poll();
    EXPECT_EQ(cmdForward, 2);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(cmdAttack, 2);
    keyboard.Up(SDL_SCANCODE_UP);
    keyboard.Poll();
    EXPECT_EQ(cmdForward, 0); // although W is still down
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(cmdAttack, 0);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE), 0); // unbound: not consumed
    // Motion events run nothing, even when bound.
    BindSet(KEY_MOUSE_MOTION, "+attack");
    EXPECT_EQ(Send(KEY_MOUSE_MOTION, 0), 0);
    EXPECT_EQ(cmdAttack, 0);
    // A '+' word without a '-' twin is consumed although it does nothing; command lines run.
    EXPECT_EQ(BindSet('g', "+jump")->release, nullptr);
    EXPECT_EQ(Send('g', INPUT_PRESS), 1);
    EXPECT_EQ(Send('g', INPUT_RELEASE), 0);
    BindSet('c', "set camera 2");
    EXPECT_EQ(Send('c', INPUT_PRESS), 1);
    EXPECT_EQ(cameraMode, 2);
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
