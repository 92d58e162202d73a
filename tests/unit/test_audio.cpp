// Sound: the WAV reader, the effects mixer (one block on its own, then running on SDL's dummy
// driver) and the music tracks decoded by libsndfile.
#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "audio/waveread.h"

#include "audio_test_files.h"
#include "core/clock.h"
#include "foundation/mem.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace {

bool WaitFor(const std::function<bool()>& done, int seconds = 10) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

std::vector<uint8_t> Ramp(size_t n) { // every byte value, 0 and 255 included, from n = 256
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + 128);
    return v;
}

TEST(WaveRead, TheOneLayoutLoadsSignedFramesAndOthersEndTheProgram) {
    ScratchDir dir;
    // Data ending at the end of the file; longer format and fact chunks skipped whole; no data.
    for (auto [frames, file] : {std::pair{Ramp(1000), AudioMakeWav(Ramp(1000))},
                                {Ramp(33), AudioMakeWav(Ramp(33), 20, true, 8)},
                                {Ramp(0), AudioMakeWav({})}}) {
        WriteFile("sound/a.wav", file);
        Sample s{};
        WaveRead("sound/a.wav", &s);
        ASSERT_EQ(s.dataLength, frames.size());
        for (size_t i = 0; i < frames.size(); ++i) // 128 (silence) is 0, 255 127 and 0 -128
            ASSERT_EQ(s.data[i], static_cast<int>(frames[i]) - 128) << i;
        delete[] s.data;
    }
    // A fact chunk whose stated size stops short leaves its last bytes where "data" should be.
    std::vector<uint8_t> shortFact = AudioMakeWav(Ramp(100), 16, true, 8);
    shortFact[40] = 4;
    // Files that end inside the format chunk or inside the fact chunk: what is missing reads as
    // zeros, so the next chunk's id test names the chunk.
    const std::vector<uint8_t> whole = AudioMakeWav(Ramp(100));
    const std::vector<uint8_t> inFormat(whole.begin(), whole.begin() + 30),
        inFact(whole.begin(), whole.begin() + 46);
    const struct {
        const char* name;
        std::vector<uint8_t> file; // empty: no file at all
        const char* message;
    } bad[] = {
        {"sound/none.wav", {}, "unable to read sound/none.wav\n"},
        {"nofact.wav", AudioMakeWav(Ramp(100), 16, false), "bad format (fact) for nofact.wav\n"},
        {"list.wav", shortFact, "bad format (data) for list.wav\n"},
        {"cut.wav", inFormat, "bad format (fact) for cut.wav\n"},
        {"factcut.wav", inFact, "bad format (data) for factcut.wav\n"},
        {"lie.wav", AudioMakeWav(Ramp(10), 16, true, 4, 0x7FFFFFF0),
         "data size 2147483632 larger than"},
    };
    for (const auto& c : bad) {
        if (!c.file.empty()) WriteFile(c.name, c.file);
        Sample s{};
        EXPECT_EXIT(WaveRead(c.name, &s), ::testing::ExitedWithCode(1), "") << c.name;
        EXPECT_NE(ReadFile("error.log").find(std::string("WaveRead: ") + c.message),
                  std::string::npos);
    }
}

// Each voice adds level * sample / (channels * 255), rounded toward zero, to a bias of about 128
// that idle and ended slots contribute too; eight loud voices never wrap the byte.
TEST(WaveMix, BlocksOfKnownVoices) {
    static const int8_t loud[4] = {127, 127, -128, 0}, small[2] = {-1, -2}, up[1] = {127},
                        a[3] = {127, 127, 127}, b[10] = {0, 0, 0, 0, 0, 0, 0, 0, -128, -128};
    const struct {
        int32_t channels;
        bool stereo;
        std::vector<WaveMixVoice> voices;
        std::vector<uint8_t> out;
    } cases[] = {
        {4, true, {{loud, 4, 0, 255, 255}}, {159, 159, 159, 159, 96, 96, 128, 128}},
        {4, false, {{loud, 4, 0, 255, 255}}, {159, 159, 96, 128}},
        {1, true, {{small, 2, 0, 100, 200}}, {128, 128, 128, 127}},
        // a plays its last two frames; b its last two on the left only; then silence.
        {2,
         true,
         {{a, 3, 1, 255, 255}, {b, 10, 8, 255, 0}},
         {127, 191, 127, 191, 128, 128, 128, 128}},
        {8, true, std::vector<WaveMixVoice>(8, {up, 1, 0, 255, 255}), {248, 248}},
        {3, true, {}, {126, 126}},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out(c.out.size(), 0xAA);
        WaveMixVoices(out.data(), int32_t(out.size()) / (c.stereo ? 2 : 1), c.stereo, c.channels,
                      c.voices.data(), static_cast<int32_t>(c.voices.size()));
        EXPECT_EQ(out, c.out) << c.channels << " channels, " << c.voices.size() << " voices";
    }
}

// A 1 kHz sine at 11025 Hz, full scale, as signed frames.
std::vector<int8_t> Tone(size_t frames) {
    std::vector<int8_t> v(frames);
    for (size_t i = 0; i < frames; ++i)
        v[i] =
            static_cast<int8_t>(std::lround(127.0 * std::sin(2.0 * M_PI * 1000.0 * i / 11025.0)));
    return v;
}

// Output frames per period of the tone in channel 0 of interleaved samples: the mean
// rising-crossing interval of `centre`, leaving out gaps (a real device that fell behind under load
// plays silence between blocks): only intervals within half of the median count.
template <typename T> double FramesPerPeriod(const std::vector<T>& out, int width, double centre) {
    std::vector<double> gaps;
    int64_t previous = -1;
    for (size_t f = 1; f * width < out.size(); ++f)
        if (out[(f - 1) * width] < centre && out[f * width] >= centre) {
            if (previous >= 0) gaps.push_back(double(int64_t(f) - previous));
            previous = int64_t(f);
        }
    if (gaps.empty()) return 0.0;
    std::vector<double> sorted = gaps;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    double sum = 0.0;
    int64_t count = 0;
    for (double gap : gaps)
        if (gap > median * 0.5 && gap < median * 1.5) sum += gap, ++count;
    return sum / double(count);
}

// The wide mix at 44.1 kHz 16-bit: a 1 kHz effect of 11025 Hz keeps its pitch, a full-scale voice
// peaks at full scale, and at 1/16 volume the sine still takes as many values as at full volume
// (hundreds; its 441-frame cycle repeats them), not the 17 the 8-bit path leaves after its gain.
TEST(WaveMix, TheWideMixKeepsPitchAndResolution) {
    const std::vector<int8_t> tone = Tone(1200);
    const WaveMixVoice voice{tone.data(), uint32_t(tone.size()), 0, 255, 255, 0, 0x4000};
    std::vector<int16_t> out(size_t{4410} * 2);
    for (uint32_t volume : {65535u, 4096u}) {
        WaveMixWide(out.data(), 4410, 16, true, 1, volume, &voice, 1);
        const auto [lo, hi] = std::minmax_element(out.begin(), out.end());
        const double peak = 32512.0 * volume / 65535.0; // 127 / 128 of full scale
        EXPECT_NEAR(std::max(-*lo, int(*hi)), peak, peak * 0.01) << volume;
        EXPECT_NEAR(FramesPerPeriod(out, 2, 0.0), 44.1, 0.1) << volume;
        EXPECT_GT(std::set<int16_t>(out.begin(), out.end()).size(), 700u) << volume;
    }
    // Two voices on a one-voice mixer sum beyond full scale: clipped, not wrapped.
    const WaveMixVoice two[2] = {voice, voice};
    WaveMixWide(out.data(), 4410, 16, true, 1, 65535, two, 2);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 32767);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
}

float listenerYaw = 0; // the listener stays at the origin

class WaveRunning : public ::testing::Test {
  protected:
    ScratchDir dir;
    void Start(const std::string& ini) {
        if (!FileExists("sound/menu.wav")) AudioWriteSounds(200000, 255);
        WriteFile("vantor.ini", ini);
        ClockInit();
        listenerYaw = 0;
        WaveSetListener([](Vec3*, float* yaw) { *yaw = listenerYaw; });
        WaveInit();
    }
    void TearDown() override { WaveUnInit(); }
};

TEST_F(WaveRunning, AFullMixerStealsAQuieterVoiceOnlyBeyondTheBoost) {
    Start("channels = 4\nboost = 50\n");
    for (int32_t v : {200, 100, 255, 120})
        ASSERT_NE(WavePlay(SND_EXPLODE, v), 0u);
    // Slot 1 is the candidate (150 < 200); 60 + 50 = 110 is not below 100, so it takes slot 1.
    EXPECT_NE(WavePlay(SND_MENU, 60), 0u);
    std::vector<int32_t> volumes;
    volumes.reserve(4);
    for (int32_t i = 0; i < WaveVoiceCount(); ++i)
        volumes.push_back(WaveVoiceGet(i).volume);
    EXPECT_EQ(volumes, (std::vector<int32_t>{200, 255, 120, 60}));
    EXPECT_EQ(WavePlay(SND_MENU, 0), 0u); // silent sounds only take a free slot
    while (WaveVoiceCount() > 0)
        VoiceRemove(0);
    for (int32_t v : {200, 100, 255, 120})
        WavePlay(SND_EXPLODE, v);
    EXPECT_EQ(WavePlay(SND_MENU, 40), 0u); // 90 < 100: dropped
}

TEST_F(WaveRunning, PositionalLevelsFollowDistanceAndBalanceFollowsTheView) {
    Start("channels = 8\n");
    for (int32_t sound = SND_SHOOT3; sound <= SND_MENU; ++sound) { // each plays its own file
        ASSERT_NE(WavePlay(sound, 255), 0u);
        EXPECT_EQ(WaveVoiceGet(sound).sample->dataLength, 200000u + uint32_t(sound));
    }
    struct Case {
        Vec3 pos;
        int32_t left, right;
    } cases[] = {
        {{0, 0, -50}, 191, 191},  // ahead
        {{0, 0, 50}, 191, 0},     // straight behind counts as the left side
        {{30, 0, -40}, 153, 191}, // ahead right: 0.8 * 255 * 0.75
        {{0, 0, 0}, 255, 255},    // at the camera: no direction, no NaN
        {{0, 0, -100}, 0, 0},     // at the range
    };
    for (const Case& c : cases) {
        while (WaveVoiceCount() > 0)
            VoiceRemove(0);
        uint32_t id = WavePlayAt(SND_EXPLODE, 255, &c.pos, 10000);
        ASSERT_NE(id, 0u);
        EXPECT_EQ(WaveVoiceGet(0).left, c.left) << c.pos.x << "," << c.pos.z;
        EXPECT_EQ(WaveVoiceGet(0).right, c.right) << c.pos.x << "," << c.pos.z;
    }
    // The camera turned towards the last sound and moved up to it: balanced and louder.
    Vec3 ahead{0, 0, -50};
    VecRotateY(&ahead, 90);
    listenerYaw = 90;
    EXPECT_NE(WaveUpdateAt(WaveVoiceGet(0).id, &ahead), 0u);
    EXPECT_EQ(WaveVoiceGet(0).left, WaveVoiceGet(0).right);
    EXPECT_GE(WaveVoiceGet(0).left, 190);
}

TEST_F(WaveRunning, SettingsAreKeptInRange) {
    Start("channels = 0\nmixahead = 100\ntimerres = 0\nperiod = 0\nabuffer = 0\nmixrate = 7\n"
          "mixbits = 12\n");
    EXPECT_EQ(std::vector<int64_t>(
                  {voiceChannels, mixAhead, timerResolution, timerPeriod, mixRate, mixBits}),
              std::vector<int64_t>({1, 300, 1, 1, 11025, 8}));
    const std::string errors = ReadFile("error.log");
    EXPECT_NE(errors.find("WaveInit: mixrate 7 is not 8000 to 48000, using 11025\n"),
              std::string::npos);
    EXPECT_NE(errors.find("WaveInit: mixbits 12 is neither 8 nor 16, using 8\n"),
              std::string::npos);
    // No volume asked for: the default.
    EXPECT_NE(ReadFile("boot.log").find("WaveOutInit: Volume is 79%\n"), std::string::npos);
    WaveUnInit();
    Start("channels = 12\nmixahead = 5000\ntimerres = 25\nperiod = 60\nabuffer = 0\n");
    EXPECT_EQ(std::vector<int64_t>({voiceChannels, mixAhead, timerResolution, timerPeriod}),
              std::vector<int64_t>({8, 2048, 20, 50}));
    WaveUnInit();
}

// What the device is given, captured by SDL's disk driver: the default stays 11025 Hz unsigned
// 8-bit around 128, where half the volume keeps silence and halves the swing; mixrate 44100 and
// mixbits 16 give signed 16-bit frames at four times the rate.
TEST_F(WaveRunning, TheDeviceGetsTheChosenRateAndDepth) {
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    AudioWriteSounds(100, 128);
    std::vector<uint8_t> tone;
    for (int8_t s : Tone(2205))
        tone.push_back(uint8_t(s + 128));
    WriteFile("sound/explode.wav", AudioMakeWav(tone));
    for (const bool wide : {false, true}) {
        const std::string file = wide ? "wide.raw" : "default.raw";
        ScopedEnv capture("SDL_DISKAUDIOFILE", file);
        Start(wide ? "channels = 1\nvolume = 65535\nmixrate = 44100\nmixbits = 16\n"
                   : "channels = 1\nvolume = 32768\n");
        ASSERT_NE(WavePlay(SND_EXPLODE, 255), 0u);
        ASSERT_TRUE(WaitFor([] { return WaveVoiceCount() == 0; }));
        // The two blocks still queued and the device's buffer hold the tone's end: wait until
        // they are in the file too.
        const uintmax_t frameBytes = wide ? 4 : 2, rateFactor = wide ? 4 : 1;
        const uintmax_t due =
            std::filesystem::file_size(file) + (2 * 2048 + 2048) * rateFactor * frameBytes;
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::file_size(file) >= due; }));
        WaveUnInit();
        const std::string text = ReadFile(file);
        const std::vector<uint8_t> raw(text.begin(), text.end());
        if (wide) {
            std::vector<int16_t> out(raw.size() / 2);
            std::memcpy(out.data(), raw.data(), out.size() * 2);
            EXPECT_EQ(out.front(), 0);
            EXPECT_NEAR(FramesPerPeriod(out, 2, 0.0), 44.1, 0.2);
            EXPECT_GT(*std::max_element(out.begin(), out.end()), 32000);
        } else {
            EXPECT_EQ(raw.front(), 128);
            EXPECT_NEAR(FramesPerPeriod(raw, 2, 128.0), 11.025, 0.1);
            EXPECT_NEAR(*std::max_element(raw.begin(), raw.end()), 128 + 63, 1); // half the swing
            EXPECT_NE(ReadFile("boot.log").find("WaveOutInit: Volume is 50%\n"), std::string::npos);
        }
    }
}

TEST(WaveOff, NoDeviceTurnsAudioOff) {
    ScratchDir dir;
    AudioWriteSounds(100, 128);
    WriteFile("vantor.ini", "");
    ScopedEnv driver("SDL_AUDIODRIVER", "no_such_driver");
    ClockInit();
    WaveInit();
    EXPECT_EQ(WavePlay(SND_MENU, 220), 0u);
    WaveUnInit();
    EXPECT_NE(ReadFile("error.log").find("WaveOutInit: 11 kHz 8-bit mono is not supported\n"),
              std::string::npos);
}

// A real track file: `seconds` of a constant level, written by libsndfile.
void WriteTrack(int track, double seconds, float level = 0.25f, const char* ext = "wav",
                int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    std::filesystem::create_directories("music");
    SF_INFO info{0, 8000, 1, format, 0, 0};
    std::string name = "music/track0" + std::to_string(track) + "." + ext;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> frames(static_cast<size_t>(seconds * 8000), level);
    sf_writef_float(f, frames.data(), static_cast<sf_count_t>(frames.size()));
    sf_close(f);
}

// Every track the player tried to start, and what came of it.
using Attempts = std::vector<std::pair<int, uint32_t>>;
std::mutex attemptLock;
Attempts attempts;

uint32_t RecordingPlay(uint32_t callback, uint8_t track) {
    uint32_t result = CDPlayTrack(callback, track);
    std::lock_guard<std::mutex> lock(attemptLock);
    attempts.emplace_back(track, result);
    return result;
}

class CDAudio : public ::testing::Test {
  protected:
    ScratchDir dir;
    void SetUp() override {
        SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
        attempts.clear();
        cdPlayTrack = RecordingPlay;
    }
    void TearDown() override {
        CDAudioUnInit();
        cdPlayTrack = CDPlayTrack;
        SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
    }
    static void Range(int start, int end, int random = 0) {
        cdStart = static_cast<uint8_t>(start);
        cdEnd = static_cast<uint8_t>(end);
        cdRandom = random;
        CDOpen();
        CDChooseFirstTrack();
        attempts.clear();
    }
};

TEST_F(CDAudio, PlayOrderWrapsWithinTheRangeSkippingWhatCannotPlay) {
    WriteTrack(1, 1.0);
    WriteTrack(2, 1.0);
    WriteTrack(4, 1.0, 0.25f, "flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    Range(1, 99); // from the track after the first, wrapping after the last file
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(CDPlayNext(), CD_OK);
    EXPECT_EQ(attempts, (Attempts{{2, 0}, {3, CD_ERROR_NO_TRACK}, {4, 0}, {1, 0}, {2, 0}}));
    Range(5, 2); // a start beyond the end collapses onto the end
    EXPECT_EQ(CDPlayNext(), CD_OK);
    EXPECT_EQ(attempts, (Attempts{{2, 0}}));
    // With random = 1 any track of the range can come first (the one after the draw is tried).
    WriteFile("vantor.ini", "playcd = 1\nrandom = 1\ncdstart = 2\ncdend = 4\n");
    const auto threadStart = cdThreadStart;
    cdThreadStart = [] { return false; };       // synchronous: CDAudioInit starts the first track
    cdPlayTrack = [](uint32_t, uint8_t track) { // no device: only which track comes first
        attempts.emplace_back(track, 0);
        return uint32_t{CD_OK};
    };
    std::set<int> first;
    for (uint32_t seed : {1u, 5u, 9u}) { // draws 16838, 18655, 20472
        RandomSeed(seed);
        attempts.clear();
        CDAudioInit();
        CDAudioUnInit();
        first.insert(attempts.empty() ? 0 : attempts.front().first);
    }
    cdThreadStart = threadStart;
    cdPlayTrack = RecordingPlay;
    EXPECT_EQ(first, (std::set<int>{2, 3, 4}));

    WriteFile("music/track05.ogg", std::vector<uint8_t>(4000, 0x5A)); // not Ogg at all
    // The first extension in the list wins, even over a good file of a later one.
    WriteTrack(6, 1.0);
    WriteFile("music/track06.mp3", std::vector<uint8_t>(100, 0));
    Range(4, 99);
    EXPECT_EQ(CDTrackCount(), 6);
    ASSERT_EQ(CDPlayNext(), CD_OK);
    EXPECT_EQ(attempts, (Attempts{{5, CD_ERROR_DECODE}, {6, CD_ERROR_DECODE}, {4, 0}}));
}

TEST_F(CDAudio, PlayCdOffIsHaltedAndNoTracksEndTheWorker) {
    WriteTrack(1, 1.0);
    WriteFile("vantor.ini", "playcd = 0\n");
    CDAudioInit();
    EXPECT_EQ(CDAudioVolume(), 20000); // no cdvolume: the default, 31 % on the options' slider
    EXPECT_FALSE(CDAudioWorkerRunning());
    EXPECT_TRUE(attempts.empty());
    EXPECT_NE(ReadFile("boot.log").find("CDAudioInit: playcd setting is 0, cdaudio halted\n"),
              std::string::npos);
    CDAudioUnInit();
    std::filesystem::remove_all("music");
    WriteFile("vantor.ini", "playcd = 1\n");
    CDAudioInit();
    ASSERT_TRUE(WaitFor([] { return !CDAudioWorkerRunning(); }, 5));
    std::lock_guard<std::mutex> lock(attemptLock);
    EXPECT_EQ(attempts, (Attempts{{0, CD_ERROR_NO_TRACK}}));
}

// With musicfollow the game's mood picks the piece: the title piece, then the range in turn without
// the two pieces, the dark piece; at each change the piece fades out, through levels between full
// and silent, before the next starts.
TEST_F(CDAudio, MusicFollowsTheMoodWithAFadeBetween) {
    for (int track = 2; track <= 6; ++track)
        WriteTrack(track, 30.0);
    WriteFile("vantor.ini", "playcd = 1\nrandom = 0\nmusicfollow = 1\n");
    const auto played = [](size_t n) {
        return WaitFor([n] {
            std::lock_guard<std::mutex> lock(attemptLock);
            return attempts.size() >= n;
        });
    };
    CDAudioSetMood(CD_MOOD_TITLE);
    CDAudioInit();
    ASSERT_TRUE(played(1));
    size_t n = 1;
    for (int32_t mood : {CD_MOOD_PLAY, CD_MOOD_DARK, CD_MOOD_PLAY, CD_MOOD_TITLE}) {
        CDAudioSetMood(mood);
        CDAudioSetMood(mood); // every frame tells it again: no further change
        bool between = false;
        ASSERT_TRUE(WaitFor([&] {
            const float fade = CDAudioFade();
            between = between || (fade > 0.1f && fade < 0.9f);
            std::lock_guard<std::mutex> lock(attemptLock);
            return attempts.size() > n;
        }));
        EXPECT_TRUE(between) << "mood " << mood;
        ++n;
    }
    CDAudioSetMood(CD_MOOD_NONE);
    std::lock_guard<std::mutex> lock(attemptLock);
    EXPECT_EQ(attempts, (Attempts{{2, 0}, {3, 0}, {6, 0}, {4, 0}, {2, 0}}));
}

} // namespace
