// The program's spine: start-up in its fixed order, the frame loop and the ordered shutdown.
#pragma once

#include <cstdint>

constexpr const char* APP_BANNER = "Skarnex3D v1.13";

// Loop settings (vantor.ini: slice, ftest, maxfps, timeout).
extern float timeSlice;
// Sets the game step length in seconds (a demo's playback restores the recorded one).
void AppSetSlice(float slice);
extern int32_t frameTest;
extern int32_t maxFps;
extern float frameTestTimeout;
// 1 / the last frame's time, truncated; read by the HUD.
extern int32_t frameRate;

// Runs the whole program; returns the process exit status.
int AppMain();

// Reads slice, ftest, maxfps and timeout, rejecting settings the loop cannot divide by.
void AppReadLoopSettings();
// The number of equal game steps a frame of dt seconds is cut into: trunc(dt / slice) + 1.
int32_t AppFrameSteps(float dt, float invSlice);
// Cuts dt into equal steps and calls step(length) for each; returns the number of calls.
int32_t AppRunSlices(float dt, float invSlice, void (*step)(float));
// Cuts dt into n equal steps (the last takes what rounding leaves) and calls step(length) for
// each; returns the number of calls.
int32_t AppRunSteps(float dt, int32_t n, void (*step)(float));
// Posts the quit event; the next pump ends the loop.
void AppPostQuit();
// The end of every fatal path (exit statuses 1, 2 and 3), from any thread: gives a switched display
// mode back (FatalRestoreDisplay), flushes standard output and ends the process at once. No
// destructor runs, so the mixer's timer thread and the music worker, wherever they are, cannot
// turn the status into an abort.
[[noreturn]] void AppExit(int status);
