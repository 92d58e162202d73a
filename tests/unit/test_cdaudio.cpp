#include "audio/cdaudio.h"

#include "audio_test_files.h"
#include "core/ini.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// A real track file: `seconds` of a constant level, written by libsndfile.
void WriteTrack(const std::string& name, double seconds, float level = 0.25f, int rate = 8000,
                int channels = 1, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    std::filesystem::create_directories("music");
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> frames(static_cast<size_t>(seconds * rate) * channels, level);
    sf_writef_float(f, frames.data(), static_cast<sf_count_t>(frames.size() / channels));
    sf_close(f);
}

void WriteTracks(int count, double seconds) {
    for (int t = 1; t <= count; ++t)
        WriteTrack("music/track0" + std::to_string(t) + ".wav", seconds);
}

struct Attempt {
    int track;
    uint32_t result;
    bool operator==(const Attempt& o) const { return track == o.track && result == o.result; }
};
std::ostream& operator<<(std::ostream& os, const Attempt& a) {
    return os << "{" << a.track << "," << a.result << "}";
}

std::mutex attemptLock;
std::vector<Attempt> attempts;

uint32_t RecordingPlay(uint32_t callback, uint8_t track) {
    uint32_t result = CDPlayTrack(callback, track);
    std::lock_guard<std::mutex> lock(attemptLock);
    attempts.push_back({track, result});
    return result;
}

std::vector<int> PlayedTracks() {
    std::lock_guard<std::mutex> lock(attemptLock);
    std::vector<int> played;
    for (const Attempt& a : attempts)
        if (a.result == CD_OK) played.push_back(a.track);
    return played;
}

class CDAudio : public ::testing::Test {
  protected:
    ScratchDir dir;
    void SetUp() override {
        SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
        std::lock_guard<std::mutex> lock(attemptLock);
        attempts.clear();
        cdPlayTrack = RecordingPlay;
    }
    void TearDown() override {
        CDAudioUnInit();
        cdPlayTrack = CDPlayTrack;
        SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
    }
    static void Range(int start, int end) {
        cdStart = static_cast<uint8_t>(start);
        cdEnd = static_cast<uint8_t>(end);
        cdRandom = 0;
        CDOpen();
        CDChooseFirstTrack();
    }
    static bool WaitFor(const std::function<bool()>& done, int seconds = 10) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
};

TEST_F(CDAudio, PlayOrderWrapsWithinTheRange) {
    WriteTracks(4, 1.0);
    const struct {
        int start, end;
        std::vector<int> played;
    } cases[] = {
        {1, 99, {2, 3, 4, 1, 2}}, // from the track after the first, wrapping after the last file
        {5, 3, {3, 3}},           // a start beyond the end collapses onto the end
    };
    for (const auto& c : cases) {
        attempts.clear();
        Range(c.start, c.end);
        for (size_t i = 0; i < c.played.size(); ++i)
            ASSERT_EQ(CDPlayNext(), CD_OK);
        EXPECT_EQ(PlayedTracks(), c.played) << c.start << " to " << c.end;
    }
    EXPECT_EQ(CDTrackCount(), 4);
}

TEST_F(CDAudio, MissingAndUndecodableTracksAreSkipped) {
    WriteTrack("music/track01.wav", 1.0);
    WriteTrack("music/track02.wav", 1.0);
    WriteTrack("music/track04.flac", 1.0, 0.25f, 8000, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    WriteFile("music/track05.ogg", std::vector<uint8_t>(4000, 0x5A)); // not Ogg at all
    WriteTrack("music/track06.wav", 1.0);
    // The first extension in the list wins, even over a good file of a later one.
    WriteFile("music/track06.mp3", std::vector<uint8_t>(100, 0));
    Range(1, 99);
    EXPECT_EQ(CDTrackCount(), 6);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(CDPlayNext(), CD_OK);
    std::lock_guard<std::mutex> lock(attemptLock);
    EXPECT_EQ(attempts, (std::vector<Attempt>{{2, CD_OK},
                                              {3, CD_ERROR_NO_TRACK},
                                              {4, CD_OK},
                                              {5, CD_ERROR_DECODE},
                                              {6, CD_ERROR_DECODE},
                                              {1, CD_OK}}));
}

TEST_F(CDAudio, NothingPlayableReturnsTheLastError) {
    WriteFile("music/track02.wav", std::vector<uint8_t>(50, 1));
    Range(1, 99);
    EXPECT_EQ(CDPlayNext(), CD_ERROR_NO_TRACK); // track 1, tried last
    std::lock_guard<std::mutex> lock(attemptLock);
    EXPECT_EQ(attempts, (std::vector<Attempt>{{2, CD_ERROR_DECODE}, {1, CD_ERROR_NO_TRACK}}));
}

TEST_F(CDAudio, RandomFirstTrackStaysInTheRange) {
    WriteTracks(3, 1.0);
    cdStart = 2;
    cdEnd = 3;
    cdRandom = 1;
    CDOpen();
    for (int i = 0; i < 20; ++i) {
        cdStart = 2;
        cdEnd = 3;
        CDChooseFirstTrack();
        EXPECT_GE(cdTrack.load(), 2);
        EXPECT_LE(cdTrack.load(), 3);
    }
}

TEST_F(CDAudio, WorkerPlaysTheRangeInTurnAndShutsDownWhilePlaying) {
    WriteTracks(3, 0.1);
    AudioWriteIni("playcd=1\nrandom=0\ncdstart=1\ncdvolume=65535\n");
    CDAudioInit();
    EXPECT_TRUE(CDAudioWorkerRunning());
    ASSERT_TRUE(WaitFor([] { return PlayedTracks().size() >= 5; }));
    std::vector<int> played = PlayedTracks();
    played.resize(5);
    EXPECT_EQ(played, (std::vector<int>{2, 3, 1, 2, 3}));
    CDAudioUnInit(); // the worker is running: shutdown waits for it
    EXPECT_FALSE(CDAudioWorkerRunning());
    EXPECT_FALSE(CDIsPlaying());
}

TEST_F(CDAudio, NoTracksEndTheWorker) {
    AudioWriteIni("playcd=1\n");
    CDAudioInit();
    ASSERT_TRUE(WaitFor([] { return !CDAudioWorkerRunning(); }, 5));
    EXPECT_EQ(cdEnd.load(), 0);
    std::lock_guard<std::mutex> lock(attemptLock);
    EXPECT_EQ(attempts, (std::vector<Attempt>{{0, CD_ERROR_NO_TRACK}}));
}

TEST_F(CDAudio, PlayCdOffIsHalted) {
    WriteTrack("music/track01.wav", 1.0);
    AudioWriteIni("playcd=0\n");
    CDAudioInit();
    EXPECT_FALSE(CDAudioWorkerRunning());
    CDAudioUnInit();
    EXPECT_TRUE(attempts.empty());
    EXPECT_NE(ReadFile("boot.log").find("CDAudioInit: playcd setting is 0, cdaudio halted\n"),
              std::string::npos);
}

TEST_F(CDAudio, SynchronousModeAdvancesOnTheFinishedEvent) {
    WriteTracks(3, 0.1);
    AudioWriteIni("playcd=1\nrandom=0\n");
    bool (*original)() = cdThreadStart;
    cdThreadStart = [] { return false; };
    CDAudioInit();
    cdThreadStart = original;
    ASSERT_NE(cdNotifyEvent, 0u);
    // The frame loop's part: hand each finished-track event to CDAudioNotify.
    bool done = WaitFor([] {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == cdNotifyEvent) CDAudioNotify(event.user.code, 0);
        return PlayedTracks().size() >= 4;
    });
    EXPECT_TRUE(done);
    std::vector<int> played = PlayedTracks();
    played.resize(4);
    EXPECT_EQ(played, (std::vector<int>{2, 3, 1, 2}));
    CDAudioUnInit();
    EXPECT_FALSE(CDIsPlaying());
}

TEST_F(CDAudio, VolumeIsAGainOnTheDecodedStream) {
    std::string out = dir.path + "/music.raw";
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", out);
    WriteTrack("music/track01.wav", 3.0, 0.5f);
    AudioWriteIni("playcd=1\nrandom=0\ncdvolume=98304\n"); // low 16 bits: 32768
    CDAudioInit();
    // The device plays silence until the first decoded block is queued (late on a busy machine),
    // so the check starts at the first sound.
    std::string bytes;
    std::vector<float> samples;
    size_t first = 0;
    bool written = WaitFor([&] {
        bytes = ReadFile(out);
        samples.resize(bytes.size() / sizeof(float));
        if (!samples.empty())
            std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        first = 0;
        while (first < samples.size() && samples[first] == 0.0f)
            ++first;
        return samples.size() >= first + 4096;
    });
    CDAudioUnInit();
    ASSERT_TRUE(written);
    for (size_t i = first; i < first + 4096; ++i)
        ASSERT_NEAR(samples[i], 0.25f, 1e-4f) << i;
}

} // namespace
