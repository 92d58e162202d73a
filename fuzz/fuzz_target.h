// One source per reader of outside data. Built two ways: as a libFuzzer target (make fuzz), and
// into the unit tests, which replay every stored corpus and regression input through it.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef SKX_FUZZ_AS_TEST
using FuzzEntry = int (*)(const uint8_t*, size_t);
bool FuzzRegister(const char* name, FuzzEntry entry);
#define SKX_FUZZ_TARGET(name)                                                                      \
    static int Fuzz_##name(const uint8_t* data, size_t size);                                      \
    static const bool fuzzRegistered_##name = FuzzRegister(#name, Fuzz_##name);                    \
    static int Fuzz_##name(const uint8_t* data, size_t size)
#else
#define SKX_FUZZ_TARGET(name)                                                                      \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
#endif

// Writes the input to a private scratch file and returns its path (the readers take file names).
const char* FuzzWriteInput(const uint8_t* data, size_t size, const char* suffix);

// Runs read(path) with the process's exit turned into a return: a reader that rejects a malformed
// file ends the program with exit status 1 by design, which is the outcome under test, not a
// crash. Returns the exit status the reader asked for, or -1 when it returned normally. Works
// because the targets and the test program link with -Wl,--wrap=exit.
int FuzzCatchExit(void (*read)(const char* path), const char* path);
