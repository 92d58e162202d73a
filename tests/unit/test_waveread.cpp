#include "audio/waveread.h"

#include "audio_test_files.h"

#include <gtest/gtest.h>

namespace {

// The mixer keeps its samples for the whole run; a test releases what it read.
struct OwnedSample : Sample {
    OwnedSample() : Sample{} {}
    ~OwnedSample() { delete[] data; }
    OwnedSample(const OwnedSample&) = delete;
    OwnedSample& operator=(const OwnedSample&) = delete;
};

std::vector<uint8_t> Ramp(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + 128);
    return v;
}

TEST(WaveRead, AcceptedLayoutLoadsSignedFrames) {
    AudioScratchDir dir;
    std::vector<uint8_t> frames = Ramp(1000);
    frames[1] = 255;
    frames[2] = 0;
    AudioWriteFile("sound/a.wav", AudioMakeWav(frames));
    OwnedSample s;
    WaveRead("sound/a.wav", &s);
    ASSERT_EQ(s.dataLength, 1000u);
    EXPECT_EQ(s.data[0], 0);    // silence
    EXPECT_EQ(s.data[1], 127);  // loudest up
    EXPECT_EQ(s.data[2], -128); // loudest down
    for (size_t i = 3; i < frames.size(); ++i)
        ASSERT_EQ(static_cast<uint8_t>(s.data[i]), static_cast<uint8_t>(frames[i] ^ 0x80)) << i;
}

TEST(WaveRead, LongFactChunkAndFullFormatBodyAreSkippedWhole) {
    AudioScratchDir dir;
    AudioWriteFile("b.wav", AudioMakeWav(Ramp(33), 20, true, 8));
    OwnedSample s;
    WaveRead("b.wav", &s);
    EXPECT_EQ(s.factSize, 8u);
    ASSERT_EQ(s.dataLength, 33u);
    EXPECT_EQ(s.data[0], 0);
    EXPECT_EQ(static_cast<uint8_t>(s.data[32]), static_cast<uint8_t>((32 * 7 + 128) ^ 0x80));
}

TEST(WaveRead, EmptyDataChunkIsASilentSample) {
    AudioScratchDir dir;
    AudioWriteFile("c.wav", AudioMakeWav({}));
    OwnedSample s;
    WaveRead("c.wav", &s);
    EXPECT_EQ(s.dataLength, 0u);
}

using WaveReadDeath = ::testing::Test;

TEST(WaveReadDeath, MissingFile) {
    AudioScratchDir dir;
    OwnedSample s;
    EXPECT_EXIT(WaveRead("sound/none.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: unable to read sound/none.wav\n"),
              std::string::npos);
}

// Every layout but the one the engine writes ends the program with a clear message.
TEST(WaveReadDeath, MalformedFilesEndTheProgram) {
    AudioScratchDir dir;
    // A fact chunk whose stated size stops short leaves its last bytes where "data" should be.
    std::vector<uint8_t> shortFact = AudioMakeWav(Ramp(100), 16, true, 8);
    shortFact[12 + 8 + 16 + 4] = 4;
    std::vector<uint8_t> cut = AudioMakeWav(Ramp(10));
    cut.resize(30); // inside the format body
    // A fact chunk claiming more than remains runs past the end.
    std::vector<uint8_t> longFact = AudioMakeWav({}, 16, true, 4);
    longFact[12 + 8 + 16 + 4] = 0xA0;
    longFact.resize(12 + 8 + 16 + 8 + 4);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        const char* message;
    } cases[] = {
        {"nofact.wav", AudioMakeWav(Ramp(100), 16, false), "bad format (fact) for nofact.wav\n"},
        {"list.wav", shortFact, "bad format (data) for list.wav\n"},
        {"ext.wav", AudioMakeWav(Ramp(10), 40), "format chunk of 40 bytes"},
        {"lie.wav", AudioMakeWav(Ramp(10), 16, true, 4, 0x7FFFFFF0),
         "data size 2147483632 larger than"},
        {"cut.wav", cut, "bad format (fact) for cut.wav\n"},
        {"fact.wav", longFact, "bad format (data) for fact.wav\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AudioWriteFile(c.name, c.file);
        OwnedSample s;
        EXPECT_EXIT(WaveRead(c.name, &s), ::testing::ExitedWithCode(1), "");
        EXPECT_NE(AudioReadText("error.log").find(std::string("WaveRead: ") + c.message),
                  std::string::npos);
    }
}

// The effects the build writes into the run directory are in the one layout the reader takes.
TEST(WaveReadDeath, GeneratedSoundsLoad) {
    const char* run = std::getenv("SKX_RUN_DIR");
    if (run == nullptr || !std::filesystem::exists(std::string(run) + "/sound/menu.wav"))
        GTEST_SKIP() << "no generated sounds";
    AudioScratchDir dir;
    std::filesystem::copy(std::string(run) + "/sound", "sound");
    auto readAll = [] {
        const char* names[] = {"sound/shoot3.wav", "sound/shoot.wav", "sound/explode.wav",
                               "sound/pickup.wav", "sound/menu.wav"};
        for (const char* name : names) {
            OwnedSample s;
            WaveRead(name, &s);
            if (s.dataLength == 0) std::exit(2);
        }
        std::exit(0);
    };
    EXPECT_EXIT(readAll(), ::testing::ExitedWithCode(0), "");
}

} // namespace
