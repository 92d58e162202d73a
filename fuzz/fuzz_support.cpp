// Scratch files for the fuzz targets, and the exit interception that lets a reader's "malformed
// file: exit 1" path return to the fuzzer.
#include "fuzz_target.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
struct ReaderExit {
    int status;
};
thread_local bool catchExit = false;
} // namespace

extern "C" [[noreturn]] void __real_exit(int status);

// Every call of exit in the engine lands here. Outside FuzzCatchExit it is the real exit.
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (catchExit) {
        catchExit = false;
        throw ReaderExit{status};
    }
    __real_exit(status);
}

int FuzzCatchExit(void (*read)(const char* path), const char* path) {
    catchExit = true;
    try {
        read(path);
    } catch (const ReaderExit& e) {
        return e.status;
    }
    catchExit = false;
    return -1;
}

const char* FuzzWriteInput(const uint8_t* data, size_t size, const char* suffix) {
    static std::string path;
    path = "/tmp/skx_fuzz_" + std::to_string(getpid()) + suffix;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return path.c_str();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path.c_str();
}
