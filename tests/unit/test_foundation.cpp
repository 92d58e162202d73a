// Index, memory, random numbers and vector math.
#include "core/log.h"
#include "foundation/index.h"
#include "foundation/mem.h"
#include "foundation/vec.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

int CompareInt(const Index*, const void* a, const void* b) {
    return *static_cast<const int*>(a) - *static_cast<const int*>(b);
}

std::vector<int> Values(const Index& idx) {
    std::vector<int> out;
    out.reserve(size_t(idx.count));
    for (int i = 0; i < idx.count; ++i)
        out.push_back(*static_cast<int*>(idx.items[i]));
    return out;
}

TEST(Index, SortedInsertFindAndDelete) {
    ScratchDir dir;
    LogResetForTest();
    Index idx{};
    IndexCreate(&idx, INDEX_DEFAULT_CAPACITY, "testIndex", 0);
    int v[] = {30, 10, 20, 50, 40, 40}, stranger = 45;
    for (int& x : v)
        IndexInsert(&idx, &x, CompareInt);
    EXPECT_EQ(Values(idx), (std::vector<int>{10, 20, 30, 40, 40, 50}));
    // The second 40 meets the first at a probe: warned, inserted anyway.
    EXPECT_NE(ReadFile("error.log").find("Duplicate index on IndexInsert:testIndex\n"),
              std::string::npos);
    for (int key : {10, 20, 30, 40, 50}) {
        void* found = IndexFind(&idx, &key, CompareInt);
        EXPECT_TRUE(found && *static_cast<int*>(found) == key) << key;
    }
    for (int key : {5, 15, 45, 55})
        EXPECT_EQ(IndexFind(&idx, &key, CompareInt), nullptr) << key;
    // The last item takes the deleted one's place and sinks back into order.
    IndexDelete(&idx, &v[1], CompareInt);
    EXPECT_EQ(Values(idx), (std::vector<int>{20, 30, 40, 40, 50}));
    IndexDelete(&idx, &v[2], nullptr);
    EXPECT_EQ(Values(idx), (std::vector<int>{50, 30, 40, 40}));
    IndexDelete(&idx, &stranger, CompareInt);
    EXPECT_EQ(idx.count, 4);
    EXPECT_NE(ReadFile("error.log").find("IndexDelete: testIndex: Thing not found\n"),
              std::string::npos);
    IndexFree(&idx);
}

TEST(Mem, GrowDoublesOnceAtTheLimit) {
    int32_t cap = 1024;
    void* block = MemGrow(nullptr, 4, 999999, cap);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(cap, 1024) << "a null block ignores count";
    block = MemGrow(block, 4, 255, cap);
    EXPECT_EQ(cap, 1024);
    block = MemGrow(block, 4, 256, cap);
    EXPECT_EQ(cap, 2048);
    MemFree(block, static_cast<size_t>(cap));
}

TEST(Random, RangesFollowTheClampRulesAndASeedReplays) {
    RandomSeed(1234);
    // A bound below 0 counts as 0, and the top is at least one above the bottom.
    const struct {
        int lo, hi;
        std::set<int> seen;
    } cases[] = {{0, 1, {0, 1}}, {-3, 3, {0, 1, 2, 3}}, {5, 5, {5, 6}}, {7, 2, {7, 8}}};
    for (const auto& c : cases) {
        std::set<int> seen;
        for (int i = 0; i < 500; ++i)
            seen.insert(RandomRange(c.lo, c.hi));
        EXPECT_EQ(seen, c.seen) << c.lo << ".." << c.hi;
    }
    // The classic generator, the same on every system: a recorded seed replays the same game.
    RandomSeed(1);
    for (int expected : {16838, 5758, 10113})
        EXPECT_EQ(RandomRange(0, 32767), expected);
}

TEST(Vec, HeadingPitchRotationAndCross) {
    const struct {
        Vec3 v;
        double heading;
    } cases[] = {{{1, 0, 0}, 90},   {{-1, 0, 0}, 270}, {{0, 0, -1}, 180},
                 {{-1, 0, 1}, -45}, {{0, 5, 0}, 0},    {{1, 0, -1}, 135}};
    for (const auto& c : cases)
        EXPECT_NEAR(VecHeading(&c.v), c.heading, 1e-3) << c.v.x << "," << c.v.y << "," << c.v.z;
    Vec3 up{0, 1, 0}, down{0, -1, 0};
    EXPECT_NEAR(VecPitch(&up), 90, 1e-3);
    EXPECT_NEAR(VecPitch(&down), 270, 1e-3);
    for (double h = -80; h < 260; h += 17) {
        Vec3 v{1, 0, 1};
        VecRotateY(&v, h);
        EXPECT_NEAR(std::remainder(VecHeading(&v) - 45 - h, 360), 0, 1e-3) << "turned by " << h;
    }
    Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1}, out{};
    VecRotateX(&z, 30);
    EXPECT_NEAR(VecPitch(&z), -30, 1e-3);
    z = {0, 0, 1};
    VecCross(&out, &z, &x);
    EXPECT_TRUE(VecEqual(&out, &y));
    VecCross(&x, &x, &y); // into an input
    EXPECT_TRUE(VecEqual(&x, &z));
    VecRotateZ(&y, 90);
    EXPECT_NEAR(y.x, -1.0, 1e-6);
}

} // namespace
