// The WAV reader: the one accepted layout read into signed frames, and every other file ending the
// program with a clear line.
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

TEST(WaveRead, AcceptedLayoutsLoadSignedFrames) {
    ScratchDir dir;
    std::vector<uint8_t> loud = Ramp(1000);
    loud[1] = 255;
    loud[2] = 0;
    const struct {
        const char* name;
        std::vector<uint8_t> frames, file;
    } cases[] = {
        {"sound/a.wav", loud, AudioMakeWav(loud)},
        // A long fact chunk and a full format body are skipped whole.
        {"b.wav", Ramp(33), AudioMakeWav(Ramp(33), 20, true, 8)},
        {"c.wav", {}, AudioMakeWav({})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.name, c.file);
        OwnedSample s;
        WaveRead(c.name, &s);
        ASSERT_EQ(s.dataLength, c.frames.size());
        for (size_t i = 0; i < c.frames.size(); ++i) // 128 (silence) is 0, 255 127 and 0 -128
            ASSERT_EQ(s.data[i], static_cast<int>(c.frames[i]) - 128) << i;
    }
}

// Every layout but the one the engine writes ends the program with a clear message.
TEST(WaveReadDeath, MalformedFilesEndTheProgram) {
    ScratchDir dir;
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
        std::vector<uint8_t> file; // empty: no file at all
        const char* message;
    } cases[] = {
        {"sound/none.wav", {}, "unable to read sound/none.wav\n"},
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
        if (!c.file.empty()) WriteFile(c.name, c.file);
        OwnedSample s;
        EXPECT_EXIT(WaveRead(c.name, &s), ::testing::ExitedWithCode(1), "");
        EXPECT_NE(ReadFile("error.log").find(std::string("WaveRead: ") + c.message),
                  std::string::npos);
    }
}

} // namespace
