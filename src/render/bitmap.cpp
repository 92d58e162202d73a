// Bitmap reader: 24-bit uncompressed BMP files into RGBA texture records. Every size and offset
// read from the file is checked against the file's real length before a pixel is read.
#include "render/bitmap.h"

#include "core/fatal.h"
#include "core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t BITMAP_FILE_HEADER_SIZE = 14;
// The classic info header, and the two longer kinds image editors write today (their first 40
// bytes have the same layout).
constexpr uint32_t BITMAP_INFO_HEADER_SIZE = 40;
constexpr uint32_t BITMAP_V4_HEADER_SIZE = 108;
constexpr uint32_t BITMAP_V5_HEADER_SIZE = 124;
// Rows are padded to a multiple of 4 bytes; the widest accepted row fits this buffer.
constexpr int32_t BITMAP_MAX_ROW_BYTES = (BITMAP_MAX_SIDE * 3 + 3) & ~3;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

uint8_t rowBuffer[BITMAP_MAX_ROW_BYTES];

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
int32_t ReadS32(const uint8_t* p) {
    return static_cast<int32_t>(ReadU32(p));
}
uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

[[noreturn]] __attribute__((format(printf, 2, 3))) void BitmapFail(int channel, const char* format,
                                                                   ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    Log(channel, "%s", message);
    FatalExit(1);
}

[[noreturn]] void BitmapFailSize(const char* fileName, int32_t width, int32_t height) {
    char message[512];
    std::snprintf(message, sizeof message,
                  "BitmapLoadRGBA: %s - bad image size %d x %d (1 to %d pixels a side)\n", fileName,
                  width, height, BITMAP_MAX_SIDE);
    Log(LOG_ERROR, "%s", message);
    FatalExit(1);
}

bool ReadExactly(std::FILE* file, void* out, size_t bytes) {
    return std::fread(out, 1, bytes, file) == bytes;
}

} // namespace

void BitmapFree(Texture* texture) {
    std::free(texture->pixels);
    texture->pixels = nullptr;
    texture->width = 0;
    texture->height = 0;
}

void BitmapLoadRGBA(Texture* texture, const char* fileName) {
    FilePtr file(std::fopen(fileName, "rb"));
    if (!file) BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s not found\n", fileName);

    char message[512];
    std::snprintf(message, sizeof message, "BitmapLoadRGBA: %s\n", fileName);
    Log(LOG_BOOT, "%s", message);
    std::snprintf(texture->fileName, sizeof texture->fileName, "%s", fileName);

    long fileSize = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) fileSize = std::ftell(file.get());
    std::rewind(file.get());

    uint8_t fileHeader[BITMAP_FILE_HEADER_SIZE];
    uint8_t infoSize[4];
    if (!ReadExactly(file.get(), fileHeader, sizeof fileHeader) ||
        !ReadExactly(file.get(), infoSize, sizeof infoSize))
        BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s - file too short for a bitmap header\n",
                   fileName);
    const uint32_t headerSize = ReadU32(infoSize);
    if (headerSize != BITMAP_INFO_HEADER_SIZE && headerSize != BITMAP_V4_HEADER_SIZE &&
        headerSize != BITMAP_V5_HEADER_SIZE)
        return; // another header kind: the entry simply has no image

    uint8_t info[BITMAP_INFO_HEADER_SIZE];
    std::fseek(file.get(), BITMAP_FILE_HEADER_SIZE, SEEK_SET);
    if (!ReadExactly(file.get(), info, sizeof info))
        BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s - file too short for a bitmap header\n",
                   fileName);

    int32_t width = ReadS32(info + 4);
    int32_t height = ReadS32(info + 8);
    uint16_t bitCount = ReadU16(info + 14);
    uint32_t compression = ReadU32(info + 16);
    if (compression != 0)
        BitmapFail(LOG_BOOT, "BitmapLoadRGBA: %s - compression != RGB\n", fileName);
    if (bitCount != 24) BitmapFail(LOG_BOOT, "BitmapLoadRGBA: %s - Bitcount != 24\n", fileName);
    // A negative height stores the rows top to bottom.
    const bool topDown = height < 0 && height != INT32_MIN;
    if (topDown) height = -height;
    if (width < 1 || height < 1 || width > BITMAP_MAX_SIDE || height > BITMAP_MAX_SIDE)
        BitmapFailSize(fileName, width, height);

    // Pixel data starts where the file header says, never inside the headers, and every row but
    // the last carries its padding; the file must hold all of it.
    int64_t dataOffset = ReadU32(fileHeader + 10);
    int64_t rowBytes = int64_t(width) * 3;
    int64_t stride = (rowBytes + 3) & ~int64_t(3);
    int64_t dataEnd = dataOffset + stride * (height - 1) + rowBytes;
    if (dataOffset < BITMAP_FILE_HEADER_SIZE + int64_t(headerSize))
        BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s - pixel data offset inside the header\n",
                   fileName);
    if (fileSize < 0 || dataEnd > fileSize)
        BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s - file shorter than its pixel data\n", fileName);

    size_t pixelBytes = size_t(width) * size_t(height) * 4;
    auto* pixels = static_cast<uint8_t*>(std::calloc(pixelBytes, 1));
    if (!pixels) BitmapFail(LOG_ERROR, "BitmapLoadRGBA: not enough memory to load %s\n", fileName);
    std::free(texture->pixels);
    texture->pixels = pixels;
    texture->height = height;
    texture->width = width;

    // Row 0 is the image's bottom: the first row stored, or the last in a top-down file.
    std::fseek(file.get(), static_cast<long>(dataOffset), SEEK_SET);
    for (int32_t row = 0; row < height; ++row) {
        size_t want = static_cast<size_t>(row + 1 < height ? stride : rowBytes);
        if (!ReadExactly(file.get(), rowBuffer, want))
            BitmapFail(LOG_ERROR, "BitmapLoadRGBA: %s - file shorter than its pixel data\n",
                       fileName);
        const int32_t target = topDown ? height - 1 - row : row;
        uint8_t* out = pixels + size_t(target) * size_t(width) * 4;
        for (int32_t col = 0; col < width; ++col) {
            const uint8_t* bgr = rowBuffer + size_t(col) * 3;
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = 255;
            out += 4;
        }
    }
}
