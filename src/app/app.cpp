// Start-up, the frame loop and shutdown.
#include "app/app.h"

#include "app/client.h"
#include "app/demo.h"
#include "app/titledemo.h"
#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "core/clock.h"
#include "core/fatal.h"
#include "core/framepace.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/window.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/screenshot.h"
#include "render/scene.h"
#include "ui/hud.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <csignal>
#include <ctime>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

float timeSlice = 0.035f;
int32_t frameTest = 0;
int32_t maxFps = 200;
float frameTestTimeout = 180.0f;

namespace {

constexpr float DEFAULT_SLICE = 0.035f;
// Shorter steps only cost time: a frame would be cut into so many that the loop never catches up.
constexpr float MIN_SLICE = 0.001f;
constexpr int32_t DEFAULT_MAXFPS = 200;
// Exit statuses: a start-up failure that concerns the window or the display; the GL library.
constexpr int EXIT_STARTUP_FAILED = 4;
constexpr int EXIT_GL_LIBRARY = 1;
constexpr int EXIT_DEMO_UNPLAYABLE = 1;
constexpr int EXIT_MISSING_DATA = 1;

// 1 / timeSlice, worked out when the slice is set rather than in every frame.
float slicesPerSecond = 1.0f / DEFAULT_SLICE;

int32_t frameCount = 0;

// Start-up time from entering AppMain to the first finished frame, on standard error for the
// performance script (it sets SKX_FIRST_FRAME); the logs keep the program's own lines only.
void AppReportFirstFrame(std::chrono::steady_clock::time_point entered) {
    if (!std::getenv("SKX_FIRST_FRAME")) return;
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - entered;
    std::fprintf(stderr, "First frame after %f seconds\n", seconds.count());
}

// Takes every waiting event; false once the quit event has been taken.
bool AppPumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) return false;
        WindowHandleEvent(event); // window events and Alt+Enter
        InputHandleSdlEvent(event);
        if (cdNotifyEvent != 0 && event.type == cdNotifyEvent)
            CDAudioNotify(static_cast<uint32_t>(event.user.code), 0);
    }
    return true;
}

// What the music should be now: the title piece behind the title menu (level 0 is the attract
// mode), the dark piece from a dark level's banner on, the play tracks otherwise.
int32_t AppMusicMood() {
    // A title demo's game is still the title to the ear.
    if (level == 0 || TitleDemoPlaying()) return CD_MOOD_TITLE;
    return GameLevelDark(level) ? CD_MOOD_DARK : CD_MOOD_PLAY;
}

// Waits for the frame's deadline (maxfps; a demo's playback holds to its recorded frame times
// instead, and a timedemo does not wait), then measures the frame time in seconds.
float AppFrame() {
    float limit = 1.0f / static_cast<float>(maxFps);
    DemoFramePace(&limit);
    FramePaceWait(limit);
    const float dt = ClockDelta(nullptr);
    HudSetFrameRate(dt > 0.0f ? static_cast<int32_t>(1.0f / dt) : 0);
    return dt;
}

// The frame's input: held keys, the mouse and the joysticks turned into commands.
void AppPollInput() {
    InputPoll();
}

void AppShutdown() {
    char buffer[128];
    float seconds = ClockSeconds();
    std::snprintf(buffer, sizeof(buffer), "Average Frames per Second %f\n",
                  seconds > 0.0f ? frameCount / seconds : 0.0f);
    Log(LOG_BOOT, "%s", buffer);
    std::fputs(buffer, stderr);
    FramePaceReport();
    DemoUnInit();
    ScreenshotUnInit();
    WindowDestroy();
    OpenGLUnInit();
    ClientUnInit();
    WindowRestoreDesktop();
    SDL_Quit();
    LogUnInit();
}

// The GL driver from "opengl" (auto in any case chooses), loaded into the function table.
bool AppLoadGL() {
    char name[GL_DRIVER_NAME_SIZE];
    SettingReadText(SettingRow(glSettings, "opengl"), name, sizeof(name));
    if (strcasecmp(name, "auto") == 0) OpenGLChooseDriver(name);
    Log(LOG_BOOT, "Using opengl driver: ");
    LogPrintf(LOG_BOOT, name);
    LogPrintf(LOG_BOOT, "\n");
    const int result = OpenGLInit(name);
    if (result == 0) return true;
    Log(LOG_BOOT, "OpenGLInit returned %ld\n", static_cast<long>(result));
    Log(LOG_BOOT, "Failed to load the opengl dll, check the opengl setting in vantor.ini\n");
    Log(LOG_BOOT, "The likeliest problem is that you have an out of date OpenGL driver\n");
    Log(LOG_BOOT, "ie Pre-Version 1.1, SK3D requires OpenGL v1.1 or newer\n");
    Log(LOG_BOOT, "Please ensure you are using the newest drivers for your card\n");
    return false;
}

// Display settings; nogdi after the library is loaded, so that it can override the choice.
int32_t AppReadDisplaySettings() {
    const int32_t fscreen = SettingReadInt(windowSettings, "fscreen");
    const int32_t width = SettingReadInt(windowSettings, "width");
    const int32_t height = SettingReadInt(windowSettings, "height");
    const int32_t bits = SettingReadInt(windowSettings, "cdepth");
    const int32_t depthBits = SettingReadInt(windowSettings, "zdepth");
    WindowSetMode(width, height, bits, depthBits);
    const int32_t gdi = SettingReadInt(glSettings, "nogdi");
    if (gdi == 0 || gdi == 1) OpenGLSetNoGdi(gdi);
    const int32_t resizable = SettingReadInt(windowSettings, "wresize");
    bool vsyncNamed = false;
    const int32_t vsync = SettingReadInt(windowSettings, "vsync", &vsyncNamed);
    WindowSetPresentation(resizable, vsync, vsyncNamed);
    WindowReadPlacement();
    if (noGdi) Log(LOG_BOOT, "Window-system calls: driver first\n"); // the default goes unsaid
    return fscreen;
}

bool AppHasData() {
    struct stat st {};
    return stat("texture", &st) == 0 && S_ISDIR(st.st_mode);
}

// Started from elsewhere (a file manager, a terminal in another directory), the data is found
// beside the program. Runs before LogInit so that the logs go where the data is; the caller logs
// what happened. False when neither place has it.
bool AppFindData(char* startDir, size_t startSize, char* baseDir, size_t baseSize, bool* moved) {
    *moved = false;
    if (!getcwd(startDir, startSize)) std::snprintf(startDir, startSize, ".");
    std::snprintf(baseDir, baseSize, "(unknown)");
    if (AppHasData()) return true;
    char* base = SDL_GetBasePath();
    if (!base) return false;
    std::snprintf(baseDir, baseSize, "%s", base);
    SDL_free(base);
    if (chdir(baseDir) == 0 && AppHasData()) {
        *moved = true;
        return true;
    }
    const int back = chdir(startDir); // the error log belongs where the player started it
    static_cast<void>(back);
    return false;
}

} // namespace

const Setting APP_LOOP_SETTING_ROWS[] = {
    {"slice", SETTING_FLOAT, DEFAULT_SLICE, nullptr, MIN_SLICE, 1.0, SETTING_PLAY,
     [] { return double(timeSlice); }, [](double v) { AppSetSlice(static_cast<float>(v)); }},
    {"ftest", SETTING_INT, 0, nullptr, 0, 1, 0, nullptr, nullptr},
    {"maxfps", SETTING_INT, DEFAULT_MAXFPS, nullptr, 1, 1000, SETTING_PLAYER,
     [] { return double(maxFps); }, [](double v) { maxFps = int32_t(v); }},
    {"timeout", SETTING_FLOAT, 180.0, nullptr, 0.0, 1e9, 0, nullptr, nullptr},
};

const SettingTable appLoopSettings = SettingTableOf("loop", APP_LOOP_SETTING_ROWS);

void AppReadLoopSettings() {
    float slice = SettingReadFloat(appLoopSettings, "slice");
    frameTest = SettingReadInt(appLoopSettings, "ftest");
    maxFps = SettingReadInt(appLoopSettings, "maxfps");
    frameTestTimeout = SettingReadFloat(appLoopSettings, "timeout");
    // The loop divides by both; a zero, negative or non-finite value would stall or spin it.
    if (!(slice >= MIN_SLICE) || slice > 1e30f) {
        Log(LOG_ERROR, "AppReadLoopSettings: slice must be at least 0.001, using 0.035\n");
        slice = DEFAULT_SLICE;
    }
    AppSetSlice(slice);
    if (maxFps <= 0) {
        Log(LOG_ERROR, "AppReadLoopSettings: maxfps must be above 0, using 200\n");
        maxFps = DEFAULT_MAXFPS;
    }
}

int32_t AppFrameSteps(float dt, float invSlice) {
    // Single precision, so that a frame of exactly k slices rounds to k and gives k + 1 steps.
    const float steps = dt * invSlice;
    if (!(steps >= 0.0f)) return 1;
    return steps < 2147483520.0f ? static_cast<int32_t>(steps) + 1 : INT32_MAX;
}

int32_t AppRunSteps(float dt, int32_t n, void (*step)(float)) {
    float length = dt / static_cast<float>(n);
    int32_t calls = 0;
    // The count bounds the loop too: once a step falls below the rounding of dt, dt stops
    // shrinking.
    while (dt > length && calls < n) {
        dt -= length;
        step(length);
        ++calls;
    }
    step(dt);
    return calls + 1;
}

int AppMain() {
    const auto entered = std::chrono::steady_clock::now();
    bool firstFrameLogged = false;
    FatalGuardInstall();
    // A closed standard output (`skarnex3d | head`) must not end the program: the echo is lost,
    // the log files go on.
    std::signal(SIGPIPE, SIG_IGN);
    char startDir[PATH_MAX];
    char baseDir[PATH_MAX];
    bool moved = false;
    const bool found = AppFindData(startDir, sizeof(startDir), baseDir, sizeof(baseDir), &moved);
    LogInit();
    Log(LOG_BOOT, "Starting ");
    LogPrintf(LOG_BOOT, APP_BANNER);
    LogPrintf(LOG_BOOT, "\n");
    if (moved) Log(LOG_BOOT, "AppMain: no texture/ in %s, running from %s\n", startDir, baseDir);
    if (!found) {
        char message[2 * PATH_MAX + 128];
        std::snprintf(message, sizeof(message),
                      "AppMain: game data (texture/) found neither in %s nor in %s\n", startDir,
                      baseDir);
        Log(LOG_ERROR, "%s", message);
        WindowMessageBox(message, APP_BANNER);
        return EXIT_MISSING_DATA;
    }

    if (!InitApplication()) {
        Log(LOG_BOOT, "InitApplication failed\n");
        WindowMessageBox("Unable to initialize the application", "InitApplication");
        return EXIT_STARTUP_FAILED;
    }
    if (!AppLoadGL()) {
        SDL_Quit();
        LogUnInit();
        return EXIT_GL_LIBRARY;
    }
    const int32_t fscreen = AppReadDisplaySettings();
    OSVersionLog();
    WindowMeasureDesktop();
    if (!WindowChooseDisplayMode(fscreen)) {
        SDL_Quit();
        return EXIT_STARTUP_FAILED;
    }
    WindowSetPriorityLevel(SettingReadInt(windowSettings, "priority"));
    WindowSetGL(&sceneWindowGL); // the window's context and projection come from the renderer
    if (!WindowCreate()) {
        Log(LOG_BOOT, "CreateWindow failed\n");
        WindowMessageBox("Unable to create the application window", "Startup Error");
        SDL_Quit();
        return EXIT_STARTUP_FAILED;
    }
    WindowShow();

    AppReadLoopSettings();
    ClockInit();
    FramePaceInit();
    RandomSeed(static_cast<uint32_t>(std::time(nullptr)));
    ClientInit();
    if (!DemoInit()) { // a timedemo that cannot play cannot do its job
        AppShutdown();
        return EXIT_DEMO_UNPLAYABLE;
    }
    TitleDemoInit();

    for (;;) {
        GameInputBeginFrame();
        DemoFrameBegin();
        // Messages are handled one class below real-time.
        if (priorityLevel == 3) SetPriority(2);
        if (!AppPumpEvents()) break;
        if (priorityLevel == 3) SetPriority(3);
        float dt = AppFrame();
        // Input, then the steps it drives: one frame of play.
        AppPollInput();
        ++frameCount;
        if (frameTest && ClockSeconds() > frameTestTimeout) WindowPostQuit();
        if (FramePaceRecord(dt, ClockSeconds())) WindowPostQuit();
        // The one seam where the outside enters the game: a recording keeps what the steps are
        // about to read, a playback puts the recorded frame in its place.
        int32_t steps = AppFrameSteps(dt, slicesPerSecond);
        DemoFrame(&dt, &steps);
        AppRunSteps(dt, steps, GameSlice);
        DemoFrameEnd();
        TitleDemoFrameEnd(dt, WindowCanRender());
        CDAudioSetMood(AppMusicMood());
        // GL needs the context, which is released while the window has lost the focus.
        if (WindowCanRender()) {
            ClientRender();
            if (!firstFrameLogged) AppReportFirstFrame(entered);
            firstFrameLogged = true;
        }
    }
    AppShutdown();
    return 0;
}

void AppSetSlice(float slice) {
    timeSlice = slice;
    slicesPerSecond = 1.0f / slice;
}
