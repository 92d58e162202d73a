// Texture font: cell layout and quads, widths and bad images (the HUD and GUI tests read their
// texts back from the font's quads; tests/unit/test_assets.cpp checks the generated atlases).
#include "render/textfont.h"

#include "loader_files.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST_F(FontFixture, CellsFillRowsAndQuadsKeepHalfPixelInsets) {
    Build(128, 128, 8, 12);
    EXPECT_EQ(font->numChars, 95);
    EXPECT_EQ(font->tfChar[15].x, 120); // the 16th cell still fits the row
    EXPECT_EQ(font->tfChar[16].x, 0);
    EXPECT_EQ(font->tfChar[16].y, 12);
    EXPECT_EQ(font->tfChar[94].y, 5 * 12);
    // The quad of the 17th character (cell at 0, 12); the image's top row is t = 1.
    const TexFontVertex& q = font->tfVertex[16];
    EXPECT_FLOAT_EQ(q.corner[0].t, 116.0f / 128);
    EXPECT_FLOAT_EQ(q.corner[2].s, 7.5f / 128);
    EXPECT_FLOAT_EQ(q.corner[2].t, 104.5f / 128);
    EXPECT_EQ(TextFontFindChar(font, 200), -1);
    EXPECT_EQ(TextFontWidth(font, "Level  5"), 64.0f) << "eight characters, blanks included";
    EXPECT_EQ(TextFontWidth(font, "a\tb\n\xc3"), 16.0f) << "tab, line feed, high bytes: nothing";
}

TEST_F(FontFixture, ALayoutBeyondByteRangeIsFatalAnImageWithoutPixelsIsLogged) {
    ScratchDir dir;
    // One 12-pixel cell a row: the 23rd row would start at y = 22 x 12 = 264.
    image.width = 12;
    image.height = 2048;
    std::strcpy(image.fileName, "texture/tall.bmp");
    EXPECT_FATAL_LOG(TextFontCreateMonospaced(&image, TEXT_FONT_CHARACTERS, 12, 12), "error.log",
                     "TextFontCreateMonospaced: texture/tall.bmp - cell of character 22 lies "
                     "beyond 255 pixels");
    image.width = image.height = 0; // a bitmap with another header kind loads no image
    std::strcpy(image.fileName, "texture/Raster12.bmp");
    font = TextFontCreateMonospaced(&image, TEXT_FONT_CHARACTERS, 12, 17);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(ReadFile("error.log").find("texture/Raster12.bmp has no image"), std::string::npos);
}

} // namespace
