// Scratch files for the fuzz targets, one per process.
#include "fuzz_target.h"

#include <cstdio>
#include <string>
#include <unistd.h>

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
