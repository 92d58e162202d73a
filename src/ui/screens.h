// The GUI screens: the title menu with the high-score list, the quit prompt and the name entry.
// Each is a GUI callback, opened with GuiOpenScreen and closed with GuiFreeLayer.
#pragma once

#include "ui/gui.h"

#include <cstdint>

// Row of the high-score list shown in yellow, -1 for none. AttractMode sets it to -1; the name
// entry sets it to the row the new score took.
extern int32_t highlightRank;
// The name entry's text widget while that screen is open, else null.
extern GuiLayer* nameEdit;

// Client start-up, after GuiInit: makes the quit command open the quit prompt and hands the game
// flow its screens and overlays (GameSetScreens), no row highlighted; the name entry starts empty
// until a name has been entered. Running it again (tests) restores that state.
void ScreensInit();
// No row of the high-score list highlighted (a new attract mode).
void ScreensClearHighlight();

// Title menu: Space starts a game (closes the menu, NewGame, level banner); O, Tab or a pad's Y
// opens the options (ui/options.h); Escape opens the quit prompt over it. Opened by AttractMode.
int32_t MenuScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);
// Name entry after a qualifying game: Enter records the name with the score, saves the table and
// closes the screen. Opened by GameCheck.
int32_t NameEntryScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);

// Tests only (the module opens it itself):
// Quit prompt: Y ends the program; N or Escape closes the prompt. The game keeps running below.
// Opened by the title menu and by the quit command.
int32_t QuitScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t extra);
