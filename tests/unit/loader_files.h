// Test helpers for the image, model and font loaders: BMP files built byte by byte, a check for
// fatal exits with their log line, and the generated-asset directory.
#pragma once

#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

struct Rgb8 {
    uint8_t r, g, b;
};

// How a test BMP deviates from a well-formed one (a C++20 designated initializer picks fields).
struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1; // negative: rows stored top first
    uint32_t infoSize = 40;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t gap = 0;        // bytes between the headers and the pixels (raises the data offset)
    int64_t dataOffset = -1; // written as given when not -1
    size_t truncateTo = 0;   // when non-zero the file is cut to this many bytes
};

// Bytes of a BMP whose pixel (x, y), y = 0 the bottom row, is pixel(x, y).
inline std::string MakeBmp(const BmpLayout& l, const std::function<Rgb8(int, int)>& pixel) {
    std::string out = "BM";
    auto put = [&](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    };
    const uint32_t extra = l.infoSize > 40 && l.infoSize <= 124 ? l.infoSize - 40 : 0;
    put(0, 8); // file size (not read) and reserved
    put(l.dataOffset >= 0 ? uint32_t(l.dataOffset) : 54 + extra + l.gap, 4);
    put(l.infoSize, 4);
    put(uint32_t(l.width), 4);
    put(uint32_t(l.height), 4);
    put(1, 2);
    put(l.bitCount, 2);
    put(l.compression, 4);
    out.append(20 + extra, '\0');
    out.append(l.gap, '\x55');
    const size_t start = out.size();
    const int rows = l.height < 0 ? -l.height : l.height;
    for (int r = 0; r < rows; ++r) {
        for (int x = 0; x < l.width; ++x) {
            const Rgb8 c = pixel(x, l.height < 0 ? rows - 1 - r : r);
            out += {char(c.b), char(c.g), char(c.r)};
        }
        while ((out.size() - start) % 4)
            out.push_back('\x77'); // rows padded to a multiple of 4 bytes
    }
    if (l.truncateTo) out.resize(l.truncateTo);
    return out;
}

inline Rgb8 Gray(int, int) {
    return Rgb8{128, 128, 128};
}

// Runs a statement expected to end the program with status 1 and checks the log line it left.
#define EXPECT_FATAL_LOG(statement, logFile, text)                                                 \
    do {                                                                                           \
        EXPECT_EXIT(statement, testing::ExitedWithCode(1), "");                                    \
        std::string logText_ = ReadFile(logFile);                                                  \
        EXPECT_NE(logText_.find(text), std::string::npos) << (logFile) << ":\n" << logText_;       \
    } while (0)

// The run directory with the generated assets, or "" when the build has not made one.
inline std::string RunDir() {
    const char* dir = std::getenv("SKX_RUN_DIR");
    return dir ? dir : "";
}

// Whether the build made the generated assets' directory sub (texture, model, sound).
inline bool HaveGenerated(const char* sub) {
    return !RunDir().empty() && std::filesystem::is_directory(RunDir() + "/" + sub);
}
