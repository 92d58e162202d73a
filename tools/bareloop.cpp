// The bare loop: the game's window and GL context, opened through the same code path and the same
// vantor.ini settings, then nothing but clear, optional glFinish and swap for `timeout` seconds.
// Its frame rate is the ceiling the driver and the window system leave to the game; the game's
// own figure divided by this one says how much of a frame is the game's work.
// Run it in a scratch directory: it writes boot.log and error.log there like the game.
#include "app/app.h"
#include "core/clock.h"
#include "core/framepace.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/window.h"
#include "render/gl.h"
#include "render/scene.h"

#include <SDL.h>

#include <cstdio>
#include <strings.h>

namespace {

bool BareLoadGL() {
    char name[GL_DRIVER_NAME_SIZE];
    IniGetString(INI_FILE, "opengl", "auto", name, sizeof(name));
    if (strcasecmp(name, "auto") == 0) OpenGLChooseDriver(name);
    return OpenGLInit(name) == 0;
}

// Takes every waiting event; false once the quit event has been taken.
bool BarePump() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) return false;
        if (event.type == SDL_WINDOWEVENT) WindowHandleEvent(event);
    }
    return true;
}

} // namespace

int main() {
    LogInit();
    if (!InitApplication() || !BareLoadGL()) {
        std::fputs("bareloop: no window system or GL library\n", stderr);
        return 1;
    }
    screenWidth = IniGetInt(INI_FILE, "width", 640);
    screenHeight = IniGetInt(INI_FILE, "height", 480);
    colorDepth = IniGetInt(INI_FILE, "cdepth", 16);
    zDepth = IniGetInt(INI_FILE, "zdepth", 16);
    if (!WindowChooseDisplayMode(IniGetInt(INI_FILE, "fscreen", 1))) return 1;
    priorityLevel = IniGetInt(INI_FILE, "priority", 2);
    SetPriority(priorityLevel);
    WindowSetGL(&sceneWindowGL);
    if (!WindowCreate()) {
        std::fputs("bareloop: the window could not be created\n", stderr);
        return 1;
    }
    WindowShow();
    AppReadLoopSettings();
    const bool finish = IniGetInt(INI_FILE, "glFin", 1) != 0;

    ClockInit();
    FramePaceInit();
    long frames = 0;
    while (BarePump() && ClockSeconds() <= frameTestTimeout) {
        FramePaceWait(1.0f /
                      static_cast<float>(maxFps)); // the same frame-rate cap as the game's loop
        gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (finish) gl.Finish();
        OpenGLSwapBuffers(mainWindow);
        ++frames;
    }
    const float seconds = ClockSeconds();
    std::printf("Bare loop: Average Frames per Second %f\n",
                seconds > 0.0f ? static_cast<float>(frames) / seconds : 0.0f);
    WindowDestroy();
    OpenGLUnInit();
    WindowRestoreDesktop();
    SDL_Quit();
    return 0;
}
