// Short notes on screen: "Screenshot saved", "Extra ship", the name of a weapon picked up, the
// camera cycled to, each for about two seconds above the middle of the screen, where neither the
// score nor the banners are; with them, "Paused" names the keys that go on. All behind the notes
// setting (off by default). Main thread only.
#pragma once

#include "core/settings.h"

#include <cstdint>

extern int32_t notesShown; // vantor.ini "notes": 1 shows the notes

constexpr float NOTE_SECONDS = 2.0f;      // how long a note stays
constexpr float NOTE_FADE_SECONDS = 0.5f; // its last part fades out (with nicefx)

// Client start-up, after PauseInit and ScreenshotInit: reads notes, installs the game's note hook
// and NotesDraw as the scene's notes pass.
void NotesInit();
void NotesSetShown(int32_t shown);
// vantor.ini notes.
extern const SettingTable notesSettings;

// The notes pass: takes in a screenshot written and a camera changed in play since the last
// frame, then draws the newest note while it lasts.
void NotesDraw();

// Tests only (the module uses it itself):
// The note on screen now, or "" (none, or notes off).
const char* NotesText();
