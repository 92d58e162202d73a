#include "audio/wave.h"

#include "audio_test_files.h"
#include "core/clock.h"
#include "render/scene.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// --- One block of the mix, on its own ---------------------------------------------------------

// Each voice adds level * sample / (channels * 255), rounded toward zero, to a bias of about 128
// that idle and ended slots contribute too; eight loud voices never wrap the byte.
TEST(WaveMix, BlocksOfKnownVoices) {
    static const int8_t loud[4] = {127, 127, -128, 0}, small[2] = {-1, -2}, up[1] = {127},
                        down[1] = {-128}, a[3] = {127, 127, 127},
                        b[10] = {-128, -128, -128, -128, -128, -128, -128, -128, -128, -128};
    const struct {
        int32_t channels;
        bool stereo;
        int32_t frames;
        std::vector<WaveMixVoice> voices;
        std::vector<uint8_t> out;
    } cases[] = {
        {4, true, 4, {{loud, 4, 0, 255, 255}}, {159, 159, 159, 159, 96, 96, 128, 128}},
        {4, false, 4, {{loud, 4, 0, 255, 255}}, {159, 159, 96, 128}},
        {1, true, 2, {{small, 2, 0, 100, 200}}, {128, 128, 128, 127}},
        // a plays its last two frames; b its last two on the left only; then silence.
        {2,
         true,
         4,
         {{a, 3, 1, 255, 255}, {b, 10, 8, 255, 0}},
         {127, 191, 127, 191, 128, 128, 128, 128}},
        {8, true, 1, std::vector<WaveMixVoice>(8, {up, 1, 0, 255, 255}), {248, 248}},
        {8, true, 1, std::vector<WaveMixVoice>(8, {down, 1, 0, 255, 255}), {0, 0}},
        {3, true, 1, {}, {126, 126}},
        {5, false, 1, {}, {125}},
        {8, false, 1, {}, {128}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out(c.out.size(), 0xAA);
        WaveMixVoices(out.data(), c.frames, c.stereo, c.channels, c.voices.data(),
                      static_cast<int32_t>(c.voices.size()));
        EXPECT_EQ(out, c.out) << c.channels << " channels, " << c.voices.size() << " voices";
    }
}

// --- The running mixer on SDL's dummy driver --------------------------------------------------

class WaveRunning : public ::testing::Test {
  protected:
    ScratchDir dir;
    void Start(const std::string& ini, uint32_t frames = 200000, uint32_t shootFrames = 0) {
        AudioWriteSounds(frames, 255, shootFrames);
        AudioWriteIni(ini);
        ClockInit();
        cameraPos = {0, 0, 0};
        cameraYaw = 0;
        WaveInit();
    }
    void TearDown() override { WaveUnInit(); }
    static std::vector<int32_t> Volumes() {
        std::vector<int32_t> v;
        for (int32_t i = 0; i < WaveVoiceCount(); ++i)
            v.push_back(WaveVoiceGet(i).volume);
        return v;
    }
    static void Clear() {
        while (WaveVoiceCount() > 0)
            VoiceRemove(0);
    }
};

TEST_F(WaveRunning, StealingPrefersAQuieterYoungerVoiceOnlyBeyondTheBoost) {
    Start("channels=4\nboost=50\n");
    for (int32_t v : {200, 100, 255, 120})
        ASSERT_NE(WavePlay(SND_EXPLODE, v), 0u);
    // Slot 1 is the candidate (150 < 200); 60 + 50 = 110 is not below 100, so it takes slot 1.
    EXPECT_NE(WavePlay(SND_MENU, 60), 0u);
    EXPECT_EQ(Volumes(), (std::vector<int32_t>{200, 255, 120, 60}));

    Clear();
    for (int32_t v : {200, 100, 255, 120})
        WavePlay(SND_EXPLODE, v);
    EXPECT_EQ(WavePlay(SND_MENU, 40), 0u); // 90 < 100: dropped
    EXPECT_EQ(Volumes(), (std::vector<int32_t>{200, 100, 255, 120}));

    Clear();
    for (int32_t v : {200, 180, 190, 210})
        WavePlay(SND_EXPLODE, v);
    // 230 is not below 200: the oldest stays the candidate although slot 1 is quieter.
    EXPECT_NE(WavePlay(SND_PICKUP, 150), 0u);
    EXPECT_EQ(Volumes(), (std::vector<int32_t>{180, 190, 210, 150}));
}

TEST_F(WaveRunning, VolumeZeroPlaysWhenFreeAndIsDroppedWhenFull) {
    Start("channels=2\nboost=50\n");
    uint32_t a = WavePlay(SND_MENU, 0);
    EXPECT_NE(a, 0u);
    EXPECT_NE(WavePlay(SND_MENU, 255), a);
    EXPECT_EQ(WavePlay(SND_MENU, 0), 0u);
    EXPECT_EQ(WavePlay(7, 255), 0u); // no such sample
}

TEST_F(WaveRunning, PositionalLevelsFollowDistance) {
    Start("channels=8\n");
    Vec3 near{0, 0, -50};
    uint32_t id = WavePlayAt(SND_EXPLODE, 255, &near, 10000);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(WaveVoiceGet(0).volume, 191);

    Vec3 far{0, 0, -100};
    ASSERT_NE(WavePlayAt(SND_EXPLODE, 255, &far, 10000), 0u);
    EXPECT_EQ(WaveVoiceGet(1).volume, 0);
    Vec3 beyond{300, 0, 0};
    ASSERT_NE(WavePlayAt(SND_EXPLODE, 255, &beyond, 10000), 0u);
    EXPECT_EQ(WaveVoiceGet(2).volume, 0);

    // The camera moving up to the sound makes it louder on the next update.
    cameraPos = {0, 0, -50};
    EXPECT_EQ(WaveUpdateAt(id, nullptr), id);
    EXPECT_EQ(WaveVoiceGet(0).volume, 255);
    Vec3 moved{0, 0, -100};
    EXPECT_EQ(WaveUpdateAt(id, &moved), id);
    EXPECT_EQ(WaveVoiceGet(0).volume, 191);
}

TEST_F(WaveRunning, BalanceAheadSideAndBehind) {
    Start("channels=8\n");
    struct Case {
        Vec3 pos;
        int32_t left, right;
    } cases[] = {
        {{0, 0, -50}, 191, 191},  // ahead
        {{50, 0, 0}, 0, 191},     // right
        {{-50, 0, 0}, 191, 0},    // left
        {{0, 0, 50}, 191, 0},     // straight behind counts as the left side
        {{30, 0, 40}, 0, 191},    // behind right: the cosine is negative
        {{30, 0, -40}, 153, 191}, // ahead right: 0.8 * 255 * 0.75
        {{0, 0, 0}, 255, 255},    // at the camera: no direction, no NaN
    };
    for (const Case& c : cases) {
        Clear();
        ASSERT_NE(WavePlayAt(SND_EXPLODE, 255, &c.pos, 10000), 0u);
        Voice v = WaveVoiceGet(0);
        EXPECT_EQ(v.left, c.left) << c.pos.x << "," << c.pos.z;
        EXPECT_EQ(v.right, c.right) << c.pos.x << "," << c.pos.z;
    }
    // Turned right by 90 degrees, a sound straight ahead of the view is balanced again.
    cameraYaw = 90;
    Clear();
    Vec3 ear{0, 0, -1};
    VecRotateY(&ear, 90);
    Vec3 ahead{ear.x * 50, 0, ear.z * 50};
    ASSERT_NE(WavePlayAt(SND_EXPLODE, 255, &ahead, 10000), 0u);
    EXPECT_EQ(WaveVoiceGet(0).left, WaveVoiceGet(0).right);
    EXPECT_GE(WaveVoiceGet(0).left, 190);
}

TEST_F(WaveRunning, UpdateOfAnEndedVoiceAndOfAPlainOne) {
    Start("channels=4\nmixahead=300\nperiod=5\nabuffer=0\n", 200000, 100);
    Vec3 at{0, 0, -10};
    uint32_t shot = WavePlayAt(SND_SHOOT, 255, &at, 3000);
    uint32_t plain = WavePlay(SND_EXPLODE, 255);
    ASSERT_NE(shot, 0u);
    EXPECT_EQ(WaveUpdateAt(plain, &at), plain); // not positional: the id, untouched
    EXPECT_EQ(WaveVoiceGet(1).volume, 255);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (WaveUpdateAt(shot, &at) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(WaveUpdateAt(shot, &at), 0u);
    EXPECT_EQ(WaveUpdateAt(plain, nullptr), plain);
    EXPECT_EQ(WaveUpdateAt(0, nullptr), 0u);
}

TEST_F(WaveRunning, PositionalSoundOffPlaysAtFullVolume) {
    Start("psound=0\n");
    Vec3 far{0, 0, 500};
    ASSERT_NE(WavePlayAt(SND_EXPLODE, 255, &far, 10000), 0u);
    EXPECT_EQ(WaveVoiceGet(0).left, 255);
    EXPECT_EQ(WaveVoiceGet(0).right, 255);
}

struct ClampCase {
    const char* ini;
    int32_t channels, mixahead;
    uint32_t timerres, period;
    const char* logged;
};

class WaveClamp : public WaveRunning, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(WaveClamp, SettingsAreKeptInRange) {
    const ClampCase& c = GetParam();
    Start(std::string("abuffer=0\n") + c.ini);
    EXPECT_EQ(voiceChannels, c.channels);
    EXPECT_EQ(mixAhead, c.mixahead);
    EXPECT_EQ(timerResolution, c.timerres);
    EXPECT_EQ(timerPeriod, c.period);
    std::string boot = ReadFile("boot.log");
    EXPECT_NE(boot.find(c.logged), std::string::npos) << boot;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, WaveClamp,
    ::testing::Values(ClampCase{"channels=0\nmixahead=100\ntimerres=0\nperiod=0\n", 1, 300, 1, 1,
                                "WaveInit: Mixahead is 100\n"},
                      ClampCase{"channels=12\nmixahead=5000\ntimerres=25\nperiod=60\n", 8, 2048, 20,
                                50, "Wave audio configured for 8 simultaneous samples\n"},
                      ClampCase{"channels=-3\nmixahead=2047\ntimerres=-3\nperiod=49\n", 1, 2047, 20,
                                49, "WaveInit: Timer resolution (corrected) is 20\n"},
                      ClampCase{"", 4, 1500, 10, 35, "WaveOutInit: Volume is 79%\n"}));

TEST_F(WaveRunning, ShutdownJoinsTheTickAndWritesTheStatistics) {
    Start("period=10\nabuffer=1\n");
    for (int i = 0; i < 20; ++i) {
        WavePlay(SND_SHOOT3, 255);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    WaveUnInit();
    EXPECT_EQ(WavePlay(SND_MENU, 220), 0u); // closed: audio off
    EXPECT_NE(ReadFile("boot.log").find("WaveUnInit: Adjusted Mixahead is "), std::string::npos);
    // Ticks every 10 ms: the slowest gap is at least one period, and the block grew with it.
    EXPECT_GE(mixAhead, 300 + static_cast<int32_t>(13230 * 0.009));
}

TEST(WaveOff, NoDeviceTurnsAudioOff) {
    ScratchDir dir;
    AudioWriteSounds(100, 128);
    AudioWriteIni("");
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
        ClockInit();
        WaveInit();
    }
    EXPECT_EQ(voiceChannels, 0);
    Vec3 p{0, 0, 0};
    EXPECT_EQ(WavePlay(SND_MENU, 220), 0u);
    EXPECT_EQ(WavePlayAt(SND_EXPLODE, 255, &p, 10000), 0u);
    EXPECT_EQ(WaveUpdateAt(1, &p), 0u);
    WaveUnInit();
    EXPECT_NE(ReadFile("error.log").find("WaveOutInit: 11 kHz 8-bit mono is not supported\n"),
              std::string::npos);
}

TEST(WaveDisk, AShotIntoSilenceReachesTheDevice) {
    ScratchDir dir;
    std::string out = dir.path + "/out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", out);
    AudioWriteSounds(200, 255);
    AudioWriteIni("volume=65535\nchannels=4\nmixahead=300\nperiod=10\nabuffer=0\n");
    ClockInit();
    WaveInit();
    ASSERT_EQ(stereoOutput, 1);
    ASSERT_NE(WavePlay(SND_SHOOT3, 255), 0u);
    // Wait for the shot and some silence after it to be written.
    std::string bytes;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    size_t shotAt = std::string::npos;
    while (std::chrono::steady_clock::now() < deadline) {
        bytes = ReadFile(out);
        shotAt = bytes.find(static_cast<char>(159));
        if (shotAt != std::string::npos && bytes.size() > shotAt + 400 + 64) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    WaveUnInit();
    ASSERT_NE(shotAt, std::string::npos);
    ASSERT_GT(bytes.size(), shotAt + 400 + 64);
    for (size_t i = 0; i < shotAt; ++i)
        ASSERT_EQ(static_cast<uint8_t>(bytes[i]), 128) << i;
    for (size_t i = shotAt; i < shotAt + 400; ++i) // 200 stereo frames, both sides
        ASSERT_EQ(static_cast<uint8_t>(bytes[i]), 159) << i - shotAt;
    for (size_t i = shotAt + 400; i < shotAt + 464; ++i)
        ASSERT_EQ(static_cast<uint8_t>(bytes[i]), 128) << i - shotAt;
}

} // namespace
