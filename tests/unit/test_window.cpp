// The full-screen decision and its fall-backs against a faked display-mode list, the priority
// mapping, and the log lines a player's boot.log shows for each case.
#include "core/log.h"
#include "core/window.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<DisplayMode> fakeModes;

int FakeCount() {
    return static_cast<int>(fakeModes.size());
}
bool FakeGet(int index, DisplayMode* out) {
    if (index < 0 || index >= FakeCount()) return false;
    *out = fakeModes[static_cast<size_t>(index)];
    return true;
}
const char* FakeName() {
    return "fake0";
}
const DisplayModeSource FAKE = {FakeCount, FakeGet, FakeName};

struct Decision {
    bool ok;
    std::string log;
};

// Runs the decision on a desktop of dw x dh x bits with the configured size, in a scratch dir.
Decision Decide(int32_t fscreen, int32_t width, int32_t height, int32_t dw, int32_t dh,
                int32_t bits) {
    ScratchDir dir;
    LogInit();
    LogResetForTest();
    WindowSetModeSource(&FAKE);
    screenWidth = width;
    screenHeight = height;
    colorDepth = 16;
    desktopWidth = dw;
    desktopHeight = dh;
    desktopBits = bits;
    Decision d;
    d.ok = WindowChooseDisplayMode(fscreen);
    WindowSetModeSource(nullptr);
    d.log = ReadFile("boot.log");
    return d;
}

bool Has(const std::string& log, const std::string& text) {
    return log.find(text) != std::string::npos;
}

class FullscreenDecision : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SKX_NO_MESSAGEBOX", "1", 1);
        fakeModes = {{1024, 768, 24, 60}, {800, 600, 24, 60}, {640, 480, 24, 60}};
    }
};

TEST_F(FullscreenDecision, DesktopAlreadyAtTheSizeGetsFullscreenWithoutSwitch) {
    // Depth differs (16 wanted, 24 on the desktop): it cannot be switched, so it does not count.
    Decision d = Decide(1, 1024, 768, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 1);
    EXPECT_EQ(displayModeChanged, 0);
    EXPECT_FALSE(Has(d.log, "Going fullscreen")) << d.log;
}

TEST_F(FullscreenDecision, ListedSizeIsSwitchedTo) {
    Decision d = Decide(1, 800, 600, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 1);
    EXPECT_EQ(displayModeChanged, 1);
    EXPECT_TRUE(Has(d.log, "Trying 800x600x24-bit color (60 hertz)\n")) << d.log;
}

TEST_F(FullscreenDecision, MissingLargeSizeFallsBackToBorderlessOnTheDesktop) {
    Decision d = Decide(1, 1280, 1024, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 1);
    EXPECT_EQ(displayModeChanged, 0);
    EXPECT_TRUE(Has(d.log, "No matching mode to 1280x1024x16-bit color available\n")) << d.log;
    EXPECT_TRUE(Has(d.log, "Falling back to a windowed screen\n"));
    EXPECT_FALSE(Has(d.log, "Not supported, Going fullscreen 640x480"));
}

TEST_F(FullscreenDecision, SmallSizeTriesSixForty) {
    Decision d = Decide(1, 320, 240, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 0); // a captioned 320 x 240 window
    EXPECT_EQ(displayModeChanged, 1);
    EXPECT_TRUE(Has(d.log, "Trying 640x480x24-bit color (60 hertz)\n"));
    EXPECT_FALSE(Has(d.log, "Falling back"));

    fakeModes = {{1024, 768, 24, 60}};
    d = Decide(1, 320, 240, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 0);
    EXPECT_EQ(displayModeChanged, 0);
    EXPECT_TRUE(Has(d.log, "Falling back to a windowed screen\n"));
}

TEST_F(FullscreenDecision, LowColourDesktopWithoutAnySwitchEndsStartUp) {
    fakeModes.clear();
    Decision d = Decide(1, 800, 600, 1024, 768, 8);
    EXPECT_FALSE(d.ok);
    EXPECT_TRUE(Has(d.log, "Hardware failed to change to 800x600x16-bit color\n")) << d.log;
    // Sixteen bits or more: the desktop is kept and start-up goes on.
    EXPECT_TRUE(Decide(1, 800, 600, 1024, 768, 16).ok);
}

TEST_F(FullscreenDecision, WindowedTriesNoMode) {
    Decision d = Decide(0, 640, 480, 1024, 768, 24);
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(fullscreenWindow, 0);
    EXPECT_EQ(displayModeChanged, 0);
    EXPECT_EQ(d.log, "");
}

TEST(Priority, LevelsMapToNiceValues) {
    EXPECT_EQ(SetPriorityNice(0), 19);
    EXPECT_EQ(SetPriorityNice(1), 0);
    EXPECT_EQ(SetPriorityNice(2), -5);
    EXPECT_EQ(SetPriorityNice(3), -10);
    EXPECT_EQ(SetPriorityNice(7), -5);
    EXPECT_EQ(SetPriorityNice(-1), -5);
}

// Runs body in a child process and returns its exit status (priorities are per process).
int InChild(void (*body)()) {
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(Priority, FocusLossDropIsUndoneWhenPrivileged) {
    if (geteuid() != 0) GTEST_SKIP() << "needs the privilege to raise the priority";
    EXPECT_EQ(InChild([] {
                  SetPriority(0);
                  if (getpriority(PRIO_PROCESS, 0) != 19) _exit(1);
                  SetPriority(2);
                  if (getpriority(PRIO_PROCESS, 0) != -5) _exit(2);
              }),
              0);
}

TEST(Priority, UnprivilegedProcessIsNotLeftAtIdleForGood) {
    EXPECT_EQ(InChild([] {
                  // An ordinary user without a nice allowance: it could never come back from 19.
                  struct rlimit none = {0, 0};
                  setrlimit(RLIMIT_NICE, &none);
                  if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
                  const int before = getpriority(PRIO_PROCESS, 0);
                  SetPriority(0);
                  if (getpriority(PRIO_PROCESS, 0) != before) _exit(1);
                  SetPriority(3); // refused quietly
                  if (getpriority(PRIO_PROCESS, 0) != before) _exit(2);
              }),
              0);
}

} // namespace
