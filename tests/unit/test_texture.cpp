// Bitmaps and textures: the BMP reader on well-formed and malformed files, and the texture table's
// start-up: alpha rules, GL names and filters of the upload; the screen quad.
#include "render/bitmap.h"
#include "render/texture.h"

#include "gl_recorder.h"
#include "loader_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const uint8_t* PixelAt(const Texture& t, int x, int y) {
    return t.pixels + (size_t(y) * size_t(t.width) + size_t(x)) * 4;
}

TEST(Bitmap, PaddedRowsAndDataOffsetAreHonoured) {
    ScratchDir dir;
    BmpLayout layout;
    layout.width = 3; // 9 bytes a row: 3 bytes of padding each
    layout.height = 2;
    layout.gap = 16; // the pixels start 16 bytes after the headers
    WriteFile("odd.bmp", MakeBmp(layout, [](int x, int y) {
                  return Rgb{uint8_t(10 * x + 1), uint8_t(100 + y), uint8_t(200 + x + y)};
              }));
    Texture t{};
    t.glName = 7;
    t.fontFilter = 1;
    BitmapLoadRGBA(&t, "odd.bmp");
    ASSERT_NE(t.pixels, nullptr);
    EXPECT_EQ(t.width, 3);
    EXPECT_EQ(t.glName, 7u) << "the loader leaves glName alone";
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint8_t* p = PixelAt(t, x, y);
            EXPECT_EQ(p[0], 10 * x + 1) << x << "," << y;
            EXPECT_EQ(p[1], 100 + y);
            EXPECT_EQ(p[2], 200 + x + y);
            EXPECT_EQ(p[3], 255);
        }
    uint8_t r, g, b;
    TextureGetTexel(&t, 99, -4, r, g, b); // clamped to column 2, row 0
    EXPECT_EQ(r, 21);
    EXPECT_EQ(g, 100);
    BitmapFree(&t);
}

TEST(Bitmap, LongerHeadersAndTopDownRowsLoadOtherHeadersLeaveNoImage) {
    ScratchDir dir;
    BmpLayout layout;
    layout.infoSize = 124;
    layout.height = -2;
    WriteFile("v5.bmp", MakeBmp(layout, [](int, int y) { return Rgb{uint8_t(y), 0, 0}; }));
    Texture loaded{};
    BitmapLoadRGBA(&loaded, "v5.bmp");
    ASSERT_NE(loaded.pixels, nullptr);
    EXPECT_EQ(loaded.height, 2);
    EXPECT_EQ(PixelAt(loaded, 0, 1)[0], 1) << "row 0 is the bottom row";
    BitmapFree(&loaded);

    layout = BmpLayout{};
    layout.infoSize = 12;
    WriteFile("core.bmp", MakeBmp(layout, Gray));
    Texture t{};
    BitmapLoadRGBA(&t, "core.bmp");
    EXPECT_EQ(t.pixels, nullptr);
    uint8_t r = 1, g = 1, b = 1;
    TextureGetTexel(&t, 0, 0, r, g, b);
    EXPECT_EQ(r + g + b, 0) << "an entry without an image reads as black";
}

TEST(BitmapDeathTest, MalformedFilesEndTheProgram) {
    ScratchDir dir;
    struct Case {
        const char* name;
        BmpLayout layout;
        const char* log;
        const char* text;
    };
    std::vector<Case> cases;
    BmpLayout l;
    l.compression = 1;
    cases.push_back({"rle.bmp", l, "boot.log", "BitmapLoadRGBA: rle.bmp - compression != RGB\n"});
    l = BmpLayout{};
    l.bitCount = 8;
    cases.push_back({"pal.bmp", l, "boot.log", "BitmapLoadRGBA: pal.bmp - Bitcount != 24\n"});
    l = BmpLayout{};
    l.width = 0;
    cases.push_back({"w0.bmp", l, "error.log", "BitmapLoadRGBA: w0.bmp - bad image size 0 x 1"});
    l = BmpLayout{};
    l.width = 4097;
    l.truncateTo = 60;
    cases.push_back({"wide.bmp", l, "error.log", "BitmapLoadRGBA: wide.bmp - bad image size 4097"});
    l = BmpLayout{};
    l.width = 4;
    l.height = 4;
    l.truncateTo = 54 + 12 * 3 + 11; // one byte short of the last row
    cases.push_back({"short.bmp", l, "error.log",
                     "BitmapLoadRGBA: short.bmp - file shorter than its pixel data"});
    l = BmpLayout{};
    l.width = 2;
    l.height = 2;
    l.dataOffset = 1 << 20; // points far beyond the end
    cases.push_back(
        {"far.bmp", l, "error.log", "BitmapLoadRGBA: far.bmp - file shorter than its pixel data"});
    l = BmpLayout{};
    l.dataOffset = 20;
    cases.push_back(
        {"inside.bmp", l, "error.log", "BitmapLoadRGBA: inside.bmp - pixel data offset"});
    l = BmpLayout{};
    l.truncateTo = 30;
    cases.push_back({"stub.bmp", l, "error.log", "BitmapLoadRGBA: stub.bmp - file too short"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.name, MakeBmp(c.layout, Gray));
        Texture t{};
        EXPECT_FATAL_LOG(BitmapLoadRGBA(&t, c.name), c.log, c.text);
    }
    Texture t{};
    EXPECT_FATAL_LOG(BitmapLoadRGBA(&t, "texture/none.bmp"), "error.log",
                     "BitmapLoadRGBA: texture/none.bmp not found\n");
}

TEST(Texture, DrawQuadPutsTheTopRowAtY) {
    Texture t{};
    t.width = 32;
    t.height = 16;
    t.glName = 17;
    GLRecorderScope rec;
    TextureDrawQuad(&t, 100, 300);
    const GLRecordedCall* c = GLRecorderCalls();
    EXPECT_EQ(c[GLRecorderFind("BindTexture")].args[1], 17);
    // Each corner's (s, t) and (x, y): the image's top row (t = 1) lies at y.
    const double corners[4][4] = {
        {0, 1, 100, 300}, {1, 1, 132, 300}, {1, 0, 132, 284}, {0, 0, 100, 284}};
    int k = 0;
    for (int i = GLRecorderFind("TexCoord2f"); i >= 0;
         i = GLRecorderFind("TexCoord2f", i + 1), ++k) {
        ASSERT_LT(k, 4);
        EXPECT_EQ(
            std::vector<double>({c[i].args[0], c[i].args[1], c[i + 1].args[0], c[i + 1].args[1]}),
            std::vector<double>(corners[k], corners[k] + 4))
            << k;
    }
    EXPECT_EQ(k, 4);
}

// A scratch texture/ directory with all 24 images: each 2 x 2 with white, black, (200, 10, 90) and
// (0, 0, 1), except the entry at `oddEntry` which gets an unsupported info header.
void WriteTextureSet(int oddEntry) {
    mkdir("texture", 0755);
    const Rgb colours[4] = {{255, 255, 255}, {0, 0, 0}, {200, 10, 90}, {0, 0, 1}};
    for (int i = 0; i < TEXTURE_COUNT; ++i) {
        BmpLayout layout;
        layout.width = 2;
        layout.height = 2;
        if (i == oddEntry) layout.infoSize = 12;
        WriteFile(textureTable[size_t(i)].fileName,
                  MakeBmp(layout, [&](int x, int y) { return colours[y * 2 + x]; }));
    }
}

TEST(Texture, InitLoadsPreparesAndUploadsTheTable) {
    ScratchDir dir;
    WriteTextureSet(TEXTURE_BUTTON);
    WriteFile("vantor.ini", "tlinear = 0\nflinear = 1\n");
    GLRecorderScope rec;
    TextureInit();
    EXPECT_EQ(textureLinear, 0);
    EXPECT_EQ(fontLinear, 1);

    for (int i = 0; i < TEXTURE_COUNT; ++i) {
        const Texture& t = textures[size_t(i)];
        EXPECT_EQ(t.glName, uint32_t(i + 1));
        if (i == TEXTURE_BUTTON) {
            EXPECT_EQ(t.pixels, nullptr);
            continue;
        }
        ASSERT_NE(t.pixels, nullptr) << i;
        // pixels: white, black, (200, 10, 90), (0, 0, 1)
        const uint8_t a[4] = {t.pixels[3], t.pixels[7], t.pixels[11], t.pixels[15]};
        switch (textureTable[size_t(i)].alphaRule) {
        case TEXTURE_ALPHA_BRIGHTNESS:
            EXPECT_EQ(a[0], 255);
            EXPECT_EQ(a[1], 0);
            EXPECT_EQ(a[2], 200);
            EXPECT_EQ(a[3], 1);
            break;
        case TEXTURE_ALPHA_BLACK_KEY:
            EXPECT_EQ(a[0], 255);
            EXPECT_EQ(a[1], i == TEXTURE_BORDER2 ? 200 : 0) << i;
            EXPECT_EQ(a[3], 255);
            break;
        case TEXTURE_ALPHA_OPAQUE:
            EXPECT_EQ(a[0] & a[1] & a[2] & a[3], 255) << i;
            break;
        }
    }

    // One upload per image, in table order, after the unpack alignment; fonts linear, others
    // nearest; the entry without an image is skipped and GL name 0 never appears.
    const GLRecordedCall* c = GLRecorderCalls();
    ASSERT_GT(GLRecorderSize(), 0);
    EXPECT_STREQ(c[0].name, "PixelStorei");
    EXPECT_EQ(c[0].args[0], GL_UNPACK_ALIGNMENT);
    EXPECT_EQ(c[0].args[1], 1);
    std::vector<int> bound;
    for (int i = GLRecorderFind("BindTexture"); i >= 0; i = GLRecorderFind("BindTexture", i + 1)) {
        int name = int(c[i].args[1]);
        bound.push_back(name);
        bool font = name == TEXTURE_RASTER8 + 1 || name == TEXTURE_RASTER12 + 1;
        double filter = font ? GL_LINEAR : GL_NEAREST;
        EXPECT_EQ(c[i + 3].args[1], GL_TEXTURE_MAG_FILTER);
        EXPECT_EQ(c[i + 3].args[2], filter) << name;
        EXPECT_EQ(c[i + 4].args[2], filter) << name;
        ASSERT_STREQ(c[i + 6].name, "TexImage2D");
        EXPECT_EQ(c[i + 6].args[3] * c[i + 6].args[4], 4) << "the whole 2 x 2 image";
    }
    std::vector<int> expected;
    for (int i = 0; i < TEXTURE_COUNT; ++i)
        if (i != TEXTURE_BUTTON) expected.push_back(i + 1);
    EXPECT_EQ(bound, expected);

    // The timing test turns filtering down: every image is sent again with nearest filtering.
    GLRecorderClear();
    TextureSetFilters(0, 0);
    EXPECT_EQ(GLRecorderCount("TexImage2D"), TEXTURE_COUNT - 1);
    EXPECT_EQ(fontLinear, 0);
    int fontBind = GLRecorderFind("BindTexture");
    while (fontBind >= 0 && GLRecorderCalls()[fontBind].args[1] != TEXTURE_RASTER8 + 1)
        fontBind = GLRecorderFind("BindTexture", fontBind + 1);
    ASSERT_GE(fontBind, 0);
    EXPECT_EQ(GLRecorderCalls()[fontBind + 3].args[2], GL_NEAREST);
}

TEST(TextureDeathTest, MissingImageEndsStartUp) {
    ScratchDir dir;
    WriteTextureSet(-1);
    std::remove("texture/metal.bmp");
    GLRecorderScope rec;
    EXPECT_FATAL_LOG(TextureInit(), "error.log", "BitmapLoadRGBA: texture/metal.bmp not found\n");
}

} // namespace
