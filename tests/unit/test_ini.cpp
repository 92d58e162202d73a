// The vantor.ini reader: line pattern, case, comments, conversions and hostile files.
#include "core/ini.h"
#include "core/log.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* kIni = "test.ini";

TEST(Ini, KeysMatchWithoutCaseAndNeedBlanksAroundEquals) {
    ScratchDir dir;
    WriteFile(kIni, "FScreen = 0\nwidth=800\nheight =600 ; tall\n  depth   =   24   extra words\n");
    EXPECT_EQ(IniGetInt(kIni, "fscreen", 1), 0);
    EXPECT_EQ(IniGetInt(kIni, "width", 640), 640) << "width=800 is a single word";
    EXPECT_EQ(IniGetInt(kIni, "height", 480), 600);
    EXPECT_EQ(IniGetInt(kIni, "DEPTH", 16), 24) << "only the first word after = counts";
}

TEST(Ini, CommentsFirstMatchAndLastLineWithoutNewline) {
    ScratchDir dir;
    WriteFile(kIni, "# fov = 10\n   ; fov = 20\nfov = 60\nfov = 75\nmaxfps = 144");
    EXPECT_FLOAT_EQ(IniGetFloat(kIni, "fov", 90.0f), 60.0f);
    EXPECT_EQ(IniGetInt(kIni, "maxfps", 200), 144);
    EXPECT_EQ(IniGetInt(kIni, "#", 7), 7) << "comment lines never match";
}

TEST(Ini, EmptyValuesGiveZeroForNumbersAndDefaultForText) {
    ScratchDir dir;
    WriteFile(kIni, "lights =\nopengl =\nfov\n");
    EXPECT_EQ(IniGetInt(kIni, "lights", 3), 0);
    char out[INI_VALUE_SIZE];
    IniGetString(kIni, "opengl", "auto", out);
    EXPECT_STREQ(out, "auto");
    // A bare key without '=' does not fit the pattern's key = value, but the key word still
    // matched.
    EXPECT_FLOAT_EQ(IniGetFloat(kIni, "fov", 90.0f), 0.0f);
}

TEST(Ini, CrLfAndAtolAtofConversions) {
    ScratchDir dir;
    WriteFile(kIni, "a = 12abc\r\nb = abc\r\nc = 0x10\r\nd = -7\r\nslice = 0.02\r\ne = 1e3\r\n");
    EXPECT_EQ(IniGetInt(kIni, "a", 1), 12);
    EXPECT_EQ(IniGetInt(kIni, "b", 1), 0);
    EXPECT_EQ(IniGetInt(kIni, "c", 1), 0);
    EXPECT_EQ(IniGetInt(kIni, "d", 1), -7);
    EXPECT_EQ(IniGetFloat(kIni, "slice", 1.0f), 0.02f);
    EXPECT_FLOAT_EQ(IniGetFloat(kIni, "e", 1.0f), 1000.0f);
    // Decimal only, and integers saturate at the 32-bit range.
    WriteFile(kIni,
              "h = 0x1p3\nn = nan\ni = inf\nx = -2.5e1z\nbig = 4294967296\nneg = -9999999999\n");
    EXPECT_EQ(IniGetFloat(kIni, "h", 1.0f), 0.0f);
    EXPECT_EQ(IniGetFloat(kIni, "n", 1.0f), 0.0f);
    EXPECT_EQ(IniGetFloat(kIni, "i", 1.0f), 0.0f);
    EXPECT_EQ(IniGetFloat(kIni, "x", 1.0f), -25.0f);
    EXPECT_EQ(IniGetInt(kIni, "big", 1), INT32_MAX);
    EXPECT_EQ(IniGetInt(kIni, "neg", 1), INT32_MIN);
}

TEST(Ini, MissingFileLogsOneLinePerRead) {
    ScratchDir dir;
    LogResetForTest();
    EXPECT_EQ(IniGetInt("vantor.ini", "width", 640), 640);
    char out[INI_VALUE_SIZE];
    IniGetString("vantor.ini", "opengl", "auto", out);
    EXPECT_STREQ(out, "auto");
    std::string log = ReadFile("error.log");
    size_t n = 0;
    for (size_t at = log.find("Unable to open INI file vantor.ini.\n"); at != std::string::npos;
         at = log.find("Unable to open INI file vantor.ini.\n", at + 1))
        ++n;
    EXPECT_EQ(n, 2u);
}

TEST(Ini, HostileFilesNeverOverflow) {
    ScratchDir dir;
    std::string garbage(10 * 1024 * 1024, 'x');
    garbage += " = 5\n";
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>(i * 37));
    garbage += std::string("\0key = 9\n", 9);
    garbage +=
        "long = " + std::string(5000, '7') + "\nvalue = " + std::string(300, 'v') + "\nok = 3\n";
    WriteFile(kIni, garbage);
    EXPECT_EQ(IniGetInt(kIni, "ok", 1), 3);
    char out[INI_VALUE_SIZE];
    IniGetString(kIni, "value", "d", out);
    EXPECT_LT(std::strlen(out), INI_VALUE_SIZE);
    char small[4];
    IniGetString(kIni, "ok", "default", small, sizeof(small));
    EXPECT_STREQ(small, "3");
    IniGetString(kIni, "missing", "default", small, sizeof(small));
    EXPECT_STREQ(small, "def");
}

TEST(Ini, LongLinesAreReadInPiecesOf255) {
    ScratchDir dir;
    // The second 255-byte piece of this line begins with "key = 4", so it is a line of its own.
    std::string line(255, ' ');
    line += "key = 4\n";
    WriteFile(kIni, line);
    EXPECT_EQ(IniGetInt(kIni, "key", 1), 4);
}

} // namespace
