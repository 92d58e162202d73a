// Core: the vantor.ini reader, the logs, the frame loop's settings, the fatal-signal
// guard (real faults in a child process), the full-screen decision, the fatal exit's and
// Alt+Enter's dealings with the window, and the process priority. Full screen at the desktop's size
// and at a size without a mode: tests/integration/display.sh.
#include "app/app.h"
#include "app/client.h"
#include "core/clock.h"
#include "core/fatal.h"
#include "core/framepace.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/window.h"
#include "fuzz_target.h"
#include "test_util.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

TEST(Ini, KeysValuesCommentsAndNumberConversions) {
    ScratchDir dir;
    WriteFile("t.ini",
              "FScreen = 0\nwidth=800\nheight =600 ; tall\n  depth   =   24   extra words\n"
              "# fov = 10\n   ; fov = 20\nfov = 60\nfov = 75\nlights =\nopengl =\nbare\n"
              "a = 12abc\r\nb = 0x10\r\nd = -7\r\nslice = 0.02\r\ne = 1E3\n"
              "n = nan\ni = inf\nx = -2.5e1z\nbig = 4294967296\n"
              "neg = -9999999999\nmaxfps = 144");
    const struct {
        const char* key;
        int32_t fallback, value;
    } ints[] = {{"fscreen", 1, 0},     {"width", 640, 640}, // width=800 is a single word
                {"height", 480, 600},  {"DEPTH", 16, 24},    {"maxfps", 200, 144}, {"#", 7, 7},
                {"lights", 3, 0},      {"a", 1, 12},         {"b", 1, 0},          {"d", 1, -7},
                {"big", 1, INT32_MAX}, {"neg", 1, INT32_MIN}};
    for (const auto& c : ints)
        EXPECT_EQ(IniGetInt("t.ini", c.key, c.fallback), c.value) << c.key;
    const struct {
        const char* key;
        float value;
    } floats[] = {{"fov", 60}, {"bare", 0}, {"slice", 0.02f}, {"e", 1000},
                  {"n", 0},    {"i", 0},    {"x", -25}};
    for (const auto& c : floats)
        EXPECT_EQ(IniGetFloat("t.ini", c.key, 90.0f), c.value) << c.key;
    char out[INI_VALUE_SIZE];
    IniGetString("t.ini", "opengl", "auto", out); // empty text gives the default
    EXPECT_STREQ(out, "auto");
    bool named = false;
    for (const char* key : {"lights", "absent", "# fov"}) // named, even empty; absent; a comment
        EXPECT_EQ((IniGetInt("t.ini", key, 0, &named), named), key[0] == 'l') << key;
}

TEST(Ini, MissingFileAndSmallBuffers) {
    ScratchDir dir;
    LogResetForTest();
    char out[4];
    bool named = true;
    EXPECT_EQ(IniGetInt("vantor.ini", "width", 640, &named), 640);
    EXPECT_FALSE(named);
    IniGetString("vantor.ini", "opengl", "auto", out, sizeof(out));
    EXPECT_STREQ(out, "aut");
    const std::string line = "Unable to open INI file vantor.ini.\n";
    std::string log = ReadFile("error.log");
    EXPECT_EQ(log.find(line, log.find(line) + 1) + line.size(), log.size()) << log; // two lines
    WriteFile("t.ini", "value = " + std::string(300, 'v') + "\nok = 3\n");
    IniGetString("t.ini", "ok", "default", out, sizeof(out));
    EXPECT_STREQ(out, "3");
    IniGetString("t.ini", "value", "default", out, sizeof(out));
    EXPECT_STREQ(out, "vvv");
}

const std::string STAMP = R"(\d\d/\d\d\(\d\d:\d\d\) )";

// The shipped vantor.ini shows every setting the program reads at its one default (the rows of
// the settings tables), but for the few it sets on purpose; a demo's keys are for one run only.
TEST(Settings, TheShippedFileShowsEveryRowAtItsDefault) {
    ClientRegisterSettings();
    const std::string changed =
        " fscreen wresize wauto wremember minimize vsync autopause grace attract playcd random "
        "easy "
        "results titlediff hitables volume cdvolume mixrate mixbits musicfollow gamemenu crosshair "
        "notes ";
    const std::string oneRun = " record playdemo timedemo demoshot ";
    std::map<std::string, std::string> shipped;
    std::ifstream file(std::string(SKX_TEST_SOURCE_DIR) + "/data/vantor.ini");
    std::smatch m;
    for (std::string line; std::getline(file, line);)
        if (std::regex_match(line, m, std::regex(R"(([A-Za-z]+) = (\S+))"))) shipped[m[1]] = m[2];
    int rows = 0;
    for (int32_t t = 0; t < SettingsTableCount(); ++t)
        for (int32_t i = 0; i < SettingsTable(t).count; ++i) {
            const Setting& row = SettingsTable(t).rows[i];
            const std::string key = row.key;
            ++rows;
            EXPECT_EQ(SettingsFind(row.key), &row) << key << " is in two tables";
            EXPECT_TRUE(row.type == SETTING_TEXT || SettingInRange(row, row.defaultValue)) << key;
            if (oneRun.find(" " + key + " ") != std::string::npos) continue;
            ASSERT_TRUE(shipped.count(key)) << key << " is missing from data/vantor.ini";
            if (changed.find(" " + key + " ") != std::string::npos) continue;
            if (row.type == SETTING_TEXT)
                EXPECT_EQ(shipped[key], row.defaultText) << key;
            else
                EXPECT_FLOAT_EQ(std::stof(shipped[key]), static_cast<float>(row.defaultValue))
                    << key;
        }
    EXPECT_EQ(rows, static_cast<int>(shipped.size()) + 4); // nothing shipped that nobody reads
}

// The local date and time as the C library writes them, for a stamp made at the same time.
std::string LocalStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof(text), "%m/%d(%H:%M) ", &local);
    return text;
}

TEST(Log, StampsAndErrorsCopiedToBootLogUntilStartUpCompletes) {
    ScratchDir dir;
    LogInit();
    LogResetForTest();
    const std::string before = LocalStamp();
    Log(LOG_BOOT, "Vendor: ");
    const std::string after = LocalStamp();
    LogPrintf(LOG_BOOT, "Mesa\n"); // continues the line: one stamp
    Log(LOG_ERROR, "LightAlloc: Out of lights - ergh!\n");
    Log(7, "seven\n"); // out of range: an error
    LogInitComplete();
    Log(LOG_ERROR, "after\n");
    const std::string boot = ReadFile("boot.log"), err = ReadFile("error.log");
    EXPECT_TRUE(std::regex_match(
        boot, std::regex(STAMP + "Vendor: Mesa\n" + STAMP + "LightAlloc: Out of lights - ergh!\n" +
                         STAMP + "seven\n" + STAMP + "Server initialization complete\n")))
        << boot;
    EXPECT_TRUE(boot.rfind(before, 0) == 0 || boot.rfind(after, 0) == 0) << before << boot;
    EXPECT_TRUE(std::regex_match(
        err, std::regex(STAMP + "LightAlloc.*\n" + STAMP + "seven\n" + STAMP + "after\n")))
        << err;
    LogResetForTest();
}

TEST(Log, InitRotatesAbove100000BytesAndReadOnlyFilesAreMadeWritable) {
    ScratchDir dir;
    WriteFile("boot.log", "previous run\n");
    WriteFile("error.log", std::string(100001, 'e'));
    WriteFile("error.old", "older\n");
    WriteFile("port.log", std::string(100000, 'p'));
    LogInit();
    EXPECT_FALSE(FileExists("boot.log"));
    EXPECT_FALSE(FileExists("error.log"));
    EXPECT_EQ(ReadFile("error.old").size(), 100001u);
    EXPECT_EQ(ReadFile("port.log").size(), 100000u) << "exactly 100000 bytes stays";
    EXPECT_FALSE(FileExists("port.old"));
    WriteFile("error.log", "old line\n");
    chmod("error.log", S_IRUSR);
    LogResetForTest();
    Log(LOG_ERROR, "appended\n");
    const std::string err = ReadFile("error.log");
    EXPECT_TRUE(err.rfind("old line\n", 0) == 0 && err.find("appended") != std::string::npos);
}

TEST(Log, TwoThreadsNeverInterleaveWithinAMessage) {
    ScratchDir dir;
    LogResetForTest();
    LogInitComplete(); // no boot copies: only error.log
    auto writer = [](char c) {
        for (int i = 0; i < 200; ++i)
            Log(LOG_ERROR, "%s\n", std::string(60, c).c_str());
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    std::istringstream lines(ReadFile("error.log"));
    int n = 0;
    for (std::string line; std::getline(lines, line); ++n)
        ASSERT_TRUE(std::regex_match(line, std::regex(STAMP + "(a{60}|b{60})"))) << line;
    EXPECT_EQ(n, 400);
    LogResetForTest();
}

// The fatal report's stamp, made without the C library, against the C library's, from 1970 to
// 2106 (the leap days of 2000 and 2096, none in 2100).
TEST(Log, HandMadeStampMatchesTheCLibrary) {
    for (int64_t t = 0; t < (int64_t{1} << 32); t += 86400 * 37 + 3671) {
        char mine[16], expected[64];
        const time_t seconds = static_cast<time_t>(t);
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        std::snprintf(expected, sizeof(expected), "%02d/%02d(%02d:%02d) ", utc.tm_mon + 1,
                      utc.tm_mday, utc.tm_hour, utc.tm_min);
        ASSERT_EQ(LogFormatStamp(t, mine), 13u);
        ASSERT_STREQ(mine, expected) << t;
    }
}

// How a frame is cut into steps: every shipped demo's replay (tests/integration/demo_replay.sh).
TEST(FrameLoop, NonPositiveSliceAndMaxFpsFallBackToDefaults) {
    ScratchDir dir;
    LogResetForTest();
    WriteFile("vantor.ini", "slice = 0\nmaxfps = 0\n");
    AppReadLoopSettings();
    EXPECT_FLOAT_EQ(timeSlice, 0.035f);
    EXPECT_EQ(maxFps, 200);
    std::string err = ReadFile("error.log");
    EXPECT_NE(err.find("slice"), std::string::npos);
    EXPECT_NE(err.find("maxfps"), std::string::npos);
    WriteFile("vantor.ini", "slice = 1e-20\n"); // its step count would overflow
    AppReadLoopSettings();
    EXPECT_FLOAT_EQ(timeSlice, 0.035f);
}

// A frame is cut into trunc(dt / slice) + 1 equal steps: a frame of exactly one slice is two
// steps of half a slice; absurd frame times neither hang the loop nor overflow the count.
TEST(FrameLoop, AFrameOfKSlicesIsKPlusOneSteps) {
    const float inv = 1.0f / 0.035f;
    struct {
        float dt;
        int32_t steps;
    } frames[] = {{0.1f, 3}, {0.02f, 1}, {0.035f, 2}, {0.07f, 3}, {0.0f, 1}, {1e30f, INT32_MAX}};
    for (auto [dt, steps] : frames)
        EXPECT_EQ(AppFrameSteps(dt, inv), steps) << dt;
    std::vector<float> taken;
    static std::vector<float>* sink = &taken;
    EXPECT_EQ(
        AppRunSteps(0.035f, AppFrameSteps(0.035f, inv), [](float dt) { sink->push_back(dt); }), 2);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_FLOAT_EQ(taken[0], 0.0175f);
    EXPECT_FLOAT_EQ(taken[0] + taken[1], 0.035f);
}

// The frame-time figures leave out the first second; a frame time without an int value (a
// suspended process) counts among the slowest; SKX_FRAMES=N ends the run at the N-th frame.
TEST(FrameLoop, FrameFiguresAndTheFrameLimit) {
    {
        ScopedEnv limit("SKX_FRAMES", "102");
        FramePaceInit(); // the limit is read here
    }
    std::vector<bool> ends = {FramePaceRecord(0.5f, 0.5f)};
    for (int i = 0; i < 101; ++i) // 90 frames of 2 ms, 9 of 20 ms, 2 absurd ones
        ends.push_back(FramePaceRecord(i < 90 ? 0.002f : (i < 99 ? 0.02f : 1e30f), 2.0f));
    std::vector<bool> expected(101, false);
    expected.push_back(true);
    EXPECT_EQ(ends, expected);
    const FramePaceFigures f = FramePaceGetFigures();
    EXPECT_EQ(f.frames, 101);
    EXPECT_NEAR(f.medianMs, 2.0f, 0.011f);
    EXPECT_GE(f.p99Ms, 100.0f);
    FramePaceInit();
    // The renderer's timing figures are milliseconds of the frame clock.
    ClockInit();
    ClockMark outer = ClockNow(), middle = ClockNow(), inner = ClockNow();
    for (const float start = ClockSeconds(); ClockSeconds() < start + 0.002f;) {
    }
    const float innerMs = ClockDelta(&inner) * 1000.0f, ms = ClockDeltaMs(&middle);
    EXPECT_TRUE(ms >= innerMs && ms <= ClockDelta(&outer) * 1000.0f) << ms << " " << innerMs;
}

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile bool keepGoing = true;
int Recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    return (keepGoing ? Recurse(depth + 1) : 0) + pad[0];
}

// ASan and UBSan report a null write or a division by zero themselves before any handler of ours
// runs, so those real faults are checked in the plain build only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif

TEST(Fatal, RealFaultsAreLoggedAndEndTheProcessByTheirSignal) {
    const struct {
        void (*fault)();
        bool startedUp, sanitizerOwns;
        int signal;
        const char* name;
    } cases[] = {
        {[] { *nowhere = 1; }, false, true, SIGSEGV, "Access Violation"}, // both logs
        {[] { zero = 1000 / zero; }, true, true, SIGFPE, "Integer Divide By Zero"},
        {[] { Recurse(0); }, true, false, SIGSEGV, "Stack Overflow"}, // from the alternate stack
    };
    for (const auto& c : cases) {
        if (c.sanitizerOwns && SANITIZED) continue;
        ScratchDir dir;
        int status = RunInChild([&] {
            // A bounded stack, so that running off it is a fault and not a machine out of memory.
            struct rlimit stack = {8u << 20, 8u << 20};
            setrlimit(RLIMIT_STACK, &stack);
            FatalGuardInstall();
            LogInit();
            LogResetForTest();
            if (c.startedUp) LogInitComplete();
            c.fault();
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.name;
        const std::string line = std::string("Fatal Exception: ") + c.name + "\n";
        EXPECT_NE(ReadFile("error.log").find(line), std::string::npos) << c.name;
        EXPECT_EQ(ReadFile("boot.log").find(line) != std::string::npos, !c.startedUp) << c.name;
    }
}

// Writes into a pipe nobody reads until it is full.
void FillPipe(int fd) {
    fcntl(fd, F_SETFL, O_NONBLOCK);
    const char block[4096] = {};
    while (write(fd, block, sizeof(block)) > 0) {
    }
    fcntl(fd, F_SETFL, 0);
}

// True once the calling thread itself has signal pending (not the process as a whole).
bool PendingOnThisThread(int signal) {
    std::ifstream status("/proc/thread-self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigPnd:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

// The report waits for nothing: not for standard output, a full pipe nobody reads, and not for the
// main thread's luck with the kernel: a kill given to another thread is reported all the same.
TEST(Fatal, KilledProcessIsReportedWhateverItWasDoing) {
    for (bool stuckOutput : {true, false}) {
        ScratchDir dir;
        int status = RunInChild([&] {
            FatalGuardInstall();
            LogInit();
            LogResetForTest();
            int out[2];
            if (stuckOutput && pipe(out) == 0) {
                dup2(out[1], STDOUT_FILENO);
                FillPipe(STDOUT_FILENO);
                kill(getpid(), SIGSEGV);
            }
            // The main thread blocks it, so the kernel gives the process's signal to the other.
            std::thread other([] {
                for (;;)
                    pause();
            });
            sigset_t segv;
            sigemptyset(&segv);
            sigaddset(&segv, SIGSEGV);
            pthread_sigmask(SIG_BLOCK, &segv, nullptr);
            kill(getpid(), SIGSEGV);
            for (int i = 0; i < 500 && !PendingOnThisThread(SIGSEGV); ++i)
                usleep(10000);
            pthread_sigmask(SIG_UNBLOCK, &segv, nullptr);
            other.join();
        });
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << stuckOutput;
        for (const char* log : {"error.log", "boot.log"})
            EXPECT_NE(ReadFile(log).find("Fatal Exception: Access Violation\n"), std::string::npos)
                << log << " " << stuckOutput;
    }
}

std::vector<DisplayMode> fakeModes;
bool FakeMode(int index, DisplayMode* out) {
    if (index < 0 || index >= static_cast<int>(fakeModes.size())) return false;
    *out = fakeModes[static_cast<size_t>(index)];
    return true;
}
const DisplayModeSource FAKE = {[] { return static_cast<int>(fakeModes.size()); }, FakeMode,
                                [] { return "fake0"; }};

// The decision on a 1024 x 768 desktop of `bits` with the configured size and a faked mode list:
// whether start-up goes on, full screen or not, a mode switch or not, and the decisive log lines.
TEST(Window, FullScreenSwitchesFallsBackOrKeepsTheDesktop) {
    ScopedEnv noBox("SKX_NO_MESSAGEBOX", "1");
    const std::vector<DisplayMode> lists[] = {
        {},
        {{1024, 768, 24, 60}},
        {{1024, 768, 24, 60}, {800, 600, 24, 60}, {640, 480, 24, 60}},
        {{1024, 768, 24, 60}, {800, 480, 24, 60}}};
    const struct {
        int32_t fscreen, width, height, bits, modes;
        bool ok;
        int32_t fullscreen, changed;
        const char *has, *lacks; // has: null for a silent choice
    } cases[] = {
        {1, 800, 600, 24, 2, true, 1, 1, "Trying 800x600x24-bit color (60 hertz)\n", "Falling"},
        // Small sizes try 640 x 480 and show a captioned window in it.
        {1, 320, 240, 24, 2, true, 0, 1, "Trying 640x480x24-bit color (60 hertz)\n", "Falling"},
        // A mode of the right width but another height is no match.
        {1, 800, 600, 24, 3, true, 1, 0, "No matching mode to 800x600", "Trying 800x480"},
        {1, 320, 240, 24, 1, true, 0, 0, "Falling back to a windowed screen\n",
         "Trying 640x480x24"},
        // No modes listed at all: the hardware is blamed, not the size; no 640 x 480 retry.
        {1, 800, 600, 8, 0, false, 0, 0, "Hardware failed to change to 800x600x16-bit color\n",
         "is not supported"},
        {1, 800, 600, 16, 0, true, 1, 0, "Falling back to a windowed screen\n", "640x480"},
        {0, 640, 480, 24, 2, true, 0, 0, nullptr, "Going fullscreen"}, // windowed: nothing tried
    };
    for (const auto& c : cases) {
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
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << ", " << c.bits << "\n"
                                        << log);
        EXPECT_EQ(ok, c.ok);
        EXPECT_TRUE(!c.has || log.find(c.has) != std::string::npos) << c.has;
        EXPECT_EQ(log.find(c.lacks), std::string::npos);
        if (!c.ok) continue;
        EXPECT_EQ(fullscreenWindow, c.fullscreen);
        EXPECT_EQ(displayModeChanged, c.changed);
    }
}

// A fatal exit leaves full screen, so a switched display mode does not outlive the program; a
// refused desktop full screen (Alt+Enter) puts the window back where it was and says so. Alt with
// either Enter key switches, and the options show and save desktop full screen as fscreen 2.
TEST(Window, FatalExitAndRefusedFullScreenLeaveTheDisplayAsItWas) {
    ScratchDir dir;
    LogResetForTest();
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    mainWindow = SDL_CreateWindow("t", 0, 0, 640, 480, SDL_WINDOW_FULLSCREEN);
    ASSERT_NE(mainWindow, nullptr) << SDL_GetError();
    EXPECT_EQ(FuzzCatchExit([](const char*) { FatalExit(3); }, ""), 3);
    EXPECT_EQ(SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_FULLSCREEN, 0u);
    SDL_DestroyWindow(mainWindow);

    mainWindow = SDL_CreateWindow("t", 100, 50, 640, 480, 0);
    fullscreenWindow = 0;
    WindowSetFullscreenRequest([](SDL_Window*, uint32_t) { return SDL_SetError("refused"); });
    WindowToggleFullscreen();
    WindowSetFullscreenRequest(nullptr);
    int place[4];
    SDL_GetWindowPosition(mainWindow, &place[0], &place[1]);
    SDL_GetWindowSize(mainWindow, &place[2], &place[3]);
    EXPECT_EQ(std::vector<int>(place, place + 4), (std::vector<int>{100, 50, 640, 480}));
    EXPECT_EQ(fullscreenWindow, 0);
    EXPECT_NE(ReadFile("error.log").find("refused"), std::string::npos);
    EXPECT_EQ(ReadFile("boot.log").find("Switching to a desktop"), std::string::npos);
    WindowSetFullscreenRequest([](SDL_Window*, uint32_t) { return 0; });
    std::vector<int32_t> fscreen;
    for (SDL_Scancode key : {SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_RETURN}) {
        SDL_Event press{};
        press.type = SDL_KEYDOWN;
        press.key.keysym = {key, SDLK_UNKNOWN, KMOD_RALT, 0};
        WindowHandleEvent(press);
        fscreen.push_back(WindowFullscreenSetting());
    }
    WindowSetFullscreenRequest(nullptr);
    EXPECT_EQ(fscreen, (std::vector<int32_t>{2, 0}));
    SDL_DestroyWindow(mainWindow);
    mainWindow = nullptr;
    SDL_Quit();
}

// The window after full screen is two thirds of the desktop in its proportions, centred; a
// remembered place is brought onto a display that shows it whole, the one it mostly lies on.
TEST(Window, AutomaticSizeAndARememberedPlaceFitTheDisplays) {
    auto list = [](WindowRect r) { return std::vector<int32_t>{r.x, r.y, r.w, r.h}; };
    EXPECT_EQ(list(WindowAutoSize({0, 0, 1920, 1080})),
              (std::vector<int32_t>{320, 180, 1280, 720}));
    EXPECT_EQ(list(WindowAutoSize({1920, 0, 1280, 1024})),
              (std::vector<int32_t>{2133, 170, 853, 683}));
    const WindowRect displays[] = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const struct {
        WindowRect window;
        std::vector<int32_t> fitted;
    } cases[] = {
        {{200, 150, 1280, 720}, {200, 150, 1280, 720}},   // on the first: stays
        {{2000, 100, 800, 600}, {2000, 100, 800, 600}},   // on the second: stays
        {{1800, 500, 800, 600}, {1920, 424, 800, 600}},   // mostly on the second: moved in
        {{5000, 3000, 1280, 720}, {640, 360, 1280, 720}}, // on none (a display gone): first
        {{-100, -300, 2560, 1440}, {0, 0, 1920, 1080}},   // larger than its display
    };
    for (const auto& c : cases)
        EXPECT_EQ(list(WindowFitOnDisplays(c.window, displays, 2)), c.fitted)
            << c.window.x << "," << c.window.y;
}

// Focus loss lowers the priority only where it can come back.
TEST(Window, UnprivilegedProcessIsNotLeftAtIdleForGood) {
    EXPECT_EQ(RunInChild([] {
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
