// High-score table: ordering and ties, the default table, the file format and hostile files.
#include "ui/hiscore.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

// The table as "name score," rows.
std::string Rows() {
    std::string out;
    for (const auto& row : hiScoreTable)
        out += std::string(row.name) + " " + std::to_string(row.score) + ",";
    return out;
}

const std::string DEFAULTS = "VELDRAN 10000,VELDRAN 8000,VELDRAN 6000,VELDRAN 4000,VELDRAN 2000,";

TEST(HiScore, InsertOrdersTiesBelowAndStoresOneWordNames) {
    HiScoreSetDefaults();
    EXPECT_FALSE(HiScoreQualifies(2000)); // strictly above the last row
    EXPECT_EQ(HiScoreInsert("LOW", 2000), -1);
    EXPECT_EQ(Rows(), DEFAULTS);
    EXPECT_TRUE(HiScoreQualifies(2001));
    EXPECT_EQ(HiScoreInsert("EDGE", 2001), 4);
    EXPECT_EQ(HiScoreInsert("NEW", 8000), 2); // below the older 8000
    EXPECT_EQ(Rows(), "VELDRAN 10000,VELDRAN 8000,NEW 8000,VELDRAN 6000,VELDRAN 4000,");
    HiScoreInsert(std::string(127, 'x').c_str(), 50001);
    HiScoreInsert("Ann Lee\tB", 50002);
    HiScoreInsert("", 50003);
    EXPECT_EQ(Rows().substr(0, 49), " 50003,Ann_Lee_B 50002," + std::string(19, 'x') + " 50001,");
}

TEST(HiScore, NoFileGivesTheDefaultsAndSaveLoadsBackTheSameTable) {
    ScratchDir dir;
    hiScoreTable = {};
    HiScoreLoad();
    EXPECT_EQ(Rows(), DEFAULTS);
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
    EXPECT_EQ(Rows(), "VELDRAN 10000,Zed_Q 9000,VELDRAN 8000,_ 7000,VELDRAN -5,");
    // The new file cannot be made: a directory stands where it would be written. The old file
    // and the table stay.
    const std::string before = ReadFile(HISCORE_FILE);
    ASSERT_EQ(mkdir("hiscore.tbl.new", 0755), 0);
    HiScoreInsert("LOST", 99999);
    HiScoreSave();
    EXPECT_EQ(ReadFile(HISCORE_FILE), before);
    EXPECT_STREQ(hiScoreTable[0].name, "LOST");
}

TEST(HiScore, RowsAreScannedAcrossLinesAndBlanksAndMissingRowsAreEmpty) {
    ScratchDir dir;
    WriteFile(HISCORE_FILE, "A 5\r\n\r\n   B\t\t4 \r\nC 3\nD    2\r\nE 1");
    HiScoreLoad();
    EXPECT_EQ(Rows(), "A 5,B 4,C 3,D 2,E 1,");
    // A 10 000-character name, binary bytes, a row split over two lines, two rows on one line, a
    // non-numeric score that becomes the next name, an out-of-range score.
    WriteFile(HISCORE_FILE, std::string(10000, 'N') + " 777\n" +
                                std::string("bi\x01\x7f\xff\0n\n666 C 99999999999 bad x9\n", 33));
    HiScoreLoad();
    EXPECT_EQ(Rows(), std::string(19, 'N') + " 777,bi____n 666,C 2147483647,bad 0,x9 0,");
    WriteFile(HISCORE_FILE, "A 5\nB 4\n");
    HiScoreLoad();
    EXPECT_EQ(Rows(), "A 5,B 4, 0, 0, 0,");
}

} // namespace
