// High-score table: ordering and ties, the default table, the file format and hostile files.
#include "ui/hiscore.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sys/stat.h>

namespace {

void ExpectDefaultRow(int32_t i) {
    EXPECT_STREQ(hiScoreTable[i].name, "VELDRAN") << "row " << i;
    EXPECT_EQ(hiScoreTable[i].score, 10000 - 2000 * i) << "row " << i;
}

TEST(HiScore, InsertOrdersTiesBelowAndStoresOneWordNames) {
    HiScoreSetDefaults();
    EXPECT_FALSE(HiScoreQualifies(2000)); // strictly above the last row
    EXPECT_EQ(HiScoreInsert("LOW", 2000), -1);
    ExpectDefaultRow(4);
    EXPECT_TRUE(HiScoreQualifies(2001));
    EXPECT_EQ(HiScoreInsert("EDGE", 2001), 4);
    EXPECT_EQ(HiScoreInsert("NEW", 8000), 2); // below the older 8000
    const int32_t expected[HISCORE_ROWS] = {10000, 8000, 8000, 6000, 4000};
    for (int32_t i = 0; i < HISCORE_ROWS; ++i)
        EXPECT_EQ(hiScoreTable[i].score, expected[i]) << "row " << i;
    EXPECT_STREQ(hiScoreTable[2].name, "NEW");
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
    for (int32_t i = 0; i < HISCORE_ROWS; ++i)
        ExpectDefaultRow(i);
    EXPECT_FALSE(FileExists(HISCORE_FILE));
    HiScoreSave();
    std::string line = "VELDRAN" + std::string(13, ' ') + " 10000 \n";
    EXPECT_EQ(ReadFile(HISCORE_FILE).substr(0, line.size()), line);
    EXPECT_FALSE(FileExists("hiscore.tbl.new"));

    HiScoreInsert("Zed Q", 9000);
    HiScoreInsert("", 7000);
    HiScoreInsert("neg", 4500);
    hiScoreTable[4].score = -5;
    auto saved = hiScoreTable;
    HiScoreSave();
    std::snprintf(saved[3].name, HISCORE_NAME_SIZE, "_"); // the empty name, saved in step
    hiScoreTable = {};
    HiScoreLoad();
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        EXPECT_STREQ(hiScoreTable[i].name, saved[i].name) << "row " << i;
        EXPECT_EQ(hiScoreTable[i].score, saved[i].score) << "row " << i;
    }
}

TEST(HiScore, ReaderAcceptsCrLfAndAnyBlanks) {
    ScratchDir dir;
    WriteFile(HISCORE_FILE, "A 5\r\n\r\n   B\t\t4 \r\nC 3\nD    2\r\nE 1");
    HiScoreLoad();
    const char* names[HISCORE_ROWS] = {"A", "B", "C", "D", "E"};
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        EXPECT_STREQ(hiScoreTable[i].name, names[i]);
        EXPECT_EQ(hiScoreTable[i].score, 5 - i);
    }
}

TEST(HiScore, RowsAreScannedAcrossLinesAndMissingRowsAreEmpty) {
    ScratchDir dir;
    // A 10 000-character name, binary bytes, a row split over two lines, two rows on one line, a
    // non-numeric score that becomes the next name, an out-of-range score.
    std::string file = std::string(10000, 'N') + " 777\n";
    file +=
        std::string("bi\x01\x7f\xff", 5) + std::string(1, '\0') + "n\n666 C 99999999999 bad x9\n";
    WriteFile(HISCORE_FILE, file);
    HiScoreLoad();
    EXPECT_EQ(std::string(hiScoreTable[0].name), std::string(19, 'N'));
    EXPECT_EQ(hiScoreTable[0].score, 777);
    EXPECT_STREQ(hiScoreTable[1].name, "bi____n");
    EXPECT_EQ(hiScoreTable[1].score, 666);
    EXPECT_STREQ(hiScoreTable[2].name, "C");
    EXPECT_EQ(hiScoreTable[2].score, INT32_MAX);
    EXPECT_STREQ(hiScoreTable[3].name, "bad");
    EXPECT_EQ(hiScoreTable[3].score, 0);
    EXPECT_STREQ(hiScoreTable[4].name, "x9");
    EXPECT_EQ(hiScoreTable[4].score, 0);

    WriteFile(HISCORE_FILE, "A 5\nB 4\n");
    HiScoreLoad();
    EXPECT_EQ(hiScoreTable[1].score, 4);
    EXPECT_STREQ(hiScoreTable[2].name, "");
    EXPECT_EQ(hiScoreTable[4].score, 0);
}

TEST(HiScore, FailedSaveKeepsTheOldFileAndTheTable) {
    ScratchDir dir;
    HiScoreSetDefaults();
    HiScoreSave();
    std::string before = ReadFile(HISCORE_FILE);
    // The new file cannot be made: a directory stands where it would be written.
    ASSERT_EQ(mkdir("hiscore.tbl.new", 0755), 0);
    HiScoreInsert("LOST", 99999);
    HiScoreSave();
    EXPECT_EQ(ReadFile(HISCORE_FILE), before);
    EXPECT_STREQ(hiScoreTable[0].name, "LOST");
}

} // namespace
