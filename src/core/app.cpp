// Start-up, the frame loop and shutdown.
#include "core/app.h"

#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "core/client.h"
#include "core/clock.h"
#include "core/ini.h"
#include "core/log.h"
#include "foundation/mem.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>

float timeSlice = 0.035f;
int32_t frameTest = 0;
int32_t maxFps = 200;
float frameTestTimeout = 180.0f;
int32_t frameRate = 0;

namespace {

constexpr float DEFAULT_SLICE = 0.035f;
constexpr int32_t DEFAULT_MAXFPS = 200;
constexpr Uint32 APP_SDL_SUBSYSTEMS = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_TIMER;

int32_t frameCount = 0;

// Takes every waiting event; false once the quit event has been taken.
bool AppPumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            return false;
        if (cdNotifyEvent != 0 && event.type == cdNotifyEvent)
            CDAudioNotify(static_cast<uint32_t>(event.user.code), 0);
    }
    return true;
}

void AppFrame() {
    float dt = ClockDelta(nullptr);
    float limit = 1.0f / static_cast<float>(maxFps);
    if (dt < limit) {
        SDL_Delay(static_cast<Uint32>((limit - dt) * 1000.0f));
        dt += ClockDelta(nullptr);
    }
    frameCount++;
    if (frameTest && ClockSeconds() > frameTestTimeout)
        AppPostQuit();
    frameRate = dt > 0.0f ? static_cast<int32_t>(1.0f / dt) : 0;
}

void AppShutdown() {
    char buffer[128];
    float seconds = ClockSeconds();
    std::snprintf(buffer, sizeof(buffer), "Average Frames per Second %f\n",
                  seconds > 0.0f ? frameCount / seconds : 0.0f);
    Log(LOG_BOOT, "%s", buffer);
    std::fputs(buffer, stderr);
    WaveUnInit();
    CDAudioUnInit();
    SDL_Quit();
    LogUnInit();
}

} // namespace

void AppReadLoopSettings() {
    timeSlice = IniGetFloat(INI_FILE, "slice", DEFAULT_SLICE);
    frameTest = IniGetInt(INI_FILE, "ftest", 0);
    maxFps = IniGetInt(INI_FILE, "maxfps", DEFAULT_MAXFPS);
    frameTestTimeout = IniGetFloat(INI_FILE, "timeout", 180.0f);
    // The loop divides by both; a zero, negative or non-finite value would stall or spin it.
    if (!(timeSlice > 0.0f) || timeSlice > 1e30f) {
        Log(LOG_ERROR, "AppReadLoopSettings: slice must be above 0, using 0.035\n");
        timeSlice = DEFAULT_SLICE;
    }
    if (maxFps <= 0) {
        Log(LOG_ERROR, "AppReadLoopSettings: maxfps must be above 0, using 200\n");
        maxFps = DEFAULT_MAXFPS;
    }
}

int32_t AppFrameSteps(float dt, float invSlice) { return static_cast<int32_t>(dt * invSlice) + 1; }

int32_t AppRunSlices(float dt, float invSlice, void (*step)(float)) {
    int32_t n = AppFrameSteps(dt, invSlice);
    float length = dt / static_cast<float>(n);
    int32_t calls = 0;
    while (dt > length) {
        dt -= length;
        step(length);
        ++calls;
    }
    step(dt);
    return calls + 1;
}

void AppPostQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

int AppMain() {
    LogInit();
    Log(LOG_BOOT, "Starting ");
    LogPrintf(LOG_BOOT, APP_BANNER);
    LogPrintf(LOG_BOOT, "\n");

    if (SDL_Init(APP_SDL_SUBSYSTEMS) != 0) {
        Log(LOG_BOOT, "InitApplication failed\n");
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "InitApplication",
                                 "Unable to initialize the application", nullptr);
        return 4;
    }

    AppReadLoopSettings();
    float invSlice = 1.0f / timeSlice;
    ClockInit();
    RandomSeed(static_cast<uint32_t>(std::time(nullptr)));
    ClientInit();

    while (AppPumpEvents()) {
        AppFrame();
        (void)invSlice;
    }
    AppShutdown();
    return 0;
}
