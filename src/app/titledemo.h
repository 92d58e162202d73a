// Title demos: after `attract` seconds on the title without a press, a shipped demo plays behind
// the title text, one after the other in turn, as arcade machines do while nobody plays. A press
// of any key, mouse button or pad control, or the demo's end, brings the title back at once; that
// press goes no further. The demo module plays; this one chooses when and what, draws the title
// over the demo and puts the title back. Main thread only.
#pragma once

#include "core/settings.h"

#include <cstdint>

constexpr int32_t TITLE_DEMO_MAX_SECONDS = 3600;

// vantor.ini "attract": seconds on the title without a press before a demo plays; 0 never.
extern int32_t attractSeconds;
// Values outside 0 .. TITLE_DEMO_MAX_SECONDS are clamped.
void TitleDemoSetSeconds(int32_t seconds);
// vantor.ini attract.
extern const SettingTable titleDemoSettings;

// After DemoInit: reads `attract` (out of range: one error line, clamped), starts with the first
// demo and, unless a playdemo or timedemo runs, watches the player's presses through the input
// filter.
void TitleDemoInit();
// Once a frame after DemoFrameEnd, with the frame's time; seen: the frame will be drawn (the
// window has the focus and is shown). Counts the title's idle time (only while the title menu is
// on top, no demo is armed or playing and no flight control is held), starts the next demo, and
// puts the title back after a press, the demo's end or the window going out of sight. A demo that
// cannot play is left out from then on (its error line once) and the title stays.
void TitleDemoFrameEnd(float dt, bool seen);
// A title demo is playing.
bool TitleDemoPlaying();
// The overlay while a title demo plays: the title's text lines, "Demo" and "Press any key".
void TitleDemoDraw();
