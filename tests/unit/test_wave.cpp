#include "audio/wave.h"

#include "audio_test_files.h"
#include "core/clock.h"
#include "render/scene.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// --- The mixing arithmetic, on its own -------------------------------------------------------

TEST(WaveMix, FullScaleByteWithFourChannels) {
    int8_t loud[4] = {127, 127, -128, 0};
    WaveMixVoice v{loud, 4, 0, 255, 255};
    uint8_t out[8];
    WaveMixVoices(out, 4, true, 4, &v, 1);
    EXPECT_EQ(out[0], 159); // 127 * 255 / 1020 = 31, + 32 bias, + 3 idle slots of 32
    EXPECT_EQ(out[4], 96);  // -128 * 255 / 1020 = -32
    EXPECT_EQ(out[6], 128);
    uint8_t mono[4];
    WaveMixVoices(mono, 4, false, 4, &v, 1);
    EXPECT_EQ(mono[2], 96);
}

TEST(WaveMix, SilenceIsTheSumOfTheBiases) {
    const uint8_t expected[9] = {0, 128, 128, 126, 128, 125, 126, 126, 128};
    for (int32_t ch = 1; ch <= 8; ++ch) {
        uint8_t out[6];
        WaveMixVoices(out, 3, true, ch, nullptr, 0);
        for (uint8_t b : out)
            EXPECT_EQ(b, expected[ch]) << ch << " channels";
    }
}

TEST(WaveMix, DivisionTruncatesTowardZeroAndLevelsPerSide) {
    int8_t s[2] = {-1, -2};
    // One channel: -1 * 200 / 255 is 0 (toward zero), not -1; -2 * 200 / 255 is -1.
    WaveMixVoice v{s, 2, 0, 100, 200};
    uint8_t out[4];
    WaveMixVoices(out, 2, true, 1, &v, 1);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[3], 127);
}

TEST(WaveMix, VoicesEndingInsideTheBlockAddBiasAlone) {
    int8_t a[3] = {127, 127, 127};
    int8_t b[10] = {-128, -128, -128, -128, -128, -128, -128, -128, -128, -128};
    WaveMixVoice v[2] = {{a, 3, 1, 255, 255}, {b, 10, 8, 255, 0}};
    uint8_t out[8];
    WaveMixVoices(out, 4, true, 2, v, 2);
    // a: frames 1, 2 play (+63 per frame), then ended. b: frames 8, 9 play on the left only (-64).
    EXPECT_EQ(out[0], 128 + 63 - 64);
    EXPECT_EQ(out[1], 128 + 63);
    EXPECT_EQ(out[4], 128);
}

TEST(WaveMix, FullOutputNeverWrapsWithEightLoudVoices) {
    int8_t up[1] = {127};
    int8_t down[1] = {-128};
    WaveMixVoice ups[8], downs[8];
    for (int i = 0; i < 8; ++i) {
        ups[i] = {up, 1, 0, 255, 255};
        downs[i] = {down, 1, 0, 255, 255};
    }
    uint8_t out[2];
    WaveMixVoices(out, 1, true, 8, ups, 8);
    EXPECT_EQ(out[0], 128 + 8 * (127 * 255 / 2040));
    WaveMixVoices(out, 1, true, 8, downs, 8);
    EXPECT_EQ(out[0], 128 - 8 * 16);
}

// --- The running mixer on SDL's dummy driver --------------------------------------------------

class WaveRunning : public ::testing::Test {
  protected:
    AudioScratchDir dir;
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
    std::string boot = AudioReadText("boot.log");
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
    EXPECT_NE(AudioReadText("boot.log").find("WaveUnInit: Adjusted Mixahead is "),
              std::string::npos);
    // Ticks every 10 ms: the slowest gap is at least one period, and the block grew with it.
    EXPECT_GE(mixAhead, 300 + static_cast<int32_t>(13230 * 0.009));
}

TEST(WaveOff, NoDeviceTurnsAudioOff) {
    AudioScratchDir dir;
    AudioWriteSounds(100, 128);
    AudioWriteIni("");
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    ClockInit();
    WaveInit();
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    EXPECT_EQ(voiceChannels, 0);
    Vec3 p{0, 0, 0};
    EXPECT_EQ(WavePlay(SND_MENU, 220), 0u);
    EXPECT_EQ(WavePlayAt(SND_EXPLODE, 255, &p, 10000), 0u);
    EXPECT_EQ(WaveUpdateAt(1, &p), 0u);
    WaveUnInit();
    EXPECT_NE(AudioReadText("error.log").find("WaveOutInit: 11 kHz 8-bit mono is not supported\n"),
              std::string::npos);
}

TEST(WaveDisk, AShotIntoSilenceReachesTheDevice) {
    AudioScratchDir dir;
    std::string out = (dir.path / "out.raw").string();
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
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
        bytes = AudioReadText(out);
        shotAt = bytes.find(static_cast<char>(159));
        if (shotAt != std::string::npos && bytes.size() > shotAt + 400 + 64) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    WaveUnInit();
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    unsetenv("SDL_DISKAUDIOFILE");
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
