// Texture font: glyph layout at build time, width measurement and the quad-list draw.
#include "render/textfont.h"

#include "core/fatal.h"
#include "core/log.h"
#include "render/gl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

TexFont* smallFont = nullptr;
TexFont* largeFont = nullptr;

namespace {

[[noreturn]] void TextFontFail(const char* message) {
    Log(LOG_ERROR, "%s", message);
    FatalExit(1);
}

} // namespace

void TextFontInit() {
    Log(LOG_BOOT, "Initing TexFont structs\n");
    TextFontFree(smallFont); // a second start-up (tests) replaces the first fonts
    TextFontFree(largeFont);
    smallFont = TextFontCreateMonospaced(&textures[TEXTURE_RASTER8], TEXT_FONT_CHARACTERS, 8, 12);
    largeFont = TextFontCreateMonospaced(&textures[TEXTURE_RASTER12], TEXT_FONT_CHARACTERS, 12, 17);
}

TexFont* TextFontCreateMonospaced(const Texture* texture, const char* characters, uint8_t cellWidth,
                                  uint8_t cellHeight) {
    auto* font = static_cast<TexFont*>(std::malloc(sizeof(TexFont)));
    if (!font) TextFontFail("TextFontCreateMonospaced: texfont malloc failed\n");
    int32_t count = static_cast<int32_t>(std::strlen(characters));
    font->texture = texture;
    font->numChars = count;
    font->height = cellHeight;
    font->tfChar = static_cast<TexFontChar*>(std::malloc(sizeof(TexFontChar) * size_t(count) + 1));
    font->tfVertex =
        static_cast<TexFontVertex*>(std::malloc(sizeof(TexFontVertex) * size_t(count) + 1));
    if (!font->tfChar) TextFontFail("TextFontCreateMonospaced: tfChar malloc failed\n");
    if (!font->tfVertex) TextFontFail("TextFontCreateMonospaced: tfVertex malloc failed\n");

    // An entry left without an image still gets finite texture coordinates.
    float imageWidth = texture->width > 0 ? float(texture->width) : 1.0f;
    float imageHeight = texture->height > 0 ? float(texture->height) : 1.0f;
    // Without an image the cells are laid out on a 256-pixel-wide sheet, so the layout stays in
    // range and the font is drawn from no texture rather than ending the program.
    int32_t layoutWidth = texture->width;
    if (texture->width < 1 || texture->height < 1) {
        layoutWidth = 256;
        char message[256];
        std::snprintf(message, sizeof message, "TextFontCreateMonospaced: %s has no image\n",
                      texture->fileName);
        Log(LOG_ERROR, "%s", message);
    }

    int32_t penX = 0;
    int32_t penY = 0;
    float w = cellWidth;
    float h = cellHeight;
    for (int32_t i = 0; i < count; ++i) {
        // Cell positions are stored as bytes; a wider or taller layout would wrap onto the
        // wrong glyphs.
        if (penX > 255 || penY > 255) {
            char message[256];
            std::snprintf(message, sizeof message,
                          "TextFontCreateMonospaced: %s - cell of character %d lies beyond 255 "
                          "pixels\n",
                          texture->fileName, i);
            TextFontFail(message);
        }
        font->tfChar[i] = TexFontChar{static_cast<uint8_t>(characters[i]), cellWidth, cellHeight,
                                      static_cast<uint8_t>(penX), static_cast<uint8_t>(penY)};
        float x = float(penX);
        float y = float(penY);
        float sLeft = x / imageWidth;
        float sRight = (x + w - 0.5f) / imageWidth;
        float tTop = (imageHeight - y) / imageHeight;
        float tBottom = (imageHeight - y - h + 0.5f) / imageHeight;
        // Half-pixel insets on the right and bottom keep the neighbouring cells out of a glyph.
        font->tfVertex[i] = TexFontVertex{{{sLeft, tTop, 0.0f, 0.0f},
                                           {sRight, tTop, w - 0.5f, 0.0f},
                                           {sRight, tBottom, w - 0.5f, -h + 0.5f},
                                           {sLeft, tBottom, 0.0f, -h + 0.5f}},
                                          w};
        penX += cellWidth;
        if (penX + cellWidth > layoutWidth) {
            penX = 0;
            penY += cellHeight;
        }
    }
    return font;
}

void TextFontFree(TexFont* font) {
    if (!font) return;
    std::free(font->tfChar);
    std::free(font->tfVertex);
    std::free(font);
}

int TextFontFindChar(const TexFont* font, uint8_t c) {
    for (int32_t i = 0; i < font->numChars; ++i) {
        if (font->tfChar[i].c == c) return i;
    }
    return -1;
}

float TextFontHeight(const TexFont* font) {
    return font->height;
}

float TextFontWidth(const TexFont* font, const char* text) {
    float width = 0.0f;
    for (const char* p = text; *p; ++p) {
        int index = TextFontFindChar(font, static_cast<uint8_t>(*p));
        if (index >= 0) width += font->tfVertex[index].advance;
    }
    return width;
}

void TextFontDraw(const TexFont* font, const char* text, float x, float y) {
    if (!text || !*text) return;
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, font->texture->glName);
    gl.Begin(GL_QUADS);
    float penX = x + 0.25f;
    float penY = y;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            penX = x + 0.25f;
            penY -= font->height;
            continue;
        }
        int index = TextFontFindChar(font, static_cast<uint8_t>(*p));
        if (index < 0) continue;
        const TexFontVertex& quad = font->tfVertex[index];
        for (const TexFontCorner& corner : quad.corner) {
            gl.TexCoord2f(corner.s, corner.t);
            gl.Vertex3f(penX + corner.x, penY + corner.y, 0.0f);
        }
        penX += quad.advance;
    }
    gl.End();
    gl.Disable(GL_TEXTURE_2D);
}
