// Frame-loop arithmetic and the loop settings' guards.
#include "core/app.h"
#include "core/framepace.h"
#include "core/log.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<float> steps;
void RecordStep(float dt) {
    steps.push_back(dt);
}

TEST(FrameSteps, FrameIsCutIntoEqualStepsShorterThanASlice) {
    const float slice = 0.035f;
    const float inv = 1.0f / slice;
    steps.clear();
    EXPECT_EQ(AppRunSlices(0.1f, inv, RecordStep), 3);
    ASSERT_EQ(steps.size(), 3u);
    for (float s : steps)
        EXPECT_NEAR(s, 0.1f / 3, 1e-5);

    steps.clear();
    EXPECT_EQ(AppRunSlices(0.02f, inv, RecordStep), 1);
    EXPECT_FLOAT_EQ(steps[0], 0.02f);

    steps.clear();
    EXPECT_EQ(AppRunSlices(0.25f, 1.0f / 0.25f, RecordStep), 2)
        << "exactly one slice gives 2 steps";
    EXPECT_FLOAT_EQ(steps[0], 0.125f);
    EXPECT_FLOAT_EQ(steps[1], 0.125f);

    steps.clear();
    EXPECT_EQ(AppRunSlices(0.0f, inv, RecordStep), 1) << "a frame always makes one update";
    EXPECT_EQ(AppFrameSteps(1.0f, inv), 29);
}

TEST(LoopSettings, NonPositiveSliceAndMaxFpsFallBackToDefaults) {
    ScratchDir dir;
    LogResetForTest();
    WriteFile("vantor.ini", "slice = 0\nmaxfps = 0\nftest = 1\ntimeout = 2.5\n");
    AppReadLoopSettings();
    EXPECT_FLOAT_EQ(timeSlice, 0.035f);
    EXPECT_EQ(maxFps, 200);
    EXPECT_EQ(frameTest, 1);
    EXPECT_FLOAT_EQ(frameTestTimeout, 2.5f);
    std::string err = ReadFile("error.log");
    EXPECT_NE(err.find("slice"), std::string::npos);
    EXPECT_NE(err.find("maxfps"), std::string::npos);

    WriteFile("vantor.ini", "slice = 1e-20\n"); // its step count would overflow
    AppReadLoopSettings();
    EXPECT_FLOAT_EQ(timeSlice, 0.035f);

    WriteFile("vantor.ini", "slice = 0.02\nmaxfps = 60\n");
    AppReadLoopSettings();
    EXPECT_EQ(timeSlice, 0.02f);
    EXPECT_EQ(maxFps, 60);
}

TEST(FramePace, FiguresLeaveOutTheFirstSecondAndTheLimitEndsTheRun) {
    setenv("SKX_FRAMES", "111", 1);
    FramePaceInit();
    unsetenv("SKX_FRAMES");
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(FramePaceRecord(0.5f, 0.5f)); // start-up: not counted
    for (int i = 0; i < 98; ++i)
        FramePaceRecord(0.005f, 2.0f);
    FramePaceRecord(0.007f, 2.0f);
    EXPECT_FALSE(FramePaceRecord(0.030f, 2.0f));
    const FramePaceFigures f = FramePaceGetFigures();
    EXPECT_EQ(f.frames, 100);
    EXPECT_NEAR(f.medianMs, 5.0f, 0.011f);
    EXPECT_NEAR(f.p99Ms, 7.0f, 0.011f);
    EXPECT_NEAR(f.worstMs, 30.0f, 0.001f);
    EXPECT_TRUE(FramePaceRecord(0.005f, 2.0f)) << "the 111th frame reaches SKX_FRAMES";
}

} // namespace
