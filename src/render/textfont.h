// Texture font: monospaced bitmap fonts whose glyph cells lie in a texture image in a fixed
// character order. Every character's quad is computed when the font is built, so drawing is a
// lookup and four textured vertices per character.
#pragma once

#include "render/texture.h"

#include <cstdint>

// A glyph cell: character, cell size, and its top-left corner in the image (y counted downward).
struct TexFontChar {
    uint8_t c;
    uint8_t width;
    uint8_t height;
    uint8_t x;
    uint8_t y;
};

struct TexFontCorner {
    float s, t; // texture coordinates, t = 1 at the image's top row
    float x, y; // offset from the pen
};

// Corners in the order top-left, top-right, bottom-right, bottom-left; then the pen advance.
struct TexFontVertex {
    TexFontCorner corner[4];
    float advance;
};

struct TexFont {
    const Texture* texture;
    int32_t numChars;
    TexFontChar* tfChar;     // numChars cells, in character-string order
    TexFontVertex* tfVertex; // numChars quads, same order
    float height;            // cell height, the line height
};

// The 95 printable ASCII characters in the order their cells are laid out in both font images.
inline constexpr char TEXT_FONT_CHARACTERS[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890"
    "!@#$%^&*()`~-_=+[{]}\\|;:'\",<.>/? ";

extern TexFont* smallFont; // raster8, 8 x 12 cells: title banner, menu screen
extern TexFont* largeFont; // raster12, 12 x 17 cells: HUD, banners, menus, prompts, GUI labels

// Client start-up, after TextureInit: builds smallFont and largeFont.
void TextFontInit();
// The line height.
float TextFontHeight(const TexFont* font);
// Sum of the advances of the characters the font has; others (line feeds too) add nothing.
float TextFontWidth(const TexFont* font, const char* text);
// Draws text with the top-left of its first cell at (x + 0.25, y), y growing upward: a line feed
// starts the next line `height` lower, characters the font lacks are skipped without moving the
// pen. Colour and blending are the caller's. An empty text touches no GL state.
void TextFontDraw(const TexFont* font, const char* text, float x, float y);

// Tests only (the module uses these itself):
// Builds a font of cellWidth x cellHeight cells laid out row by row in the texture's image, in
// the order of `characters`. Allocation failure, or a cell that cannot be addressed by its byte
// position (left x or top y above 255), ends the program with exit status 1.
TexFont* TextFontCreateMonospaced(const Texture* texture, const char* characters, uint8_t cellWidth,
                                  uint8_t cellHeight);
// Releases a font built by TextFontCreateMonospaced (the game keeps its fonts).
void TextFontFree(TexFont* font);
// Index of character byte c in the font, or -1.
int TextFontFindChar(const TexFont* font, uint8_t c);
