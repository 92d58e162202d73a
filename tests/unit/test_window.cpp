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

// The decision on a desktop of dw x dh x bits with the configured size and a faked mode list:
// whether start-up goes on, full screen or not, a mode switch or not, and the decisive log lines.
TEST(FullscreenDecision, SwitchesFallsBackOrKeepsTheDesktop) {
    setenv("SKX_NO_MESSAGEBOX", "1", 1);
    const std::vector<DisplayMode> lists[] = {
        {},
        {{1024, 768, 24, 60}},
        {{1024, 768, 24, 60}, {800, 600, 24, 60}, {640, 480, 24, 60}},
        {{1024, 768, 24, 60}, {800, 480, 24, 60}}};
    struct Case {
        int32_t fscreen, width, height, bits, modes;
        bool ok;
        int32_t fullscreen, changed;
        const char* has;
        const char* lacks;
    };
    const Case cases[] = {
        // The desktop has the size already (a depth that cannot be switched does not count).
        {1, 1024, 768, 24, 2, true, 1, 0, "", "Going fullscreen"},
        {1, 800, 600, 24, 2, true, 1, 1, "Trying 800x600x24-bit color (60 hertz)\n", "Falling"},
        {1, 1280, 1024, 24, 2, true, 1, 0, "No matching mode to 1280x1024x16-bit color available\n",
         "Going fullscreen 640x480"},
        // Small sizes try 640 x 480 and show a captioned window in it.
        {1, 320, 240, 24, 2, true, 0, 1, "Trying 640x480x24-bit color (60 hertz)\n", "Falling"},
        // A mode of the right width but another height is no match.
        {1, 800, 600, 24, 3, true, 1, 0, "No matching mode to 800x600", "Trying 800x480"},
        {1, 320, 240, 24, 1, true, 0, 0, "Falling back to a windowed screen\n",
         "Trying 640x480x24"},
        {1, 800, 600, 8, 0, false, 0, 0, "Hardware failed to change to 800x600x16-bit color\n", ""},
        {1, 800, 600, 16, 0, true, 1, 0, "Falling back to a windowed screen\n", ""},
        {0, 640, 480, 24, 2, true, 0, 0, "", "Trying"},
    };
    for (const Case& c : cases) {
        fakeModes = lists[c.modes];
        ScratchDir dir;
        LogInit();
        LogResetForTest();
        WindowSetModeSource(&FAKE);
        screenWidth = c.width;
        screenHeight = c.height;
        colorDepth = 16;
        desktopWidth = 1024;
        desktopHeight = 768;
        desktopBits = c.bits;
        const bool ok = WindowChooseDisplayMode(c.fscreen);
        WindowSetModeSource(nullptr);
        const std::string log = ReadFile("boot.log");
        const std::string what = std::to_string(c.width) + "x" + std::to_string(c.height) + " on " +
                                 std::to_string(c.bits) + " bits";
        EXPECT_EQ(ok, c.ok) << what;
        EXPECT_NE(log.find(c.has), std::string::npos) << what << "\n" << log;
        if (*c.lacks) {
            EXPECT_EQ(log.find(c.lacks), std::string::npos) << what << "\n" << log;
        }
        if (c.fscreen == 0) {
            EXPECT_EQ(log, "");
        }
        if (!c.ok) continue;
        EXPECT_EQ(fullscreenWindow, c.fullscreen) << what;
        EXPECT_EQ(displayModeChanged, c.changed) << what;
    }
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
