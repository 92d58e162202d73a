// Renderer timing test: at every start, how fast the driver clears, fills, blends and textures,
// measured on a few large quads and written to the boot log; the verdicts switch off the costly
// effects the hardware cannot afford.
#pragma once

#include "core/settings.h"

#include <cstdint>

// The seven timings in milliseconds, in the order they are measured and logged.
enum TimingId : int {
    TIMING_COLOR_CLEAR,
    TIMING_DEPTH_CLEAR,
    TIMING_GOURAUD_FILL,
    TIMING_DEPTH_FILL,
    TIMING_BLEND_FILL,
    TIMING_LINEAR_TEXTURE_FILL,
    TIMING_NEAREST_TEXTURE_FILL,
    TIMING_COUNT
};
extern float timingResults[TIMING_COUNT];

// GL texture name of the test texture; the program's own textures use 1 to 24.
constexpr unsigned TIMING_TEXTURE = 999;

// Runs the seven measurements (context current, projection set) and logs them. Leaves the GL
// state as GLStateInit set it with an identity model-view matrix.
void TimingTest();
// The reset frame drawn before each fill measurement.
void TimingTestFrame();
// The verdicts that apply to the current timings, as settings to clear.
struct TimingVerdicts {
    bool nearestTextures;   // linear texture fill above 20 ms
    bool noNiceFx;          // blended fill above 20 ms
    bool noStars;           // nearest texture fill above 10 ms
    bool noParticleTexture; // blended or nearest texture fill above 20 ms
};
TimingVerdicts TimingTestVerdicts();
// Applies the verdicts to the settings (ClientInit calls it when "test" is on).
void TimingTestApply();

// Settings (vantor.ini test, vtest): apply the verdicts; show each test frame on screen.
extern int32_t timingTestApply;
extern int32_t timingTestVisible;
// vantor.ini test and vtest.
extern const SettingTable timingSettings;
