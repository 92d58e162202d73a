// High-score table: ordering and ties, the default table, the file format and hostile files.
#include "ui/hiscore.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// Files a save left behind in dir besides the table itself.
int Leftovers(const std::string& dir = ".") {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        n += entry.path().filename().string().starts_with("hiscore.tbl.");
    return n;
}

mode_t ModeOf(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 ? st.st_mode & 07777 : 0;
}

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
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(ModeOf(HISCORE_FILE), 0666 & ~mask); // a new table: as any file made here
    EXPECT_EQ(Leftovers(), 0);
    HiScoreInsert("Zed Q", 9000);
    HiScoreInsert("", 7000); // saved as "_", or the rows after it would shift on reading
    hiScoreTable[4].score = -5;
    HiScoreSave();
    hiScoreTable = {};
    HiScoreLoad();
    EXPECT_EQ(Rows(), "VELDRAN 10000,Zed_Q 9000,VELDRAN 8000,_ 7000,VELDRAN -5,");
    // A directory in the table's place opens but does not read: the defaults, and why. It cannot
    // be replaced either; the table in memory stays.
    ASSERT_EQ(std::remove(HISCORE_FILE), 0);
    ASSERT_EQ(mkdir(HISCORE_FILE, 0755), 0);
    HiScoreLoad();
    EXPECT_EQ(Rows(), DEFAULTS);
    EXPECT_NE(ReadFile("error.log").find("HiScoreLoad: cannot read hiscore.tbl: Is a directory\n"),
              std::string::npos);
    HiScoreInsert("LOST", 99999);
    HiScoreSave();
    EXPECT_STREQ(hiScoreTable[0].name, "LOST");
    EXPECT_NE(ReadFile("error.log").find("HiScoreSave: cannot write "), std::string::npos);
    EXPECT_EQ(Leftovers(), 0);
}

// With a table per difficulty: Easy's own starts gentle, so that one cleared Easy level (two big
// rocks and their pieces, 170 points) gets a row; another table's bad file is named in the log.
TEST(HiScore, AnEasyTableOfItsOwnStartsGentleAndOthersAreNamedWhenBad) {
    ScratchDir dir;
    HiScoreSelect(HISCORE_EASY, 1); // one table for every game without hitables
    EXPECT_STREQ(HiScoreFile(), HISCORE_FILE);
    HiScoreSetTables(1);
    HiScoreSelect(HISCORE_EASY, 1);
    EXPECT_STREQ(HiScoreFile(), "hiscore-easy.tbl");
    EXPECT_EQ(Rows(), "VELDRAN 750,VELDRAN 600,VELDRAN 450,VELDRAN 300,VELDRAN 150,");
    EXPECT_TRUE(HiScoreQualifies(170));
    ASSERT_EQ(mkdir("hiscore-d3-l5.tbl", 0755), 0);
    HiScoreSelect(3, 5);
    EXPECT_EQ(Rows(), DEFAULTS);
    EXPECT_NE(ReadFile("error.log")
                  .find("HiScoreLoad: cannot read hiscore-d3-l5.tbl: Is a "
                        "directory\n"),
              std::string::npos);
    HiScoreSetTables(0);
    HiScoreSelect(0, 1);
}

TEST(HiScore, SaveKeepsTheModeTheLinkAndAnotherCopysFile) {
    ScratchDir dir;
    HiScoreSetDefaults();
    HiScoreSave();
    ASSERT_EQ(chmod(HISCORE_FILE, 0640), 0);
    WriteFile("hiscore.tbl.new", "another copy's save"); // a name a fixed-name save would take
    HiScoreInsert("ONE", 50000);
    HiScoreSave();
    EXPECT_EQ(ModeOf(HISCORE_FILE), 0640u);
    EXPECT_EQ(ReadFile("hiscore.tbl.new"), "another copy's save");
    std::remove("hiscore.tbl.new");
    // A link to a table elsewhere: that table is replaced, in its own folder, and the link stays.
    WriteFile("keep/real.tbl", "A 1\n");
    ASSERT_EQ(std::remove(HISCORE_FILE), 0);
    ASSERT_EQ(symlink("keep/real.tbl", HISCORE_FILE), 0);
    HiScoreSave();
    struct stat st;
    ASSERT_EQ(lstat(HISCORE_FILE, &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile("keep/real.tbl").substr(0, 3), "ONE");
    EXPECT_EQ(Leftovers(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("keep"), {}), 1);
    // A link to a table not made yet makes it.
    ASSERT_EQ(std::remove("keep/real.tbl"), 0);
    HiScoreSave();
    EXPECT_EQ(ReadFile("keep/real.tbl").substr(0, 3), "ONE");
}

// A folder that takes no new file but holds a writable table. Root passes folder permissions, so
// the save then runs as "nobody" (owning the table and the logs) in a child.
TEST(HiScore, AReadOnlyFolderGetsTheTableWrittenInPlace) {
    ScratchDir dir;
    constexpr uid_t NOBODY = 65534;
    const bool root = geteuid() == 0;
    HiScoreSetDefaults();
    HiScoreSave();
    WriteFile("error.log", "");
    WriteFile("boot.log", "");
    for (const char* path : {".", HISCORE_FILE, "error.log", "boot.log"})
        ASSERT_TRUE(!root || chown(path, NOBODY, NOBODY) == 0);
    ASSERT_EQ(chmod(".", 0555), 0);
    const int status = RunInChild([root] {
        if (root && setuid(NOBODY) != 0) _exit(77);
        HiScoreInsert("RO", 50000);
        HiScoreSave();
    });
    chmod(".", 0755);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(HISCORE_FILE).substr(0, 3), "RO ");
    EXPECT_NE(ReadFile("error.log").find("writing it in place\n"), std::string::npos);
    EXPECT_EQ(Leftovers(), 0);
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
