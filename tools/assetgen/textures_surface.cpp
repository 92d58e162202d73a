// Surfaces: the two cratered rock textures (tileable, for the rocks' spherical mapping) and the
// hulls of the ship and the saucer.
#include "assetgen.h"
#include "noise.h"

#include <cmath>
#include <vector>

namespace {

struct Crater {
    float x, y, r;
};

// Height of one crater at distance d: a bowl, a raised rim and ejecta fading outside.
float CraterHeight(float d, float r) {
    float q = d / r;
    if (q < 1.0f) return r * (0.55f * (q * q - 1.0f) + 0.22f);
    float o = (q - 1.0f) * 3.0f;
    return r * 0.22f * std::exp(-o * o);
}

struct RockLook {
    uint32_t seed;
    Rgb light, dark; // albedo range
    int craters;     // small craters; medium and large ones scale from it
    float roughness; // height of the fractal relief
};

// A tileable cratered surface, lit from the upper left by its own relief.
Image RockMake(const RockLook& look) {
    const int size = 256;
    std::vector<float> height(size_t(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            height[y * size + x] =
                look.roughness * NoiseFbm2Tile(float(x) / size, float(y) / size, 4, 7, look.seed);
    Rng rng{look.seed};
    std::vector<Crater> craters;
    for (int i = 0; i < look.craters; ++i) {
        float u = RngFloat(rng);
        float r =
            i < 4 ? RngRange(rng, 20.0f, 34.0f) : (i < 18 ? 8.0f + 10.0f * u : 2.5f + 5.0f * u);
        craters.push_back({RngRange(rng, 0.0f, float(size)), RngRange(rng, 0.0f, float(size)), r});
    }
    for (const Crater& c : craters) {
        int reach = int(c.r * 2.0f) + 1;
        for (int y = int(c.y) - reach; y <= int(c.y) + reach; ++y) {
            for (int x = int(c.x) - reach; x <= int(c.x) + reach; ++x) {
                float d = std::hypot(float(x) - c.x, float(y) - c.y);
                int wx = (x % size + size) % size, wy = (y % size + size) % size;
                float& h = height[wy * size + wx];
                // Newer craters overwrite the older relief inside their bowls.
                float inside = 1.0f - Smoothstep(0.8f, 1.2f, d / c.r);
                h = Mix(h, 0.0f, inside * 0.6f) + CraterHeight(d, c.r);
            }
        }
    }
    const float lx = -0.55f, ly = -0.55f, lz = 0.63f; // toward the upper left, image y down
    Image img = ImageMake(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            auto h = [&](int i, int j) {
                return height[((j + size) % size) * size + ((i + size) % size)];
            };
            float nx = -(h(x + 1, y) - h(x - 1, y)) * 0.5f;
            float ny = -(h(x, y + 1) - h(x, y - 1)) * 0.5f;
            float nl = std::sqrt(nx * nx + ny * ny + 1.0f);
            float lambert = (nx * lx + ny * ly + lz) / nl;
            float shade = 0.45f + 0.75f * std::fmax(0.0f, lambert);
            float albedo =
                0.5f + 0.5f * NoiseFbm2Tile(float(x) / size, float(y) / size, 3, 5, look.seed + 7);
            Rgb c = MixRgb(look.dark, look.light, Clamp01(albedo));
            ImageAt(img, x, y) = ScaleRgb(c, shade);
        }
    }
    return img;
}

// Model coordinates of a ship texture pixel (see ShipS, ShipT).
void ShipPixelToModel(int px, int py, int size, float& x, float& z, bool& belly) {
    float s = (float(px) + 0.5f) / float(size), t = 1.0f - (float(py) + 0.5f) / float(size);
    belly = s >= 0.5f;
    x = (s - (belly ? 0.5f : 0.0f)) * 4.0f * SHIP_HALF_SPAN - SHIP_HALF_SPAN;
    z = SHIP_Z_MIN + t * (SHIP_Z_MAX - SHIP_Z_MIN);
}

// Distance to a panel seam of a grid of plates `w` by `h` model units, offset per row.
float SeamDistance(float x, float z, float w, float h) {
    float row = std::floor(z / h);
    float xo = x / w + 0.5f * row;
    float fx = std::fabs(xo - std::round(xo)) * w;
    float fz = std::fabs(z / h - std::round(z / h)) * h;
    return std::fmin(fx, fz);
}

Image ShipMake() {
    const int size = 256;
    const float texel = (SHIP_Z_MAX - SHIP_Z_MIN) / float(size);
    Image img = ImageMake(size, size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float x, z;
            bool belly;
            ShipPixelToModel(px, py, size, x, z, belly);
            float ax = std::fabs(x);
            float grain = NoiseFbm2Tile(float(px) / size, float(py) / size, 16, 3, 61);
            Rgb c = belly ? Rgb{0.36f, 0.38f, 0.42f} : Rgb{0.74f, 0.77f, 0.82f};
            // Plates differ a little in tone.
            float plate =
                NoisePerlin2Tile(std::floor(x / 0.12f + 0.5f * std::floor(z / 0.1f)) * 0.7f,
                                 std::floor(z / 0.1f) * 0.7f, 64, 64, 62);
            c = ScaleRgb(c, 0.93f + 0.08f * plate + 0.04f * grain);
            // Accent stripes: along the wings and down the spine.
            float wingStripe = std::fabs((z + 0.62f * ax) - 0.06f);
            if (ax > 0.16f && wingStripe < 0.025f && !belly) c = {0.85f, 0.22f, 0.10f};
            if (ax < 0.025f && z < 0.0f && z > -0.17f && !belly) c = {0.85f, 0.22f, 0.10f};
            // The tail fins read their colour from this strip.
            if (ax > 0.075f && ax < 0.105f && z < 0.02f && z > -0.32f) c = {0.80f, 0.20f, 0.10f};
            // Wing-tip lights: red to port (x < 0 is the left side seen from behind), green to
            // starboard, and a white strobe at the tail.
            float tipD = std::hypot(ax - 0.46f, z + 0.38f);
            if (tipD < 0.03f) {
                Rgb lamp = x < 0.0f ? Rgb{1.0f, 0.15f, 0.1f} : Rgb{0.2f, 1.0f, 0.3f};
                c = MixRgb(c, lamp, 1.0f - Smoothstep(0.012f, 0.03f, tipD));
            }
            // Engine bay: dark heat-stained metal toward the nozzle.
            if (z < -0.12f && ax < 0.12f)
                c = MixRgb(c, {0.20f, 0.17f, 0.16f}, Smoothstep(-0.12f, -0.2f, z));
            // Panel seams, darker lines one texel wide, with rivet dots at the corners.
            float seam = SeamDistance(x, z, 0.12f, 0.10f);
            if (seam < texel * 0.75f) c = ScaleRgb(c, 0.55f);
            // The canopy: smoked blue glass with a bright reflection streak.
            float cx = x / 0.06f, cz = (z - 0.20f) / 0.18f;
            float cd = cx * cx + cz * cz;
            if (!belly && cd < 1.0f) {
                Rgb glass = MixRgb({0.10f, 0.20f, 0.38f}, {0.02f, 0.05f, 0.12f}, cd);
                float streak =
                    std::exp(-std::pow((cx + 0.35f + cz * 0.15f) * 4.0f, 2.0f)) * (1.0f - cd);
                glass = AddRgb(glass, ScaleRgb({0.7f, 0.85f, 1.0f}, streak * 0.8f));
                c = MixRgb(glass, {0.25f, 0.27f, 0.30f}, Smoothstep(0.8f, 1.0f, cd));
            }
            // Belly: hazard chevrons near the nose gear and a cooling grille.
            if (belly && ax < 0.06f && z > 0.25f && z < 0.4f) {
                float stripe = std::fmod(z * 40.0f + ax * 40.0f + 10.0f, 2.0f);
                c = stripe < 1.0f ? Rgb{0.85f, 0.7f, 0.1f} : Rgb{0.1f, 0.1f, 0.1f};
            }
            ImageAt(img, px, py) = c;
        }
    }
    return img;
}

// The saucer's sphere map: north pole at the top row, equator in the middle, the whole
// circumference across the width (the engine wraps it once around).
Image SaucerMake() {
    const int w = 256, h = 256;
    Image img = ImageMake(w, h);
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            float s = (float(px) + 0.5f) / float(w);
            float t = (float(py) + 0.5f) / float(h); // 0 north pole, 0.5 equator, 1 south pole
            float grain = NoiseFbm2Tile(s, t, 8, 4, 71);
            Rgb c;
            if (t < 0.16f) {
                // The dome: green-tinted glass with a reflection band.
                float k = t / 0.16f;
                c = MixRgb({0.45f, 0.95f, 0.75f}, {0.05f, 0.30f, 0.25f}, k);
                float refl = std::exp(-std::pow((k - 0.45f) * 6.0f, 2.0f));
                c = AddRgb(c, ScaleRgb({0.5f, 0.7f, 0.6f}, refl * 0.6f));
            } else if (t < 0.44f) {
                // Upper hull: radial plates.
                float k = (t - 0.16f) / 0.28f;
                c = MixRgb({0.62f, 0.64f, 0.70f}, {0.48f, 0.50f, 0.56f}, k);
                float radial = std::fabs(s * 16.0f - std::round(s * 16.0f));
                if (radial < 0.05f) c = ScaleRgb(c, 0.6f);
                if (std::fabs(t - 0.30f) < 0.006f) c = ScaleRgb(c, 0.6f);
                // Portholes in every other plate.
                float pxo = (s * 16.0f - std::floor(s * 16.0f) - 0.5f) * 3.0f;
                float pzo = (t - 0.23f) * 60.0f;
                if (int(std::floor(s * 16.0f)) % 2 == 0 && pxo * pxo + pzo * pzo < 1.0f)
                    c = {0.95f, 0.85f, 0.35f};
            } else if (t < 0.56f) {
                // The rim: a dark band with a ring of running lights.
                c = {0.18f, 0.19f, 0.22f};
                float lx = (s * 24.0f - std::floor(s * 24.0f) - 0.5f) * 2.0f;
                float lz = (t - 0.5f) * 25.0f;
                float d = std::sqrt(lx * lx + lz * lz);
                int idx = int(std::floor(s * 24.0f)) % 3;
                Rgb lamp = idx == 0 ? Rgb{1.0f, 0.25f, 0.15f}
                                    : (idx == 1 ? Rgb{1.0f, 0.9f, 0.4f} : Rgb{0.4f, 1.0f, 0.5f});
                c = MixRgb(c, lamp, 1.0f - Smoothstep(0.3f, 0.8f, d));
                if (std::fabs(t - 0.44f) < 0.008f || std::fabs(t - 0.56f) < 0.008f)
                    c = {0.75f, 0.77f, 0.82f};
            } else {
                // Lower hull: darker rings toward a glowing drive at the south pole.
                float k = (t - 0.56f) / 0.44f;
                c = MixRgb({0.40f, 0.42f, 0.47f}, {0.22f, 0.23f, 0.26f}, k);
                if (std::fabs(std::fmod(t * 30.0f, 1.0f) - 0.5f) < 0.06f) c = ScaleRgb(c, 0.65f);
                float radial = std::fabs(s * 8.0f - std::round(s * 8.0f));
                if (radial < 0.03f) c = ScaleRgb(c, 0.7f);
                float glow = Smoothstep(0.84f, 0.98f, t);
                c = MixRgb(c, {0.45f, 1.0f, 0.55f}, glow);
            }
            ImageAt(img, px, py) = ScaleRgb(c, 0.95f + 0.08f * grain);
        }
    }
    return img;
}

} // namespace

void TexturesSurfaceBuild(AssetList& assets) {
    AssetAddTexture(assets, "venus",
                    RockMake({101, {0.86f, 0.80f, 0.68f}, {0.62f, 0.56f, 0.47f}, 70, 6.0f}));
    AssetAddTexture(assets, "pluto",
                    RockMake({202, {0.46f, 0.42f, 0.39f}, {0.22f, 0.20f, 0.19f}, 95, 8.0f}));
    AssetAddTexture(assets, "ship", ShipMake());
    AssetAddTexture(assets, "saucer2", SaucerMake());
}
