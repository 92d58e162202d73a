// Sound files: any bytes either give a sample whose frames are all inside the record or end with
// exit 1.
#include "audio/waveread.h"
#include "fuzz_target.h"

#include <cstdlib>
#include <cstring>

namespace {
Sample fuzzSample;

void ReadWave(const char* path) {
    WaveRead(path, &fuzzSample);
    long sum = 0;
    for (uint32_t i = 0; i < fuzzSample.dataLength; ++i)
        sum += fuzzSample.data[i];
    if (sum > 127L * fuzzSample.dataLength) __builtin_trap(); // frames are signed bytes
}
} // namespace

SKX_FUZZ_TARGET(wav) {
    const char* path = FuzzWriteInput(data, size, ".wav");
    int status = FuzzCatchExit(ReadWave, path);
    if (status != -1 && status != 1) __builtin_trap();
    return 0;
}
