// Small sound files and settings for the audio tests, written into a ScratchDir (test_util.h).
#pragma once
#include "test_util.h"

#include <cstdint>
#include <string>
#include <vector>

// Kept for the tests that still use the audio names.
inline void AudioWriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(name, bytes);
}

inline void AudioPut32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void AudioPutId(std::vector<uint8_t>& v, const char* id) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(id[i]));
}
inline void AudioPutBytes(std::vector<uint8_t>& v, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
        v.push_back(b);
}

// A sound file in the layout the reader takes: format body, optional fact chunk, data chunk.
// dataSizeField overrides the stated data size (to make a lying header).
inline std::vector<uint8_t> AudioMakeWav(const std::vector<uint8_t>& frames,
                                         uint32_t formatSize = 16, bool withFact = true,
                                         uint32_t factSize = 4, int64_t dataSizeField = -1) {
    std::vector<uint8_t> body;
    AudioPutId(body, "fmt ");
    AudioPut32(body, formatSize);
    std::vector<uint8_t> format(formatSize, 0);
    if (formatSize >= 16) {
        format[0] = 1;    // PCM
        format[2] = 1;    // mono
        format[4] = 0x11; // 11025
        format[5] = 0x2B;
        format[8] = 0x11;
        format[9] = 0x2B;
        format[12] = 1;
        format[14] = 8;
    }
    AudioPutBytes(body, format);
    if (withFact) {
        AudioPutId(body, "fact");
        AudioPut32(body, factSize);
        AudioPutBytes(body, std::vector<uint8_t>(factSize, 0xEE));
    }
    AudioPutId(body, "data");
    AudioPut32(body, dataSizeField >= 0 ? static_cast<uint32_t>(dataSizeField)
                                        : static_cast<uint32_t>(frames.size()));
    AudioPutBytes(body, frames);
    std::vector<uint8_t> file;
    AudioPutId(file, "RIFF");
    AudioPut32(file, static_cast<uint32_t>(body.size() + 4));
    AudioPutId(file, "WAVE");
    AudioPutBytes(file, body);
    return file;
}

// The five effects, each `frames` frames of one unsigned byte value (shoot.wav may differ).
inline void AudioWriteSounds(uint32_t frames, uint8_t value, uint32_t shootFrames = 0) {
    const char* names[] = {"sound/shoot3.wav", "sound/shoot.wav", "sound/explode.wav",
                           "sound/pickup.wav", "sound/menu.wav"};
    for (const char* name : names) {
        uint32_t n =
            (shootFrames != 0 && std::string(name) == "sound/shoot.wav") ? shootFrames : frames;
        WriteFile(name, AudioMakeWav(std::vector<uint8_t>(n, value)));
    }
}

// Lines given as "key=value" are written in the file's "key = value" form.
inline void AudioWriteIni(const std::string& text) {
    std::string spaced;
    for (char c : text)
        spaced += c == '=' ? std::string(" = ") : std::string(1, c);
    WriteFile("vantor.ini", spaced);
}
