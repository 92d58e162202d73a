// Texture font: cell layout and quads, widths, and the recorded draw (line feeds, skipped
// characters, empty text).
#include "render/textfont.h"

#include "gl_recorder.h"
#include "loader_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace {

struct FontFixture : testing::Test {
    Texture image{};
    TexFont* font = nullptr;
    void Build(int width, int height, uint8_t cellW, uint8_t cellH) {
        image.width = width;
        image.height = height;
        image.glName = 9;
        font = TextFontCreateMonospaced(&image, TEXT_FONT_CHARACTERS, cellW, cellH);
    }
    void TearDown() override { TextFontFree(font); }
};

TEST_F(FontFixture, EightPixelCellsIn128PixelImage) {
    Build(128, 128, 8, 12);
    EXPECT_EQ(font->numChars, 95);
    EXPECT_EQ(TextFontHeight(font), 12.0f);
    const TexFontChar& sixteenth = font->tfChar[15];
    EXPECT_EQ(sixteenth.c, 'p');
    EXPECT_EQ(sixteenth.x, 120);
    EXPECT_EQ(sixteenth.y, 0);
    EXPECT_EQ(font->tfChar[16].x, 0);
    EXPECT_EQ(font->tfChar[16].y, 12);
    EXPECT_EQ(font->tfChar[94].y, 5 * 12) << "95 characters fill 6 rows";

    // The quad of the 17th character (cell at 0, 12) with its half-pixel insets.
    const TexFontVertex& q = font->tfVertex[16];
    const float expected[4][4] = {{0.0f, 116.0f / 128, 0.0f, 0.0f},
                                  {7.5f / 128, 116.0f / 128, 7.5f, 0.0f},
                                  {7.5f / 128, 104.5f / 128, 7.5f, -11.5f},
                                  {0.0f, 104.5f / 128, 0.0f, -11.5f}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(q.corner[k].s, expected[k][0]) << k;
        EXPECT_FLOAT_EQ(q.corner[k].t, expected[k][1]) << k;
        EXPECT_FLOAT_EQ(q.corner[k].x, expected[k][2]) << k;
        EXPECT_FLOAT_EQ(q.corner[k].y, expected[k][3]) << k;
    }
    EXPECT_EQ(q.advance, 8.0f);
    EXPECT_FLOAT_EQ(font->tfVertex[0].corner[0].t, 1.0f) << "the image's top row is t = 1";
}

TEST_F(FontFixture, FindCharAndWidths) {
    Build(128, 256, 12, 17);
    EXPECT_EQ(TextFontFindChar(font, 'a'), 0);
    EXPECT_EQ(TextFontFindChar(font, ' '), 94);
    EXPECT_EQ(TextFontFindChar(font, 200), -1);
    EXPECT_EQ(TextFontWidth(font, "Level  5"), 96.0f) << "eight characters, blanks included";
    EXPECT_EQ(TextFontWidth(font, "a\tb\n\xc3"), 24.0f)
        << "tab, line feed and high bytes add nothing";
}

TEST_F(FontFixture, DrawPlacesLinesAndSkipsUnknownCharacters) {
    Build(128, 128, 8, 12);
    GLRecorderScope rec;
    TextFontDraw(font, "", 10, 400);
    EXPECT_EQ(GLRecorderSize(), 0) << "an empty text changes no GL state";

    TextFontDraw(font, "ab\n\tc\x7f", 10, 400);
    const GLRecordedCall* c = GLRecorderCalls();
    ASSERT_EQ(GLRecorderSize(), 3 + 3 * 8 + 2);
    EXPECT_STREQ(c[1].name, "BindTexture");
    EXPECT_EQ(c[1].args[1], 9);
    EXPECT_STREQ(c[2].name, "Begin");
    EXPECT_STREQ(c[GLRecorderSize() - 2].name, "End");
    EXPECT_STREQ(c[GLRecorderSize() - 1].name, "Disable");
    auto topLeft = [&](int quad) { return c[3 + quad * 8 + 1]; };
    EXPECT_STREQ(topLeft(0).name, "Vertex3f");
    EXPECT_EQ(topLeft(0).args[0], 10.25);
    EXPECT_EQ(topLeft(0).args[1], 400);
    EXPECT_EQ(topLeft(1).args[0], 18.25) << "'b' follows one advance later";
    EXPECT_EQ(topLeft(2).args[0], 10.25) << "the tab neither draws nor moves the pen";
    EXPECT_EQ(topLeft(2).args[1], 388) << "the second line lies one height lower";
    // 'c' keeps its own cell's texture coordinates.
    const TexFontVertex& q = font->tfVertex[TextFontFindChar(font, 'c')];
    EXPECT_FLOAT_EQ(float(c[3 + 2 * 8].args[0]), q.corner[0].s);
    EXPECT_FLOAT_EQ(float(c[3 + 2 * 8 + 4].args[1]), q.corner[2].t);
    EXPECT_EQ(c[3 + 2 * 8 + 5].args[1], 388 - 11.5);
}

TEST_F(FontFixture, LayoutBeyondByteRangeIsFatal) {
    ScratchDir dir;
    // One 12-pixel cell a row: the 23rd row would start at y = 22 x 12 = 264.
    image.width = 12;
    image.height = 2048;
    std::strcpy(image.fileName, "texture/tall.bmp");
    EXPECT_EXIT(TextFontCreateMonospaced(&image, TEXT_FONT_CHARACTERS, 12, 12),
                testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log")
                  .find("TextFontCreateMonospaced: texture/tall.bmp - cell of "
                        "character 22 lies beyond 255 pixels"),
              std::string::npos);
}

TEST_F(FontFixture, ImageWithoutPixelsIsLoggedNotFatal) {
    ScratchDir dir;
    image.width = 0; // a bitmap with another header kind loads no image
    image.height = 0;
    std::strcpy(image.fileName, "texture/Raster12.bmp");
    TexFont* font = TextFontCreateMonospaced(&image, TEXT_FONT_CHARACTERS, 12, 17);
    ASSERT_NE(font, nullptr);
    TextFontFree(font);
    EXPECT_NE(ReadFile("error.log").find("texture/Raster12.bmp has no image"), std::string::npos);
}

TEST(TextFont, GeneratedFontsFitTheirImages) {
    if (!HaveGenerated("texture")) GTEST_SKIP() << "no generated textures";
    ScratchDir dir;
    ASSERT_EQ(symlink((RunDir() + "/texture").c_str(), "texture"), 0);
    GLRecorderScope rec;
    TextureInit();
    TextFontInit();
    for (TexFont* font : {smallFont, largeFont}) {
        ASSERT_NE(font, nullptr);
        const Texture* image = font->texture;
        EXPECT_EQ(image->fontFilter, 1);
        // Every glyph cell lies wholly inside its image, or characters would show their neighbours.
        for (int i = 0; i < font->numChars; ++i) {
            const TexFontChar& cell = font->tfChar[i];
            EXPECT_LE(cell.x + cell.width, image->width) << font->tfChar[i].c;
            EXPECT_LE(cell.y + cell.height, image->height) << font->tfChar[i].c;
        }
    }
    EXPECT_EQ(smallFont->texture, &textures[TEXTURE_RASTER8]);
    EXPECT_EQ(largeFont->texture, &textures[TEXTURE_RASTER12]);
    EXPECT_EQ(TextFontHeight(largeFont), 17.0f);
    EXPECT_EQ(TextFontWidth(smallFont, "Level  5"), 64.0f);
}

} // namespace
