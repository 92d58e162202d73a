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

// Runs the whole program; returns the process exit status.
int AppMain();

// vantor.ini slice, ftest, maxfps and timeout.
extern const SettingTable appLoopSettings;
// The number of equal game steps a frame of dt seconds is cut into: trunc(dt / slice) + 1.
int32_t AppFrameSteps(float dt, float invSlice);

// Tests only (AppMain uses these itself):
// Reads slice, ftest, maxfps and timeout, rejecting settings the loop cannot divide by.
void AppReadLoopSettings();
// Cuts dt into n equal steps (the last takes what rounding leaves) and calls step(length) for
// each; returns the number of calls.
int32_t AppRunSteps(float dt, int32_t n, void (*step)(float));
