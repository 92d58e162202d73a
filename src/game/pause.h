// Pause: the pause command (P, Pause, a pad's Start) holds a game where it is and the same keys
// let it go on; with autopause a game also holds when the window loses the focus or is minimised.
// While paused no game slice runs, so nothing moves, no timer counts and no new sound starts.
// Whether the game holds is the input record's (gameInput.state.paused), so a demo keeps it.
// Main thread only.
#pragma once

#include "core/settings.h"

#include <cstdint>

extern int32_t autoPause; // vantor.ini "autopause": 1 pauses on focus loss, 0 (default) not

// Client start-up: reads autopause and installs the pause command's action, the focus-loss hook
// of the input layer and PauseDraw as the scene's pause pass.
void PauseInit();
// "Paused" in the large font over the scene while paused, and under it, when asked for, the keys
// that go on ("P or Pad Start to go on"); ClientRender calls it after the overlay of the current
// screen.
void PauseDraw();
// Whether "Paused" names the keys that go on (the notes setting of the user interface; off at
// start).
void PauseSetKeyHint(bool shown);

// Tests only (the pause command and the focus-loss hook call these):
// Holds the game (on true) or lets it go on. Only a game in progress pauses (under the quit
// prompt too), not the title or the name entry. Pausing stops rumble.
void PauseSet(bool on);
// The pause command: toggles.
void PauseToggle();

// vantor.ini autopause.
extern const SettingTable pauseSettings;
