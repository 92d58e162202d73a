// Renderer timing test: the seven boot-log lines and the state it leaves, and the verdicts at and
// just above their thresholds.
#include "render/timing.h"
#include "render/scene.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/window.h"
#include "gl_recorder.h"
#include "render/particle.h"
#include "render/texture.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

TEST(TimingTest, DrawsUploadsAndLogsTheSevenTimings) {
    ScratchDir dir;
    LogInit();
    LogResetForTest();
    ClockInit();
    GLRecorderScope rec;
    TimingTest();

    // Every fill is measured on its own: the driver's queue is drained before each reading.
    EXPECT_EQ(GLRecorderCount("Finish"), 7 + 5);
    EXPECT_EQ(GLRecorderCalls()[GLRecorderFind("BindTexture")].args[1], TIMING_TEXTURE);

    // Left as the fixed state has it: depth test on, identity model-view.
    const GLRecordedCall* calls = GLRecorderCalls();
    int last = GLRecorderSize() - 1;
    EXPECT_STREQ(calls[last].name, "LoadIdentity");
    EXPECT_EQ(calls[last - 1].args[0], GL_MODELVIEW);

    std::string boot = ReadFile("boot.log");
    const char* names[] = {"Color Buffer Clear",       "Z Buffer Clear",
                           "Gouraud Fill Test",        "Z-Buffered Fill Test",
                           "Alpha Blending Fill Test", "Linear Texture Fill Test",
                           "Nearest Texture Fill Test"};
    size_t at = boot.find("Timing info:\n");
    ASSERT_NE(at, std::string::npos);
    for (const char* name : names) {
        std::smatch m;
        std::string rest = boot.substr(at);
        ASSERT_TRUE(std::regex_search(rest, m,
                                      std::regex(std::string(R"(\) +\d+\.\d\dms )") + name + "\n")))
            << name << "\n"
            << boot;
        at += static_cast<size_t>(m.position(0));
    }
}

struct Settings {
    int32_t fx = niceFx, stars = starsEnabled, ptex = particleTextured;
    int32_t w = screenWidth, h = screenHeight;
    ~Settings() {
        niceFx = fx;
        starsEnabled = stars;
        particleTextured = ptex;
        screenWidth = w;
        screenHeight = h;
        for (float& t : timingResults)
            t = 0.0f;
    }
};

void SetTimings(float linear, float blend, float nearest) {
    for (float& t : timingResults)
        t = 1.0f;
    timingResults[TIMING_LINEAR_TEXTURE_FILL] = linear;
    timingResults[TIMING_BLEND_FILL] = blend;
    timingResults[TIMING_NEAREST_TEXTURE_FILL] = nearest;
}

TEST(TimingVerdicts, ThresholdsAreStrictlyGreater) {
    Settings keep;
    SetTimings(20.0f, 20.0f, 10.0f);
    TimingVerdicts v = TimingTestVerdicts();
    EXPECT_FALSE(v.nearestTextures || v.noNiceFx || v.noStars || v.noParticleTexture);
    SetTimings(20.01f, 1.0f, 1.0f);
    EXPECT_TRUE(TimingTestVerdicts().nearestTextures);
    SetTimings(1.0f, 1.0f, 10.01f);
    v = TimingTestVerdicts();
    EXPECT_TRUE(v.noStars);
    EXPECT_FALSE(v.noParticleTexture);
    SetTimings(1.0f, 1.0f, 20.5f);
    EXPECT_TRUE(TimingTestVerdicts().noParticleTexture);
}

TEST(TimingVerdicts, SlowBlendingTurnsOffEffectsAndParticleTexturesButNotStars) {
    Settings keep;
    niceFx = starsEnabled = particleTextured = 1;
    SetTimings(1.0f, 25.0f, 5.0f);
    TimingTestApply();
    EXPECT_EQ(niceFx, 0);
    EXPECT_EQ(particleTextured, 0);
    EXPECT_EQ(starsEnabled, 1);
}

TEST(TimingVerdicts, SlowLinearTexturingSwitchesFiltersWithTheFontRuleAt640x480) {
    Settings keep;
    int32_t tl = textureLinear, fl = fontLinear;
    GLRecorderScope rec;
    SetTimings(30.0f, 1.0f, 1.0f);
    screenWidth = 640;
    screenHeight = 480;
    TimingTestApply();
    EXPECT_EQ(textureLinear, 0);
    EXPECT_EQ(fontLinear, 0);
    screenWidth = 800;
    screenHeight = 600;
    TimingTestApply();
    EXPECT_EQ(textureLinear, 0);
    EXPECT_EQ(fontLinear, 1);
    textureLinear = tl;
    fontLinear = fl;
}

} // namespace
