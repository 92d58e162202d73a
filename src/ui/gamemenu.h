// The game menu: with the gamemenu setting on, the quit command (Escape, a pad's Back) in a game
// opens a menu in place of the quit prompt: Resume, Options, Quit to the title, Quit to the
// desktop. It holds the game through the pause, so nothing moves while it is open; Resume lets
// the game go on unless the player had paused it before. It never opens while a demo records or
// plays (a recorded game meets the quit prompt, which changes nothing in it). Main thread only.
#pragma once

#include "core/settings.h"
#include "ui/gui.h"

#include <cstdint>

extern int32_t gameMenuEnabled; // vantor.ini "gamemenu": 1 opens the menu, 0 the quit prompt

// Client start-up, after PauseInit and OptionsInit: reads gamemenu.
void GameMenuInit();
void GameMenuSetEnabled(int32_t enabled);
// Installed from above: while it answers true (a demo records or plays) the menu does not open.
void GameMenuSetBlocked(bool (*blocked)());
// vantor.ini gamemenu.
extern const SettingTable gameMenuSettings;

// The quit command's way in: with the setting on, in a game (level 1 or more) and no demo, holds
// the game and opens the menu, and returns true; otherwise false (the quit prompt's turn).
bool GameMenuOpenInPlay();

// The menu's screen: Up / Down (a pad's d-pad) choose, Enter, Space or south acts, a click acts on
// the item under the pointer; Escape, the quit keys, Back, east and the right button resume; the
// pause keys and Start close it and let the game go on; O, Tab and north open the options over it.
// Every other press stops here, releases go on (nothing stays held).
int32_t GameMenuScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);
