// Scratch files for the fuzz targets, and the exit interception that lets a reader's "malformed
// file: exit 1" path return to the fuzzer.
#include "fuzz_target.h"

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {
struct ReaderExit {
    int status;
};
thread_local bool catchExit = false;
} // namespace

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __real__Exit(int status);

// Every call of exit in the engine lands here. Outside FuzzCatchExit it is the real exit.
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (catchExit) {
        catchExit = false;
        throw ReaderExit{status};
    }
    __real_exit(status);
}

// The engine's fatal paths end in FatalExit, which calls _Exit.
extern "C" [[noreturn]] void __wrap__Exit(int status) {
    if (catchExit) {
        catchExit = false;
        throw ReaderExit{status};
    }
    __real__Exit(status);
}

namespace {
constexpr int FD_LIMIT = 4096;

std::bitset<FD_LIMIT> OpenDescriptors() {
    std::bitset<FD_LIMIT> open;
    if (DIR* dir = opendir("/proc/self/fd")) {
        int own = dirfd(dir);
        while (dirent* entry = readdir(dir)) {
            int fd = std::atoi(entry->d_name);
            if (entry->d_name[0] != '.' && fd != own && fd >= 0 && fd < FD_LIMIT)
                open.set(static_cast<size_t>(fd));
        }
        closedir(dir);
    }
    return open;
}
} // namespace

int FuzzCatchExit(void (*read)(const char* path), const char* path) {
    // exit is declared as never throwing, so the reader's frames are not unwound on the way out
    // and its open file stays open, as it would until the real process ended. Close what the
    // reader left behind, or thousands of rejected inputs run the fuzzer out of descriptors.
    std::bitset<FD_LIMIT> before = OpenDescriptors();
    catchExit = true;
    try {
        read(path);
    } catch (const ReaderExit& e) {
        std::bitset<FD_LIMIT> leaked = OpenDescriptors() & ~before;
        for (int fd = 0; fd < FD_LIMIT; ++fd)
            if (leaked.test(static_cast<size_t>(fd))) close(fd);
        return e.status;
    }
    catchExit = false;
    return -1;
}

const char* FuzzWriteInput(const uint8_t* data, size_t size, const char* suffix) {
    static std::string path;
    path = "/tmp/skx_fuzz_" + std::to_string(getpid()) + suffix;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return path.c_str();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path.c_str();
}
