// WAV reader for the mixer's samples: one accepted chunk order, read strictly in sequence.
#include "audio/waveread.h"

#include "core/fatal.h"
#include "core/log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// `what` goes before the file's name: "WaveRead: <what> <file>".
[[noreturn]] void WaveReadFail(const char* what, const char* fileName) {
    Log(LOG_ERROR, "WaveRead: %s %s\n", what, fileName);
    FatalExit(1);
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Headers are read as far as the file goes; what it lacks stays zero, so a file that ends inside
// them fails the next chunk-id test with the message of the chunk being read.
void ReadHeader(std::FILE* f, void* out, size_t size) {
    if (size != 0) (void)std::fread(out, 1, size, f);
}

// id then little-endian size, as every chunk header and the RIFF header's first half are laid out.
void ReadChunkHeader(std::FILE* f, char id[4], uint32_t* size) {
    uint8_t raw[8] = {};
    ReadHeader(f, raw, sizeof(raw));
    std::memcpy(id, raw, 4);
    *size = ReadU32(raw + 4);
}

} // namespace

void WaveRead(const char* fileName, Sample* sample) {
    delete[] sample->data;
    std::memset(sample, 0, sizeof(*sample));
    FileHandle file(std::fopen(fileName, "rb"));
    if (!file) WaveReadFail("unable to read", fileName);
    std::FILE* f = file.get();
    Log(LOG_BOOT, "WaveRead: %s\n", fileName);

    // The file size bounds every later size field, so a lying header cannot make us allocate or
    // read beyond what is there.
    std::fseek(f, 0, SEEK_END);
    long fileSize = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);

    ReadChunkHeader(f, sample->riffId, &sample->riffSize);
    ReadHeader(f, sample->formType, sizeof(sample->formType));
    ReadChunkHeader(f, sample->formatId, &sample->formatSize);
    if (sample->formatSize > WAVE_FORMAT_ROOM) {
        Log(LOG_ERROR, "WaveRead: format chunk of %lu bytes (at most %lu) in %s\n",
            static_cast<unsigned long>(sample->formatSize),
            static_cast<unsigned long>(WAVE_FORMAT_ROOM), fileName);
        FatalExit(1);
    }
    ReadHeader(f, sample->format, sample->formatSize);

    ReadChunkHeader(f, sample->factId, &sample->factSize);
    if (std::memcmp(sample->factId, "fact", 4) != 0)
        WaveReadFail("bad format (fact) for", fileName);
    // A skip past the end leaves nothing to read: the data chunk's test below reports it.
    std::fseek(f, static_cast<long>(sample->factSize), SEEK_CUR);

    ReadChunkHeader(f, sample->dataId, &sample->dataLength);
    if (std::memcmp(sample->dataId, "data", 4) != 0)
        WaveReadFail("bad format (data) for", fileName);
    long remaining = fileSize - std::ftell(f);
    if (remaining < 0 ||
        static_cast<unsigned long>(sample->dataLength) > static_cast<unsigned long>(remaining)) {
        Log(LOG_ERROR, "WaveRead: data size %lu larger than the %ld bytes left in %s\n",
            static_cast<unsigned long>(sample->dataLength), remaining < 0 ? 0L : remaining,
            fileName);
        FatalExit(1);
    }

    sample->data = new (std::nothrow) int8_t[sample->dataLength == 0 ? 1 : sample->dataLength];
    if (!sample->data) WaveReadFail("out of memory for", fileName);
    if (std::fread(sample->data, 1, sample->dataLength, f) != sample->dataLength)
        WaveReadFail("unable to read", fileName);
    // Unsigned to signed: flipping the top bit makes 128 (silence) 0, 255 127 and 0 -128.
    auto* bytes = reinterpret_cast<uint8_t*>(sample->data);
    for (uint32_t i = 0; i < sample->dataLength; ++i)
        bytes[i] ^= 0x80;
}
