// Textures: the fixed table of 24 images the game draws with, decoded once at start-up, given
// alpha by a per-image rule and uploaded under the GL names 1 to 24. The pixels stay in memory
// for the whole run because explosions read their colours back (TextureGetTexel).
#pragma once

#include "core/settings.h"

#include <array>
#include <cstdint>

struct Texture {
    char fileName[128]; // path the image was read from, e.g. "texture/flare.bmp"
    uint8_t* pixels;    // width x height RGBA pixels, row 0 = bottom row; null when no image
    int32_t height;
    int32_t width;
    uint32_t glName;    // entry i always has i + 1; 0 is never used
    uint8_t fontFilter; // 1: filtering follows fontLinear instead of textureLinear
};

// Table entries in load order; the value is the index into `textures`.
enum TextureId : int {
    TEXTURE_FIERY = 0,
    TEXTURE_BULLET,
    TEXTURE_VENUS,
    TEXTURE_BANNER3,
    TEXTURE_EARTH,
    TEXTURE_PLUTO,
    TEXTURE_SPACE,
    TEXTURE_SHIP,
    TEXTURE_RASTER8,
    TEXTURE_RASTER12,
    TEXTURE_MARS,
    TEXTURE_JUPITER,
    TEXTURE_FLARE,
    TEXTURE_SAUCER2,
    TEXTURE_BULLET2,
    TEXTURE_BULLET3,
    TEXTURE_SHOT1I,
    TEXTURE_SHOT2I,
    TEXTURE_SHOT3I,
    TEXTURE_BORDER2,
    TEXTURE_METAL,
    TEXTURE_BUTTON,
    TEXTURE_BUTTON2,
    TEXTURE_OUTLINE,
    TEXTURE_COUNT
};

// How an entry gets its alpha channel after loading.
enum TextureAlphaRule : uint8_t {
    TEXTURE_ALPHA_OPAQUE,     // alpha 255 everywhere
    TEXTURE_ALPHA_BRIGHTNESS, // alpha = max(R, G, B)
    TEXTURE_ALPHA_BLACK_KEY,  // pure black gets the entry's keyAlpha
};

struct TextureEntry {
    const char* fileName;
    TextureAlphaRule alphaRule;
    uint8_t keyAlpha; // for TEXTURE_ALPHA_BLACK_KEY
    uint8_t fontFilter;
};

// The table as data, in TextureId order.
inline constexpr std::array<TextureEntry, TEXTURE_COUNT> textureTable{{
    {"texture/Fiery.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/bullet.bmp", TEXTURE_ALPHA_BRIGHTNESS, 0, 0},
    {"texture/venus.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/banner3.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/earth.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/pluto.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/space.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/ship.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/raster8.bmp", TEXTURE_ALPHA_BLACK_KEY, 0, 1},
    {"texture/raster12.bmp", TEXTURE_ALPHA_BLACK_KEY, 0, 1},
    {"texture/mars.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/jupiter.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/flare.bmp", TEXTURE_ALPHA_BRIGHTNESS, 0, 0},
    {"texture/saucer2.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/bullet2.bmp", TEXTURE_ALPHA_BRIGHTNESS, 0, 0},
    {"texture/bullet3.bmp", TEXTURE_ALPHA_BRIGHTNESS, 0, 0},
    {"texture/shot1i.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/shot2i.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/shot3i.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/border2.bmp", TEXTURE_ALPHA_BLACK_KEY, 200, 0},
    {"texture/metal.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/button.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/button2.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
    {"texture/outline.bmp", TEXTURE_ALPHA_OPAQUE, 0, 0},
}};

extern std::array<Texture, TEXTURE_COUNT> textures;
extern int32_t textureLinear; // vantor.ini "tlinear" (default 1): linear filtering of images
extern int32_t fontLinear;    // vantor.ini "flinear" (default 0): linear filtering of the fonts

// Client start-up, after the GL context exists: reads the filter settings, clears the table,
// loads and prepares every entry in table order (any load failure ends the program), uploads.
void TextureInit();
// Every pixel whose R, G, B equal the given bytes gets the given alpha.
void TextureColorKey(Texture* texture, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
// Every pixel's alpha becomes the largest of its R, G, B.
void TextureAlphaFromColor(Texture* texture);
// Sends one record's pixels to GL under its glName with wrap, filter and env parameters.
void TextureUpload(const Texture* texture);
// Unpack alignment 1, then TextureUpload of every entry that has pixels, in table order.
void TextureUploadAll();
// Stores the two filter settings and re-sends every image (renderer timing test).
void TextureSetFilters(int32_t tlinear, int32_t flinear);
// R, G, B of the pixel at column x, row y (row 0 at the bottom). Coordinates outside the image are
// clamped to its edge; an entry without an image gives black.
void TextureGetTexel(const Texture* texture, int32_t x, int32_t y, uint8_t& red, uint8_t& green,
                     uint8_t& blue);
// Draws the whole texture as one quad of its size in the current 2-D space, (x, y) the top-left
// corner and y growing upward. Leaves colour, blending and matrices to the caller.
void TextureDrawQuad(const Texture* texture, float x, float y);

// vantor.ini tlinear and flinear.
extern const SettingTable textureSettings;
