// The options screen: the player's controls, sound, display and game settings in four pages,
// opened from the title (O or Tab, a pad's Y) and from a paused game, and worked by the keyboard,
// the mouse or a pad alone. A change applies at once; leaving saves to vantor.ini the keys that
// changed and nothing else. It never opens while a demo records or plays, so a recorded game
// cannot meet it. Main thread only.
#pragma once

#include "ui/gui.h"

#include <cstdint>

// Client start-up, after PauseInit: the paused game's way in, an input handler above the bindings
// that takes O, Tab and a pad's Y while a game is paused and no screen is open.
void OptionsInit();
// Installed from above: while it answers true (a demo records or plays) the options do not open.
void OptionsSetBlocked(bool (*blocked)());
// Opens the options over whatever is on screen; false (nothing opens) while a demo records or
// plays.
bool OptionsOpen();
// The keys that open the options where a screen offers them: O (as the layout prints it), Tab, a
// pad's Y.
bool OptionsKey(const InputEvent* event);
// The screen's callback: GuiFindScreen(OptionsScreen) tells whether the options are open.
int32_t OptionsScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);

// Tests only (the screen uses it itself):
// Saves what changed since the screen opened; false when vantor.ini could not be written (the
// screen then shows why).
bool OptionsSave();
