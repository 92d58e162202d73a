// The asset generator's shared contract: every builder appends finished files (path relative to
// the run directory, exact bytes) to one list, which main writes out or a test compares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

struct Asset {
    std::string path; // e.g. "texture/Fiery.bmp"
    std::vector<uint8_t> bytes;
};
using AssetList = std::vector<Asset>;

// Appends one image as "texture/<name>.bmp".
void AssetAddTexture(AssetList& assets, const char* name, const Image& image);

// Fiery, earth, mars, jupiter and space (textures_planet.cpp).
void TexturesPlanetBuild(AssetList& assets);
// venus, pluto, ship and saucer2: the surfaces of rocks and craft (textures_surface.cpp).
void TexturesSurfaceBuild(AssetList& assets);
// bullet, bullet2, bullet3, flare and the weapon icons shot1i..shot3i (textures_fx.cpp).
void TexturesFxBuild(AssetList& assets);
// border2, metal, button, button2, outline and the title plate banner3 (textures_ui.cpp).
// Returns false when no title font could be loaded.
bool TexturesUiBuild(AssetList& assets);
// The font atlases raster8 and raster12 (font.cpp). Returns false when no font could be loaded.
bool FontBuildAtlases(AssetList& assets);
// bigrock, medrock, ship and banner models; false when a mesh fails its closure or winding check
// (models.cpp).
bool ModelsBuild(AssetList& assets);
// shoot3, shoot, explode, pickup and menu (sounds.cpp).
void SoundsBuild(AssetList& assets);

// Builds every asset in a fixed order. False when any builder failed (the reason is on stderr).
bool AssetsBuildAll(AssetList& assets);

// The ship's texture is a plan view: the left half is the top, the right half the belly, the nose
// toward the top of the image. Model and painter share this mapping from model x, z to s, t.
constexpr float SHIP_HALF_SPAN = 0.7f; // x from -0.7 to 0.7 across each half
constexpr float SHIP_Z_MIN = -0.55f;   // bottom of the image
constexpr float SHIP_Z_MAX = 0.75f;    // top of the image
inline float ShipS(float x, bool belly) {
    return (x + SHIP_HALF_SPAN) / (4.0f * SHIP_HALF_SPAN) + (belly ? 0.5f : 0.0f);
}
inline float ShipT(float z) {
    return (z - SHIP_Z_MIN) / (SHIP_Z_MAX - SHIP_Z_MIN);
}
