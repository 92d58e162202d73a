// Log: stamps, the boot-log copy, rotation, permissions, open failures and re-entrancy.
#include "core/log.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>
#include <thread>

namespace {

size_t CountLines(const std::string& text) {
    size_t n = 0;
    for (char c : text)
        n += (c == '\n');
    return n;
}

TEST(Log, StampFormatAndLineContinuation) {
    ScratchDir dir;
    LogInit();
    LogResetForTest();
    Log(LOG_BOOT, "Vendor: ");
    LogPrintf(LOG_BOOT, "Mesa");
    LogPrintf(LOG_BOOT, "\n");
    std::string boot = ReadFile("boot.log");
    EXPECT_TRUE(std::regex_match(boot, std::regex(R"(\d\d/\d\d\(\d\d:\d\d\) Vendor: Mesa\n)")))
        << boot;
}

TEST(Log, ErrorsAreCopiedToBootLogOnlyUntilStartUpCompletes) {
    ScratchDir dir;
    LogInit();
    LogResetForTest();
    Log(LOG_ERROR, "LightAlloc: Out of lights - ergh!\n");
    LogInitComplete();
    Log(LOG_ERROR, "after\n");
    std::string boot = ReadFile("boot.log");
    std::string err = ReadFile("error.log");
    EXPECT_NE(boot.find("LightAlloc: Out of lights - ergh!\n"), std::string::npos);
    EXPECT_NE(boot.find("Server initialization complete\n"), std::string::npos);
    EXPECT_EQ(boot.find("after"), std::string::npos);
    EXPECT_EQ(CountLines(err), 2u);
    LogResetForTest();
}

TEST(Log, OutOfRangeChannelsCountAsErrors) {
    ScratchDir dir;
    LogResetForTest();
    Log(-1, "negative\n");
    Log(7, "seven\n");
    std::string err = ReadFile("error.log");
    EXPECT_NE(err.find("negative"), std::string::npos);
    EXPECT_NE(err.find("seven"), std::string::npos);
}

TEST(Log, InitDeletesBootLogAndRotatesAbove100000Bytes) {
    ScratchDir dir;
    WriteFile("boot.log", "previous run\n");
    WriteFile("error.log", std::string(100001, 'e'));
    WriteFile("error.old", "older\n");
    WriteFile("port.log", std::string(100000, 'p'));
    LogInit();
    EXPECT_FALSE(FileExists("boot.log"));
    EXPECT_FALSE(FileExists("error.log"));
    EXPECT_EQ(ReadFile("error.old").size(), 100001u);
    EXPECT_EQ(ReadFile("port.log").size(), 100000u) << "exactly 100000 bytes stays";
    EXPECT_FALSE(FileExists("port.old"));
}

TEST(Log, ReadOnlyFileIsMadeWritable) {
    ScratchDir dir;
    WriteFile("error.log", "old line\n");
    chmod("error.log", S_IRUSR);
    LogResetForTest();
    Log(LOG_ERROR, "appended\n");
    std::string err = ReadFile("error.log");
    EXPECT_EQ(err.rfind("old line\n", 0), 0u);
    EXPECT_NE(err.find("appended"), std::string::npos);
}

TEST(LogDeathTest, UnopenableFileExitsWithStatus2) {
    ScratchDir dir;
    mkdir("error.log", 0700); // a directory cannot be opened for appending
    EXPECT_EXIT(Log(LOG_ERROR, "x\n"), testing::ExitedWithCode(2),
                "Log: Failed to Open/Create file");
    EXPECT_EXIT(LogPrintf(LOG_ERROR, "x"), testing::ExitedWithCode(2), "LogPrintf");
}

TEST(Log, TwoThreadsNeverInterleaveWithinAMessage) {
    ScratchDir dir;
    LogResetForTest();
    LogInitComplete(); // no boot copies: only error.log
    auto writer = [](char c) {
        std::string msg(60, c);
        msg += "\n";
        for (int i = 0; i < 200; ++i)
            Log(LOG_ERROR, "%s", msg.c_str());
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    std::string err = ReadFile("error.log");
    EXPECT_EQ(CountLines(err), 400u);
    std::regex line(R"(\d\d/\d\d\(\d\d:\d\d\) (a{60}|b{60}))");
    size_t start = 0;
    for (size_t end = err.find('\n'); end != std::string::npos; end = err.find('\n', start)) {
        ASSERT_TRUE(std::regex_match(err.substr(start, end - start), line));
        start = end + 1;
    }
    LogResetForTest();
}

} // namespace
