// The results after a game: its score, the level it reached, what it destroyed, its shots and the
// best score of its table, over the title; then the name entry when the score makes the table,
// else the title menu. Main thread only.
#pragma once

#include "core/settings.h"
#include "ui/gui.h"

#include <cstdint>

extern int32_t resultsShown; // vantor.ini results: the results screen, and the level on the HUD

void ResultsSetShown(int32_t on);
// vantor.ini results.
extern const SettingTable resultsSettings;

// Seconds the results stay without a press.
constexpr float RESULTS_SECONDS = 10.0f;

// A game has ended and the table of its difficulty and start level is the one in memory: the
// results screen opens over the title, with a line on the boot log ("Results: score ...").
void ResultsOpen();
// The screen: Enter, Escape, the fire keys or a pad's A or Start (or RESULTS_SECONDS without a
// press) close it and open the name entry when the score makes the table. It takes every other
// press too, so that nothing reaches the title menu beneath.
int32_t ResultsScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);
