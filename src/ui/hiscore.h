// The high-score table: five rows, best first, read from "hiscore.tbl" at start-up, shown on the
// title menu and written back whenever a name is entered. With the `hitables` setting each
// difficulty and start level has a table of its own, in a file beside "hiscore.tbl"; the one in
// memory is the one last selected. Main thread only.
#pragma once

#include "core/settings.h"

#include <array>
#include <cstddef>
#include <cstdint>

constexpr int32_t HISCORE_ROWS = 5;
constexpr int32_t HISCORE_NAME_SIZE = 20; // at most 19 characters and the terminating zero
constexpr const char* HISCORE_FILE = "hiscore.tbl";
constexpr size_t HISCORE_FILE_SIZE = 48; // "hiscore-d3-l2147483647.tbl" and room to spare
// The difficulty level of Easy (the game's GAME_DIFFICULTY_EASY), whose own table is gentler.
constexpr int32_t HISCORE_EASY = -1;

struct HiScoreRow {
    char name[HISCORE_NAME_SIZE]; // one word: no blanks, printable characters only
    int32_t score;
};

// Row 0 is the best. Every name empty and every score 0 until HiScoreLoad.
extern std::array<HiScoreRow, HISCORE_ROWS> hiScoreTable;
extern int32_t hiScoreTables; // vantor.ini hitables: a table per difficulty and start level
// What the table in memory was selected for (HiScoreSelect): a difficulty level (-1 Easy to 3)
// and a start level. With hitables off every game shares the one table whatever these say.
extern int32_t hiScoreDifficulty;
extern int32_t hiScoreFirstLevel;

void HiScoreSetTables(int32_t on);
// vantor.ini hitables.
extern const SettingTable hiScoreSettings;

// The file of the table of games at a difficulty level starting at firstLevel: "hiscore.tbl" with
// hitables off and for difficulty 0 from level 1; otherwise "hiscore-d2.tbl", "hiscore-d0-l12.tbl",
// "hiscore-easy.tbl", "hiscore-easy-l3.tbl" and so on.
void HiScoreFileOf(int32_t difficultyLevel, int32_t firstLevel, char* out, size_t size);
// Makes that table the one in memory: read from its file (HiScoreLoad) unless it is the one in
// memory already, whose rows then stay as they are. A new table is logged with its file.
void HiScoreSelect(int32_t difficultyLevel, int32_t firstLevel);
// The file of the table in memory.
const char* HiScoreFile();

// Client start-up, after the GUI: scans the table's file ("hiscore.tbl") row by row ("name score",
// across line ends); rows the file does not supply are empty with score 0. A file that cannot be
// opened gives the default table; nothing is reported and nothing is created. One that opens but
// cannot be read (a directory) gives the default table too, with a line on the error log.
void HiScoreLoad();
// Writes the table to a new file of its own (mkstemp) beside "hiscore.tbl", or beside the file a
// symbolic link of that name points to, with the old file's permissions, and renames it over the
// old one, so a failed save leaves the previous file whole. In a folder that takes no new file the
// table is overwritten in place, which the error log says. A failure is logged; the table in
// memory is unchanged.
void HiScoreSave();
// True when score is strictly above the last row, i.e. HiScoreInsert would give it a row.
bool HiScoreQualifies(int32_t score);
// Puts the entry below every row with a score >= score, dropping the last row; returns the row it
// took, or -1 (table unchanged). The name is stored as one word of at most 19 characters: blanks
// and unprintable bytes become '_', the rest is cut. An empty name is saved as "_".
int32_t HiScoreInsert(const char* name, int32_t score);
// The row HiScoreInsert would give this score, or -1.
int32_t HiScoreRankOf(int32_t score);

// Tests only (HiScoreLoad falls back to it):
// The default table: "VELDRAN" with 10000, 8000, 6000, 4000 and 2000; an Easy table of its own
// has gentle rows, 750 down to 150, that a first cleared level reaches.
void HiScoreSetDefaults();
