// The crosshair: in the cockpit camera, a small cross where the ship's shots fly, drawn by the HUD.
// Behind the crosshair setting (off by default). Main thread only.
#pragma once

#include "core/settings.h"

#include <cstdint>

extern int32_t crosshairShown; // vantor.ini "crosshair": 1 draws it in the cockpit camera

// How far ahead of the ship the cross marks the shots' line: about where a shot is after a second.
constexpr float CROSSHAIR_AIM_DISTANCE = 20.0f;

// Client start-up: reads crosshair.
void CrosshairInit();
void CrosshairSetShown(int32_t shown);
// vantor.ini crosshair.
extern const SettingTable crosshairSettings;

// In the HUD's 2-D pass: the cross, when it is on, the camera is the cockpit's and the ship flies.
void CrosshairDraw();
