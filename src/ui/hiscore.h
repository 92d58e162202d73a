// The high-score table: five rows, best first, read from "hiscore.tbl" at start-up, shown on the
// title menu and written back whenever a name is entered. Main thread only.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t HISCORE_ROWS = 5;
constexpr int32_t HISCORE_NAME_SIZE = 20; // at most 19 characters and the terminating zero
constexpr const char* HISCORE_FILE = "hiscore.tbl";

struct HiScoreRow {
    char name[HISCORE_NAME_SIZE]; // one word: no blanks, printable characters only
    int32_t score;
};

// Row 0 is the best. Every name empty and every score 0 until HiScoreLoad.
extern std::array<HiScoreRow, HISCORE_ROWS> hiScoreTable;

// Client start-up, after the GUI: scans "hiscore.tbl" row by row ("name score", across line ends);
// rows the file does not supply are empty with score 0. A file that cannot be opened gives the
// default table; nothing is reported and nothing is created. One that opens but cannot be read
// (a directory) gives the default table too, with a line on the error log.
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
// The default table: "VELDRAN" with 10000, 8000, 6000, 4000 and 2000.
void HiScoreSetDefaults();
