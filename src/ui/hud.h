// The overlays the game flow installs as drawHook: the title text in attract mode, the level
// banner before a level and the heads-up display during play. They run in ClientRender's 2-D pass
// (x -320..320, y -240..240, y up) and leave depth testing on and blending off.
#pragma once

#include "core/settings.h"

#include <cstdint>

extern int32_t showFps; // vantor.ini "fps": the frame rate on the HUD
// 1 / the last frame's time, truncated, as the frame loop measured it.
extern int32_t frameRate;

void HudSetShowFps(int32_t show);
// The frame loop's measure of each frame.
void HudSetFrameRate(int32_t fps);
// vantor.ini fps.
extern const SettingTable hudSettings;

// Attract mode: the banner line and two information lines in the small font.
void TitleDraw();
// The countdown before a level: "Level NN" in the large font.
void LevelBannerDraw();
// During play: the cockpit crosshair, lives, "Game Over", the frame rate, the bonus weapon (its
// seconds rounded up) and the score.
void HudDraw();
