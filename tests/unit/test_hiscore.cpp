// High-score table: ordering and ties, the default table, the file format and hostile files.
#include "ui/hiscore.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

using namespace std::string_literals;

namespace {

void ExpectRows(const std::vector<std::pair<std::string, int32_t>>& rows) {
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        EXPECT_EQ(hiScoreTable[i].name, rows[size_t(i)].first) << "row " << i;
        EXPECT_EQ(hiScoreTable[i].score, rows[size_t(i)].second) << "row " << i;
    }
}

const std::vector<std::pair<std::string, int32_t>> DEFAULTS = {
    {"VELDRAN", 10000}, {"VELDRAN", 8000}, {"VELDRAN", 6000}, {"VELDRAN", 4000}, {"VELDRAN", 2000}};

TEST(HiScore, InsertOrdersTiesBelowAndStoresOneWordNames) {
    HiScoreSetDefaults();
    EXPECT_FALSE(HiScoreQualifies(2000)); // strictly above the last row
    EXPECT_EQ(HiScoreInsert("LOW", 2000), -1);
    ExpectRows(DEFAULTS);
    EXPECT_TRUE(HiScoreQualifies(2001));
    EXPECT_EQ(HiScoreInsert("EDGE", 2001), 4);
    EXPECT_EQ(HiScoreInsert("NEW", 8000), 2); // below the older 8000
    ExpectRows({{"VELDRAN", 10000},
                {"VELDRAN", 8000},
                {"NEW", 8000},
                {"VELDRAN", 6000},
                {"VELDRAN", 4000}});
    struct Case {
        std::string given, stored;
    };
    int32_t best = 50000;
    for (const Case& c : {Case{std::string(127, 'x'), std::string(19, 'x')},
                          Case{"Ann Lee\tB", "Ann_Lee_B"}, Case{"", ""}}) {
        ASSERT_EQ(HiScoreInsert(c.given.c_str(), ++best), 0);
        EXPECT_EQ(std::string(hiScoreTable[0].name), c.stored);
    }
}

TEST(HiScore, NoFileGivesTheDefaultsAndSaveLoadsBackTheSameTable) {
    ScratchDir dir;
    hiScoreTable = {};
    HiScoreLoad();
    ExpectRows(DEFAULTS);
    EXPECT_FALSE(FileExists(HISCORE_FILE));
    HiScoreSave();
    const std::string line = "VELDRAN" + std::string(13, ' ') + " 10000 \n";
    EXPECT_EQ(ReadFile(HISCORE_FILE).substr(0, line.size()), line);
    EXPECT_FALSE(FileExists("hiscore.tbl.new"));
    HiScoreInsert("Zed Q", 9000);
    HiScoreInsert("", 7000); // saved as "_", or the rows after it would shift on reading
    hiScoreTable[4].score = -5;
    HiScoreSave();
    hiScoreTable = {};
    HiScoreLoad();
    ExpectRows(
        {{"VELDRAN", 10000}, {"Zed_Q", 9000}, {"VELDRAN", 8000}, {"_", 7000}, {"VELDRAN", -5}});
}

TEST(HiScore, RowsAreScannedAcrossLinesAndBlanksAndMissingRowsAreEmpty) {
    ScratchDir dir;
    WriteFile(HISCORE_FILE, "A 5\r\n\r\n   B\t\t4 \r\nC 3\nD    2\r\nE 1");
    HiScoreLoad();
    ExpectRows({{"A", 5}, {"B", 4}, {"C", 3}, {"D", 2}, {"E", 1}});
    // A 10 000-character name, binary bytes, a row split over two lines, two rows on one line, a
    // non-numeric score that becomes the next name, an out-of-range score.
    WriteFile(HISCORE_FILE, std::string(10000, 'N') + " 777\n" +
                                "bi\x01\x7f\xff\0n\n666 C 99999999999 bad x9\n"s);
    HiScoreLoad();
    ExpectRows(
        {{std::string(19, 'N'), 777}, {"bi____n", 666}, {"C", INT32_MAX}, {"bad", 0}, {"x9", 0}});
    WriteFile(HISCORE_FILE, "A 5\nB 4\n");
    HiScoreLoad();
    ExpectRows({{"A", 5}, {"B", 4}, {"", 0}, {"", 0}, {"", 0}});
}

TEST(HiScore, FailedSaveKeepsTheOldFileAndTheTable) {
    ScratchDir dir;
    HiScoreSetDefaults();
    HiScoreSave();
    const std::string before = ReadFile(HISCORE_FILE);
    // The new file cannot be made: a directory stands where it would be written.
    ASSERT_EQ(mkdir("hiscore.tbl.new", 0755), 0);
    HiScoreInsert("LOST", 99999);
    HiScoreSave();
    EXPECT_EQ(ReadFile(HISCORE_FILE), before);
    EXPECT_STREQ(hiScoreTable[0].name, "LOST");
}

} // namespace
