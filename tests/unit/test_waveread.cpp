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
    EXPECT_EQ(s.formatSize, 16u);
    EXPECT_EQ(s.format[0], 1);
    EXPECT_EQ(s.data[0], 0);    // silence
    EXPECT_EQ(s.data[1], 127);  // loudest up
    EXPECT_EQ(s.data[2], -128); // loudest down
    for (size_t i = 3; i < frames.size(); ++i)
        ASSERT_EQ(static_cast<uint8_t>(s.data[i]), static_cast<uint8_t>(frames[i] ^ 0x80)) << i;
    EXPECT_NE(AudioReadText("boot.log").find("WaveRead: sound/a.wav\n"), std::string::npos);
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

TEST(WaveReadDeath, PlainPcmWithoutFactChunk) {
    AudioScratchDir dir;
    AudioWriteFile("nofact.wav", AudioMakeWav(Ramp(100), 16, false));
    OwnedSample s;
    EXPECT_EXIT(WaveRead("nofact.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: bad format (fact) for nofact.wav\n"),
              std::string::npos);
}

TEST(WaveReadDeath, ChunkBetweenFactAndData) {
    AudioScratchDir dir;
    // A fact chunk whose stated size stops short leaves its last bytes where "data" should be.
    std::vector<uint8_t> file = AudioMakeWav(Ramp(100), 16, true, 8);
    file[12 + 8 + 16 + 4] = 4;
    AudioWriteFile("list.wav", file);
    OwnedSample s;
    EXPECT_EXIT(WaveRead("list.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: bad format (data) for list.wav\n"),
              std::string::npos);
}

TEST(WaveReadDeath, FormatBodyLongerThanTheRecord) {
    AudioScratchDir dir;
    AudioWriteFile("ext.wav", AudioMakeWav(Ramp(10), 40));
    OwnedSample s;
    EXPECT_EXIT(WaveRead("ext.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: format chunk of 40 bytes"),
              std::string::npos);
}

TEST(WaveReadDeath, DataSizeLargerThanTheFile) {
    AudioScratchDir dir;
    AudioWriteFile("lie.wav", AudioMakeWav(Ramp(10), 16, true, 4, 0x7FFFFFF0));
    OwnedSample s;
    EXPECT_EXIT(WaveRead("lie.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: data size 2147483632 larger than"),
              std::string::npos);
}

TEST(WaveReadDeath, FileEndsInsideTheHeaders) {
    AudioScratchDir dir;
    std::vector<uint8_t> file = AudioMakeWav(Ramp(10));
    file.resize(30); // inside the format body
    AudioWriteFile("cut.wav", file);
    OwnedSample s;
    EXPECT_EXIT(WaveRead("cut.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: cut.wav ends before"), std::string::npos);
    // A fact chunk claiming more than remains runs past the end too.
    std::vector<uint8_t> f2 = AudioMakeWav({}, 16, true, 4);
    f2[12 + 8 + 16 + 4] = 0xA0; // fact size 160, nothing after it
    f2.resize(12 + 8 + 16 + 8 + 4);
    AudioWriteFile("fact.wav", f2);
    EXPECT_EXIT(WaveRead("fact.wav", &s), ::testing::ExitedWithCode(1), "");
    EXPECT_NE(AudioReadText("error.log").find("WaveRead: fact.wav ends before"), std::string::npos);
}

} // namespace

namespace {

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
