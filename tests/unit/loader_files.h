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
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

// How a test BMP deviates from a well-formed one.
struct BmpLayout {
    int32_t width = 1;
    int32_t height = 1;
    uint32_t infoSize = 40;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t gap = 0;        // bytes between the headers and the pixels (raises the data offset)
    int64_t dataOffset = -1; // written as given when not -1
    bool padRows = true;     // rows padded to a multiple of 4 bytes, as the format requires
    size_t truncateTo = 0;   // when non-zero the file is cut to this many bytes
};

inline void PutLE(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// Bytes of a BMP whose pixel (x, y), y = 0 the bottom (first stored) row, is pixel(x, y).
inline std::string MakeBmp(const BmpLayout& layout, const std::function<Rgb(int, int)>& pixel) {
    std::string out;
    const uint32_t extra =
        layout.infoSize > 40 && layout.infoSize <= 124 ? layout.infoSize - 40 : 0;
    uint32_t offset =
        layout.dataOffset >= 0 ? uint32_t(layout.dataOffset) : 54 + extra + layout.gap;
    out += "BM";
    PutLE(out, 0, 4); // file size: not used by the reader
    PutLE(out, 0, 4);
    PutLE(out, offset, 4);
    PutLE(out, layout.infoSize, 4);
    PutLE(out, uint32_t(layout.width), 4);
    PutLE(out, uint32_t(layout.height), 4);
    PutLE(out, 1, 2);
    PutLE(out, layout.bitCount, 2);
    PutLE(out, layout.compression, 4);
    out.append(20 + extra, '\0');
    out.append(layout.gap, '\x55');
    const size_t start = out.size();
    const int rows = layout.height < 0 ? -layout.height : layout.height; // negative: top row first
    for (int r = 0; r < rows; ++r) {
        const int y = layout.height < 0 ? rows - 1 - r : r;
        for (int x = 0; x < layout.width; ++x) {
            Rgb c = pixel(x, y);
            out.push_back(char(c.b));
            out.push_back(char(c.g));
            out.push_back(char(c.r));
        }
        if (layout.padRows)
            while ((out.size() - start) % 4)
                out.push_back('\x77');
    }
    if (layout.truncateTo) out.resize(layout.truncateTo);
    return out;
}

inline Rgb Gray(int, int) {
    return Rgb{128, 128, 128};
}

// Runs a statement expected to end the program with status 1 and checks the log line it left.
#define EXPECT_FATAL_LOG(statement, logFile, text)                                                 \
    do {                                                                                           \
        EXPECT_EXIT(statement, testing::ExitedWithCode(1), "");                                    \
        std::string logText_ = ReadFile(logFile);                                                  \
        EXPECT_NE(logText_.find(text), std::string::npos) << logFile << ":\n" << logText_;         \
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
