// The program's spine: start-up in its fixed order, the frame loop and the ordered shutdown.
#pragma once

#include "core/settings.h"
#include "core/version.h"

#include <cstdint>

// Loop settings (vantor.ini: slice, ftest, maxfps, timeout).
extern float timeSlice; // set through AppSetSlice
// Sets the game step length in seconds (the loop setting, or a demo's recorded one); the frame
// loop cuts the next frame by it.
void AppSetSlice(float slice);
extern int32_t frameTest;
extern int32_t maxFps;
extern float frameTestTimeout;
// 1 / the last frame's time, truncated; read by the HUD.
extern int32_t frameRate;

// Runs the whole program; returns the process exit status.
int AppMain();

// vantor.ini slice, ftest, maxfps and timeout.
extern const SettingTable appLoopSettings;
// The number of equal game steps a frame of dt seconds is cut into: trunc(dt / slice) + 1.
int32_t AppFrameSteps(float dt, float invSlice);
// Posts the quit event; the next pump ends the loop.
void AppPostQuit();
// The end of every fatal path (exit statuses 1, 2 and 3), from any thread: gives a switched display
// mode back (FatalRestoreDisplay), flushes standard output and ends the process at once. No
// destructor runs, so the mixer's timer thread and the music worker, wherever they are, cannot
// turn the status into an abort.
[[noreturn]] void AppExit(int status);

// Tests only (AppMain uses these itself):
// Reads slice, ftest, maxfps and timeout, rejecting settings the loop cannot divide by.
void AppReadLoopSettings();
// Cuts dt into n equal steps (the last takes what rounding leaves) and calls step(length) for
// each; returns the number of calls.
int32_t AppRunSteps(float dt, int32_t n, void (*step)(float));
