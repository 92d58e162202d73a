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

TEST(StringNextWord, SplitsAtSpacesOnlyAndCutsLongWords) {
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
    const std::string line = std::string(300, 'w') + " next";
    EXPECT_STREQ(StringNextWord(line.c_str(), word), "next"); // cut, but skipped whole
    EXPECT_EQ(std::string(word), std::string(255, 'w'));
    EXPECT_STREQ(StringNextWord("skip me", nullptr), "me");
    char small[4];
    StringNextWord("abcdef", small, sizeof(small));
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(StringNextWord(nullptr, word), nullptr);
}

TEST_F(CommandTest, LinesRunTheirCommandWithCaseSensitiveNames) {
    CommandExecute("set camera 3");
    EXPECT_EQ(cameraMode, 3);
    CommandExecute("set   camera    2   ignored words");
    EXPECT_EQ(cameraMode, 2);
    for (const char* line : {" set camera 1", "Set camera 1", "set Camera 1", "set camera", "",
                             "nosuchcommand camera 1", "bind camera 1"})
        CommandExecute(line);
    CommandExecute(nullptr);
    CommandFind("set")->handler(nullptr); // a key bound to the bare word
    EXPECT_EQ(cameraMode, 2);
    // quit runs the installed action only; registering again replaces a handler.
    static int quitCalls = 0;
    CommandExecute("quit");
    quitHook = [] { ++quitCalls; };
    CommandExecute("quit now");
    EXPECT_EQ(quitCalls, 1);
    Command* quit = CommandFind("quit");
    EXPECT_EQ(CommandRegister("quit", nullptr), quit);
    CommandExecute("quit");
    EXPECT_EQ(quitCalls, 1);
}

TEST_F(CommandTest, PlusCommandsCountMinusClearsAndLookBackSnapsBothWays) {
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

TEST_F(CommandTest, SizeStepsReachExactlyHalfAndWholeAndAreAppliedEachTime) {
    screenWidth = 640;
    screenHeight = 480;
    for (int i = 0; i < 9; ++i)
        CommandExecute("sizedown");
    EXPECT_GT(viewSize, 0.5f);
    CommandExecute("sizedown"); // single-precision steps would overshoot below 0.5
    EXPECT_EQ(viewSize, 0.5f);
    EXPECT_EQ(LastViewport(), (std::vector<double>{160, 120, 320, 240}));
    GLRecorderClear();
    CommandExecute("sizedown");
    EXPECT_EQ(viewSize, 0.5f);
    EXPECT_EQ(GLRecorderCount("Viewport"), 1); // applied although unchanged
    for (int i = 0; i < 11; ++i)
        CommandExecute("sizeup");
    EXPECT_EQ(viewSize, 1.0f);
    EXPECT_EQ(LastViewport(), (std::vector<double>{0, 0, 640, 480}));
}

TEST_F(CommandTest, TableAndNameLimitsEndTheProgram) {
    std::string name63(63, 'c');
    EXPECT_NE(CommandRegister(name63.c_str(), nullptr), nullptr);
    std::string name64(64, 'c');
    EXPECT_EXIT(CommandCreate(name64.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CommandCreate: commandName too long\n"),
              std::string::npos);
    // The table holds 255 commands, defaults included.
    EXPECT_EXIT(
        {
            char name[16];
            for (int i = 0; i < 255; ++i) {
                std::snprintf(name, sizeof(name), "c%03d", i);
                CommandRegister(name, nullptr);
            }
        },
        testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CommandCreate: overflowed command table\n"),
              std::string::npos);
}

} // namespace
