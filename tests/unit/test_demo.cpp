// The demo reader's answer to files it must not play: one reason line, never a crash.
#include "core/app.h"
#include "core/demo.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Demo, ReaderRejectsBadFilesWithOneReason) {
    std::string good = ReadFile(std::string(SKX_TEST_SOURCE_DIR) + "/fuzz/corpus/demo/short.skd");
    // A recorded game, stamped with this program's version so that a version bump keeps it good.
    std::string banner(APP_BANNER);
    good.replace(8, banner.size() + 1, banner + '\0');
    DemoInfo info;
    char reason[DEMO_REASON_SIZE] = "";
    ASSERT_TRUE(DemoParse(reinterpret_cast<const uint8_t*>(good.data()), good.size(), &info, reason,
                          sizeof(reason)))
        << reason;
    ASSERT_GT(info.frames, 0);
    const size_t body = info.bodyOffset;
    auto patched = [&](size_t at, const std::string& bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "not a demo file"},
        {"garbage", std::string(300, '\x5a'), "not a demo file"},
        {"cut in the header", good.substr(0, body - 1), "truncated"},
        {"cut in a record", good.substr(0, good.size() - 3), "truncated"},
        {"another version", patched(8, std::string("Skarnex3D v0.99")), "another program version"},
        {"a future format", patched(4, std::string("\x02\0\0\0", 4)), "newer"},
        {"an unknown record", patched(body, "\x7f"), "damaged"},
        {"a damaged first record", patched(body + 1, std::string("\0\0\xc0\x7f", 4)), "damaged"},
        {"bytes after the end", good + "x", "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reason[0] = '\0';
        EXPECT_FALSE(DemoParse(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                               &info, reason, sizeof(reason)));
        EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << reason;
    }
}

} // namespace
