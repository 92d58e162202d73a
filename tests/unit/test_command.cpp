// Commands: the word splitter, the command-line runner, control words, view size and table limits.
#include "console_test_util.h"
#include "core/window.h"
#include "render/scene.h"

#include <string>

namespace {

class CommandTest : public ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        StartConsole();
        CVarRegisterLong("camera", &cameraMode);
        cameraMode = 0;
        viewSize = 1.0f;
    }
    void TearDown() override {
        quitHook = nullptr;
        cameraMode = 0;
        viewSize = 1.0f;
        ConsoleTest::TearDown();
    }
};

TEST(StringNextWord, SplitsAtSpacesOnly) {
    char word[STRING_WORD_SIZE];
    const char* cases[][3] = {{"set   camera 3", "set", "camera 3"},
                              {"a\tb c", "a\tb", "c"},
                              {" lead", "", "lead"},
                              {"last  ", "last", ""},
                              {"", "", ""}};
    for (auto& c : cases) {
        EXPECT_STREQ(StringNextWord(c[0], word), c[2]) << c[0];
        EXPECT_STREQ(word, c[1]) << c[0];
    }
    EXPECT_STREQ(StringNextWord("skip me", nullptr), "me");
    word[0] = 'z';
    EXPECT_EQ(StringNextWord(nullptr, word), nullptr);
    EXPECT_EQ(word[0], 'z');
}

TEST(StringNextWord, LongWordIsCutButSkippedWhole) {
    std::string line = std::string(300, 'w') + " next";
    char word[STRING_WORD_SIZE];
    const char* rest = StringNextWord(line.c_str(), word);
    EXPECT_EQ(std::string(word), std::string(255, 'w'));
    EXPECT_STREQ(rest, "next");
    char small[4];
    StringNextWord("abcdef", small, sizeof(small));
    EXPECT_STREQ(small, "abc");
}

TEST_F(CommandTest, SetThroughCommandExecuteWritesTheCameraAlias) {
    CommandExecute("set camera 3");
    EXPECT_EQ(cameraMode, 3);
    CommandExecute("set   camera    2   ignored words");
    EXPECT_EQ(cameraMode, 2);
    CommandExecute(" set camera 1"); // leading blank: empty command word
    CommandExecute("Set camera 1");  // names are case-sensitive
    CommandExecute("set Camera 1");  // a different variable
    EXPECT_EQ(cameraMode, 2);
    CommandExecute("set camera"); // no value text: unchanged
    EXPECT_EQ(cameraMode, 2);
    CommandExecute("");
    CommandExecute(nullptr);
    CommandExecute("nosuchcommand camera 1");
    CommandExecute("bind camera 1");
    EXPECT_EQ(cameraMode, 2);
    // A key bound to the bare word runs the handler with no argument.
    CommandFind("set")->handler(nullptr);
    EXPECT_EQ(cameraMode, 2);
}

TEST_F(CommandTest, PlusCommandsCountAndMinusClears) {
    CommandExecute("+forward");
    CommandExecute("+forward");
    EXPECT_EQ(cmdForward, 2);
    CommandExecute("-forward");
    EXPECT_EQ(cmdForward, 0);
    for (const char* word : {"+attack", "+left", "+right", "+backward"})
        CommandExecute(word);
    EXPECT_EQ(cmdAttack + cmdLeft + cmdRight + cmdBackward, 4);
    EXPECT_EQ(cameraSnap, 0);
    CommandExecute("+lookback");
    EXPECT_EQ(cmdLookback, 1);
    EXPECT_EQ(cameraSnap, 1);
    cameraSnap = 0;
    CommandExecute("-lookback");
    EXPECT_EQ(cmdLookback, 0);
    EXPECT_EQ(cameraSnap, 1);
}

// The viewport of the last SetProjection: x, y, width, height.
std::vector<double> LastViewport() {
    int found = -1;
    for (int i = GLRecorderFind("Viewport"); i >= 0; i = GLRecorderFind("Viewport", i + 1))
        found = i;
    if (found < 0) return {};
    const GLRecordedCall& call = GLRecorderCalls()[found];
    return std::vector<double>(call.args, call.args + call.argCount);
}

TEST_F(CommandTest, SizedownTenTimesReachesExactlyHalf) {
    // Single-precision steps overshoot: without the clamp the tenth step lands below 0.5.
    float unclamped = 1.0f;
    for (int i = 0; i < 10; ++i)
        unclamped -= 0.05f;
    ASSERT_LT(unclamped, 0.5f);

    screenWidth = 640;
    screenHeight = 480;
    for (int i = 0; i < 9; ++i)
        CommandExecute("sizedown");
    EXPECT_GT(viewSize, 0.5f);
    CommandExecute("sizedown");
    EXPECT_EQ(viewSize, 0.5f);
    EXPECT_EQ(LastViewport(), (std::vector<double>{160, 120, 320, 240}));
    GLRecorderClear();
    CommandExecute("sizedown");
    EXPECT_EQ(viewSize, 0.5f);
    EXPECT_EQ(GLRecorderCount("Viewport"), 1); // applied although unchanged
    for (int i = 0; i < 10; ++i)
        CommandExecute("sizeup");
    EXPECT_EQ(viewSize, 1.0f);
    GLRecorderClear();
    CommandExecute("sizeup");
    EXPECT_EQ(viewSize, 1.0f);
    EXPECT_EQ(LastViewport(), (std::vector<double>{0, 0, 640, 480}));
}

int quitCalls = 0;
void CountQuit() {
    ++quitCalls;
}

TEST_F(CommandTest, QuitRunsTheInstalledActionOnly) {
    quitCalls = 0;
    CommandExecute("quit");
    EXPECT_EQ(quitCalls, 0);
    quitHook = CountQuit;
    CommandExecute("quit now");
    EXPECT_EQ(quitCalls, 1);
}

TEST_F(CommandTest, RegisterReplacesTheHandlerOfAnExistingCommand) {
    Command* quit = CommandFind("quit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(CommandRegister("quit", nullptr), quit);
    quitHook = CountQuit;
    quitCalls = 0;
    CommandExecute("quit");
    EXPECT_EQ(quitCalls, 0);
    EXPECT_EQ(CommandFind("QUIT"), nullptr);
}

// The 20 defaults and `screenshot`, which the F12 binding names.
TEST_F(CommandTest, TwentyOneCommandsAtStartLeave234FreeRecords) {
    char name[16];
    for (int i = 0; i < 255 - 21; ++i) {
        std::snprintf(name, sizeof(name), "c%03d", i);
        CommandRegister(name, nullptr);
    }
    EXPECT_NE(CommandFind("c233"), nullptr);
    EXPECT_EXIT(CommandRegister("one-too-many", nullptr), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CommandCreate: overflowed command table\n"),
              std::string::npos);
}

TEST_F(CommandTest, NameOf64EndsTheProgram) {
    std::string name63(63, 'c');
    EXPECT_NE(CommandRegister(name63.c_str(), nullptr), nullptr);
    std::string name64(64, 'c');
    EXPECT_EXIT(CommandCreate(name64.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CommandCreate: commandName too long\n"),
              std::string::npos);
}

} // namespace
