// WaveRead: loads one sound-effect file (RIFF/WAVE, format chunk, "fact" chunk, "data" chunk, in
// that order and nothing else) into a Sample for the wave mixer, with the 8-bit unsigned frames
// turned into signed bytes. Any problem with a file ends the program with exit code 1.
#pragma once
#include <cstdint>

constexpr uint32_t WAVE_FORMAT_ROOM = 20; // the largest format chunk body the record holds

// The headers as they stand in the file, then the frames. The mixer reads only dataLength and data.
struct Sample {
    char riffId[4];
    uint32_t riffSize;
    char formType[4];
    char formatId[4];
    uint32_t formatSize;
    uint8_t format[WAVE_FORMAT_ROOM]; // tag, channels, rate, bytes/s, block, bits: stored, not used
    char factId[4];
    uint32_t factSize;
    uint8_t factData[4]; // never filled: the fact body is skipped
    char dataId[4];
    uint32_t dataLength; // bytes = frames (8-bit mono)
    int8_t* data;        // dataLength signed frames, owned by the record
};

// Fills sample from fileName (a path relative to the working directory). Exit code 1 with a
// "WaveRead: ..." line in the error log when the file is missing, the chunks are not format, fact,
// data in that order, the format body exceeds 20 bytes, or the file ends before its stated sizes.
// Any frames the record held before are released first.
void WaveRead(const char* fileName, Sample* sample);
