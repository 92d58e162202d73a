// Key bindings: the default table, '+'/'-' twins, handler-less command lines, handler order.
#include "console_test_util.h"
#include "render/scene.h"

#include <cstring>
#include <string>

namespace {

class BindTest : public ConsoleTest {
  protected:
    KeyboardState keyboard;
    void SetUp() override {
        ConsoleTest::SetUp();
        StartConsole();
        CVarRegisterLong("camera", &cameraMode);
        cameraMode = 0;
    }
    void TearDown() override {
        quitHook = nullptr;
        cameraMode = 0;
        viewSize = 1.0f;
        ConsoleTest::TearDown();
    }
    static int Mouse(Uint32 type, Uint8 button) {
        SDL_Event event{};
        event.type = type;
        event.button.button = button;
        event.button.x = 10;
        event.button.y = 20;
        return InputHandleSdlEvent(event);
    }
    static int Send(int32_t key, uint32_t flags) {
        InputEvent event{INPUT_KEYBOARD, key, flags, 0, 0};
        return BindHandleInput(&event);
    }
};

const char* PressName(int32_t key) {
    Bind* bind = BindFind(key);
    return bind && bind->press ? bind->press->commandName : "";
}

const char* ReleaseName(int32_t key) {
    Bind* bind = BindFind(key);
    return bind && bind->release ? bind->release->commandName : "";
}

TEST_F(BindTest, DefaultTable) {
    struct Row {
        int32_t key;
        const char* command;
    };
    // One key of each kind: arrow, keypad, letter, mouse, joystick, the plain commands.
    const Row rows[] = {{283, "+left"},     {298, "+backward"}, {119, "+forward"}, {305, "+attack"},
                        {310, "+lookback"}, {61, "sizeup"},     {45, "sizedown"},  {0, "quit"},
                        {'p', "pause"},     {294, "pause"},     {323, "pause"},    {324, "quit"}};
    for (const Row& row : rows) {
        EXPECT_STREQ(PressName(row.key), row.command) << row.key;
        std::string twin = row.command[0] == '+' ? std::string("-") + (row.command + 1) : "";
        EXPECT_EQ(ReleaseName(row.key), twin) << row.key;
    }
    // Not bound: middle button, joystick 2, mouse and joystick motion.
    for (int32_t key : {307, 315, 322, 308, 98})
        EXPECT_EQ(BindFind(key), nullptr) << key;
    // The table holds 255 bindings, defaults included: one more ends the program.
    EXPECT_EXIT(
        {
            for (int32_t key = 1000; key < 1000 + 255; ++key)
                BindSet(key, "+attack");
        },
        testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("BindCreate: overflowed bind table\n"), std::string::npos);
}

int quitCalls = 0;
int consumeAll = 0;
int GuiLike(const InputEvent* event) {
    RecordEvent(event);
    return consumeAll;
}

TEST_F(BindTest, KeysAndButtonsRunTheirCommandsAndReleasesClearThem) {
    keyboard.Down(SDL_SCANCODE_W);
    keyboard.Down(SDL_SCANCODE_UP);
    keyboard.Down(SDL_SCANCODE_SPACE);
    keyboard.Poll();
    EXPECT_EQ(cmdForward, 2);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(cmdAttack, 2);
    keyboard.Up(SDL_SCANCODE_UP);
    keyboard.Up(SDL_SCANCODE_SPACE);
    keyboard.Poll();
    EXPECT_EQ(cmdForward, 0); // although W is still down
    EXPECT_EQ(cmdAttack, 0);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(Mouse(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE), 0); // unbound: not consumed
    // Escape runs quit; its release is not consumed.
    quitCalls = 0;
    quitHook = [] { ++quitCalls; };
    keyboard.Down(SDL_SCANCODE_ESCAPE);
    keyboard.Poll();
    EXPECT_EQ(Send(KEY_ESCAPE, INPUT_RELEASE), 0);
    EXPECT_EQ(quitCalls, 1);
    // - and = step the view size; releases are not bound.
    keyboard.Down(SDL_SCANCODE_MINUS);
    keyboard.Poll();
    keyboard.Up(SDL_SCANCODE_MINUS);
    keyboard.Poll();
    EXPECT_FLOAT_EQ(viewSize, 0.95f);
    keyboard.Down(SDL_SCANCODE_EQUALS);
    keyboard.Poll();
    EXPECT_EQ(viewSize, 1.0f);
    // Motion events run nothing, even when bound.
    BindSet(KEY_MOUSE_MOTION, "+attack");
    EXPECT_EQ(Send(KEY_MOUSE_MOTION, 0), 0);
    EXPECT_EQ(cmdAttack, 0);
}

TEST_F(BindTest, BoundCommandLinesAndPlusWordsWithoutTwin) {
    Bind* bind = BindSet('g', "+jump");
    EXPECT_EQ(bind->release, nullptr);
    EXPECT_EQ(CommandFind("-jump"), nullptr); // never created here
    EXPECT_EQ(Send('g', INPUT_PRESS), 1);     // consumed although it does nothing
    EXPECT_EQ(Send('g', INPUT_RELEASE), 0);
    EXPECT_EQ(BindSet('h', nullptr), nullptr);
    BindSet('c', "set camera 2");
    EXPECT_EQ(Send('c', INPUT_PRESS), 1);
    EXPECT_EQ(cameraMode, 2);
    BindSet('v', "set");
    EXPECT_EQ(Send('v', INPUT_PRESS), 1); // the bare word: set with no argument
    EXPECT_EQ(cameraMode, 2);
    // A line that is too long to be a command name ends the program at binding time.
    std::string longLine = "set camera " + std::string(60, '1');
    EXPECT_EXIT(BindSet('x', longLine.c_str()), testing::ExitedWithCode(1), "");
}

TEST_F(BindTest, NewerHandlerSeesEventsFirstAndCanSwallowThem) {
    InputAddHandler(GuiLike);
    for (int consume : {1, 0}) {
        consumeAll = consume;
        keyboard.Down(SDL_SCANCODE_SPACE);
        keyboard.Poll();
        EXPECT_EQ(cmdAttack, 1 - consume);
        keyboard.Up(SDL_SCANCODE_SPACE);
        keyboard.Poll();
    }
    EXPECT_EQ(RecordedEvents().size(), 4u);
    InputRemoveHandler(GuiLike);
    keyboard.Down(SDL_SCANCODE_SPACE);
    keyboard.Poll();
    EXPECT_EQ(RecordedEvents().size(), 4u);
}

} // namespace
