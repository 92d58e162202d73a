// Bitmaps and textures: the BMP reader on well-formed and malformed files, and the texture table's
// start-up: alpha rules, GL names and the filters of the upload.
#include "render/bitmap.h"
#include "render/texture.h"

#include "gl_recorder.h"
#include "loader_files.h"

#include <gtest/gtest.h>

namespace {

// The texel at (x, y) as 0xRRGGBB.
int Texel(const Texture& t, int x, int y) {
    uint8_t r, g, b;
    TextureGetTexel(&t, x, y, r, g, b);
    return r << 16 | g << 8 | b;
}

TEST(Bitmap, PaddedRowsDataOffsetLongerHeadersAndTopDownRows) {
    ScratchDir dir;
    // 9 bytes a row (3 of padding, none after the last), the pixels 16 bytes after the headers.
    const auto colour = [](int x, int y) { return Rgb8{uint8_t(x + 1), uint8_t(y + 4), 9}; };
    WriteFile("odd.bmp", MakeBmp({.width = 3, .height = 2, .gap = 16, .truncateTo = 91}, colour));
    Texture t{};
    BitmapLoadRGBA(&t, "odd.bmp");
    ASSERT_EQ(t.width * t.height, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Texel(t, i % 3, i / 3), (i % 3 + 1) << 16 | (i / 3 + 4) << 8 | 9) << i;
        EXPECT_EQ(t.pixels[4 * i + 3], 255);
    }
    EXPECT_EQ(Texel(t, 99, -4), 0x030409); // clamped to column 2, row 0
    BitmapFree(&t);
    for (uint32_t info : {108u, 124u}) {
        WriteFile("v5.bmp", MakeBmp({.height = -2, .infoSize = info}, [](int, int y) {
                      return Rgb8{uint8_t(y), 0, 0};
                  }));
        BitmapLoadRGBA(&t, "v5.bmp");
        EXPECT_EQ(Texel(t, 0, 1), 0x010000) << "row 0 is the bottom row";
        BitmapFree(&t);
    }
    // Other header kinds: no image, and reading it gives black.
    WriteFile("core.bmp", MakeBmp({.infoSize = 12}, Gray));
    t = Texture{};
    BitmapLoadRGBA(&t, "core.bmp");
    EXPECT_EQ(t.pixels, nullptr);
    EXPECT_EQ(Texel(t, 0, 0), 0);
}

TEST(BitmapDeathTest, MalformedFilesEndTheProgramWithTheReason) {
    ScratchDir dir;
    struct Case {
        const char* name;
        BmpLayout layout;
        const char* log;
        const char* text;
    };
    const Case cases[] = {
        {"rle.bmp", {.compression = 1}, "boot.log", "compression != RGB\n"},
        {"pal.bmp", {.bitCount = 8}, "boot.log", "Bitcount != 24\n"},
        {"w0.bmp", {.width = 0}, "error.log", "bad image size 0 x 1"},
        {"wide.bmp", {.width = 4097, .truncateTo = 60}, "error.log", "bad image size 4097"},
        // One byte short of the last row; an offset far beyond the end; one inside the header.
        {"short.bmp", {.width = 4, .height = 4, .truncateTo = 101}, "error.log", "file shorter"},
        {"far.bmp", {.width = 2, .height = 2, .dataOffset = 1 << 20}, "error.log", "file shorter"},
        {"inside.bmp", {.dataOffset = 20}, "error.log", "pixel data offset inside the header"},
        {"stub.bmp", {.truncateTo = 30}, "error.log", "file too short"}};
    for (const Case& c : cases) {
        WriteFile(c.name, MakeBmp(c.layout, Gray));
        Texture t{};
        EXPECT_FATAL_LOG(BitmapLoadRGBA(&t, c.name), c.log,
                         std::string("BitmapLoadRGBA: ") + c.name + " - " + c.text);
    }
    Texture t{};
    EXPECT_FATAL_LOG(BitmapLoadRGBA(&t, "texture/none.bmp"), "error.log",
                     "BitmapLoadRGBA: texture/none.bmp not found\n");
}

TEST(Texture, InitLoadsKeysAndUploadsTheTableWithItsFilters) {
    ScratchDir dir;
    // All 24 images, 2 x 2: white, black, (200, 10, 90) and (0, 0, 1); the button's with a header
    // kind that holds no image.
    const Rgb8 colours[4] = {{255, 255, 255}, {0, 0, 0}, {200, 10, 90}, {0, 0, 1}};
    for (int i = 0; i < TEXTURE_COUNT; ++i)
        WriteFile(textureTable[size_t(i)].fileName,
                  MakeBmp({.width = 2, .height = 2, .infoSize = i == TEXTURE_BUTTON ? 12u : 40u},
                          [&](int x, int y) { return colours[y * 2 + x]; }));
    WriteFile("vantor.ini", "tlinear = 0\nflinear = 1\n");
    GLRecorderScope rec;
    TextureInit();
    for (int i = 0; i < TEXTURE_COUNT; ++i) {
        const Texture& t = textures[size_t(i)];
        EXPECT_EQ(t.glName, uint32_t(i + 1));
        if (i == TEXTURE_BUTTON || !t.pixels) {
            EXPECT_EQ(i == TEXTURE_BUTTON, !t.pixels);
            continue;
        }
        // The alphas by the entry's rule.
        const std::vector<int> alpha = {t.pixels[3], t.pixels[7], t.pixels[11], t.pixels[15]};
        const int key = i == TEXTURE_BORDER2 ? 200 : 0;
        const std::vector<int> want[] = {
            {255, 255, 255, 255}, {255, 0, 200, 1}, {255, key, 255, 255}};
        EXPECT_EQ(alpha, want[textureTable[size_t(i)].alphaRule]) << i;
    }
    // One upload per image but the one without: fonts filtered by flinear, the others by
    // tlinear. The timing test's verdict sends them all again.
    for (GLenum fonts : {GL_LINEAR, GL_NEAREST}) {
        const GLRecordedCall* c = GLRecorderCalls();
        EXPECT_EQ(GLRecorderCount("TexImage2D"), TEXTURE_COUNT - 1);
        for (int i = GLRecorderFind("BindTexture"); i >= 0;
             i = GLRecorderFind("BindTexture", i + 1)) {
            const bool font = textureTable[size_t(c[i].args[1]) - 1].fontFilter;
            EXPECT_EQ(c[i + 3].args[2], font ? fonts : GL_NEAREST) << c[i].args[1];
        }
        GLRecorderClear();
        TextureSetFilters(0, 0);
    }
    std::remove("texture/metal.bmp");
    EXPECT_FATAL_LOG(TextureInit(), "error.log", "BitmapLoadRGBA: texture/metal.bmp not found\n");
}

} // namespace
