// The title menu's choices: the difficulty, stepped with left and right, and the high-score table
// of the difficulty and start level chosen, named above the list. Main thread only.
#pragma once

#include "core/settings.h"

#include <cstdint>

struct InputEvent;

extern int32_t titleDifficulty; // vantor.ini titlediff: the difficulty is chosen on the title

void TitleChoiceSetEnabled(int32_t on);
// vantor.ini titlediff.
extern const SettingTable titleChoiceSettings;

// The title is shown: the table of the chosen difficulty and start level is the one in memory.
void TitleChoiceShowTable();
// A press on the title menu: with titlediff on, the Left and Right arrows and a pad's d-pad left
// and right step the difficulty (the `diff` setting, saved in vantor.ini at once) and show its
// table. True when the press was taken.
bool TitleChoiceKey(const InputEvent* event);
// On the title menu, in GUI space: the difficulty line with its arrows (titlediff on) and, with a
// table per difficulty (hitables on), which one the list shows.
void TitleChoiceDraw();
