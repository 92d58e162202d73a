// Bitmaps: any bytes either load into a well-formed image or end with exit status 1.
#include "fuzz_target.h"
#include "render/bitmap.h"

namespace {
Texture fuzzTexture;

void ReadBitmap(const char* path) {
    BitmapLoadRGBA(&fuzzTexture, path);
    // A loaded image must be entirely readable.
    if (fuzzTexture.pixels) {
        uint32_t sum = 0;
        size_t n = static_cast<size_t>(fuzzTexture.width) * fuzzTexture.height * 4;
        for (size_t i = 0; i < n; ++i)
            sum += fuzzTexture.pixels[i];
        if (sum == 0xFFFFFFFFu && n == 1)
            __builtin_trap(); // keeps the reads: an image cannot both be 1 byte and sum to this
    }
}
} // namespace

SKX_FUZZ_TARGET(bmp) {
    const char* path = FuzzWriteInput(data, size, ".bmp");
    int status = FuzzCatchExit(ReadBitmap, path);
    if (status != -1 && status != 1) __builtin_trap();
    BitmapFree(&fuzzTexture);
    return 0;
}
