// Small sound files and settings for the audio tests, written into a ScratchDir (test_util.h).
#pragma once
#include "test_util.h"

#include <cstdint>
#include <string>
#include <vector>

inline void AudioWriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(name, bytes);
}

// A sound file in the layout the reader takes: format body, optional fact chunk, data chunk.
// dataSizeField overrides the stated data size (to make a lying header).
inline std::vector<uint8_t> AudioMakeWav(const std::vector<uint8_t>& frames,
                                         uint32_t formatSize = 16, bool withFact = true,
                                         uint32_t factSize = 4, int64_t dataSizeField = -1) {
    auto le32 = [](uint64_t x) {
        return std::string{char(x), char(x >> 8), char(x >> 16), char(x >> 24)};
    };
    std::string format(formatSize, '\0');
    // PCM, mono, 11025 Hz, 11025 bytes a second, 1-byte frames of 8 bits.
    if (formatSize >= 16) format.replace(0, 16, "\1\0\1\0\x11\x2B\0\0\x11\x2B\0\0\1\0\x08\0", 16);
    std::string body = "fmt " + le32(formatSize) + format;
    if (withFact) body += "fact" + le32(factSize) + std::string(factSize, '\xEE');
    body += "data" + le32(dataSizeField >= 0 ? uint64_t(dataSizeField) : frames.size());
    body += std::string(frames.begin(), frames.end());
    std::string file = "RIFF" + le32(body.size() + 4) + "WAVE" + body;
    return std::vector<uint8_t>(file.begin(), file.end());
}

// The five effects of one unsigned byte value, each `frames` plus its sound number frames long.
inline void AudioWriteSounds(uint32_t frames, uint8_t value) {
    for (const char* name : {"shoot3", "shoot", "explode", "pickup", "menu"})
        WriteFile(std::string("sound/") + name + ".wav",
                  AudioMakeWav(std::vector<uint8_t>(frames++, value)));
}
