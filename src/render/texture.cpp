// Textures: the fixed table of 24 images, their alpha rules, GL upload and the screen quad.
#include "render/texture.h"

#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "render/bitmap.h"
#include "render/gl.h"

#include <algorithm>
#include <cstring>

std::array<Texture, TEXTURE_COUNT> textures{};
int32_t textureLinear = 1;
int32_t fontLinear = 0;

namespace {

const Setting TEXTURESETTINGS_ROWS[] = {
    {"tlinear", SETTING_INT, 1, nullptr, 0, 1, SETTING_PLAYER, [] { return double(textureLinear); },
     [](double v) { TextureSetFilters(v != 0.0 ? 1 : 0, fontLinear); }},
    {"flinear", SETTING_INT, 0, nullptr, 0, 1, 0, nullptr, nullptr},
};

} // namespace

const SettingTable textureSettings = SettingTableOf("texture", TEXTURESETTINGS_ROWS);

namespace {

size_t TexturePixelCount(const Texture* texture) {
    if (!texture->pixels || texture->width < 1 || texture->height < 1) return 0;
    return size_t(texture->width) * size_t(texture->height);
}

void TexturePrepare(Texture* texture, const TextureEntry& entry) {
    switch (entry.alphaRule) {
    case TEXTURE_ALPHA_OPAQUE:
        break;
    case TEXTURE_ALPHA_BRIGHTNESS:
        TextureAlphaFromColor(texture);
        break;
    case TEXTURE_ALPHA_BLACK_KEY:
        TextureColorKey(texture, 0, 0, 0, entry.keyAlpha);
        break;
    }
    texture->fontFilter = entry.fontFilter;
}

} // namespace

void TextureInit() {
    textureLinear = SettingReadInt(textureSettings, "tlinear");
    fontLinear = SettingReadInt(textureSettings, "flinear");
    for (size_t i = 0; i < textures.size(); ++i) {
        BitmapFree(&textures[i]); // a second start-up (tests) must not leak the first images
        std::memset(&textures[i], 0, sizeof textures[i]);
        textures[i].glName = static_cast<uint32_t>(i + 1);
    }
    Log(LOG_BOOT, "Reading Textures\n");
    for (size_t i = 0; i < textures.size(); ++i) {
        BitmapLoadRGBA(&textures[i], textureTable[i].fileName);
        TexturePrepare(&textures[i], textureTable[i]);
    }
    TextureUploadAll();
}

void TextureColorKey(Texture* texture, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    size_t count = TexturePixelCount(texture);
    uint8_t* p = texture->pixels;
    for (size_t i = 0; i < count; ++i, p += 4) {
        if (p[0] == red && p[1] == green && p[2] == blue) p[3] = alpha;
    }
}

void TextureAlphaFromColor(Texture* texture) {
    size_t count = TexturePixelCount(texture);
    uint8_t* p = texture->pixels;
    for (size_t i = 0; i < count; ++i, p += 4)
        p[3] = std::max({p[0], p[1], p[2]});
}

void TextureUpload(const Texture* texture) {
    gl.BindTexture(GL_TEXTURE_2D, texture->glName);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLfloat(GL_REPEAT));
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLfloat(GL_REPEAT));
    bool linear = texture->fontFilter ? fontLinear != 0 : textureLinear != 0;
    GLfloat filter = GLfloat(linear ? GL_LINEAR : GL_NEAREST);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLfloat(GL_MODULATE));
    gl.TexImage2D(GL_TEXTURE_2D, 0, 4, texture->width, texture->height, 0, GL_RGBA,
                  GL_UNSIGNED_BYTE, texture->pixels);
}

void TextureUploadAll() {
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const Texture& texture : textures) {
        if (texture.pixels) TextureUpload(&texture);
    }
}

void TextureSetFilters(int32_t tlinear, int32_t flinear) {
    textureLinear = tlinear;
    fontLinear = flinear;
    TextureUploadAll();
}

void TextureGetTexel(const Texture* texture, int32_t x, int32_t y, uint8_t& red, uint8_t& green,
                     uint8_t& blue) {
    // Callers pick coordinates inside the image; clamping keeps a wrong pick (or an entry left
    // without an image) from reading outside the pixel block.
    if (TexturePixelCount(texture) == 0) {
        red = green = blue = 0;
        return;
    }
    x = std::clamp(x, 0, texture->width - 1);
    y = std::clamp(y, 0, texture->height - 1);
    const uint8_t* p = texture->pixels + (size_t(texture->width) * size_t(y) + size_t(x)) * 4;
    red = p[0];
    green = p[1];
    blue = p[2];
}

void TextureDrawQuad(const Texture* texture, float x, float y) {
    float x2 = x + float(texture->width);
    float y2 = y - float(texture->height);
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, texture->glName);
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(0, 1);
    gl.Vertex3f(x, y, 0);
    gl.TexCoord2f(1, 1);
    gl.Vertex3f(x2, y, 0);
    gl.TexCoord2f(1, 0);
    gl.Vertex3f(x2, y2, 0);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(x, y2, 0);
    gl.End();
    gl.Disable(GL_TEXTURE_2D);
}
