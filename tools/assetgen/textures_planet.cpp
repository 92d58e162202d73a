// Sphere maps (equirectangular, north at the top, longitude 0 at the left edge, as the engine's
// sphere maps its s and t) for the fire ball and the planets, and the tileable star field.
#include "assetgen.h"
#include "noise.h"

#include <cmath>

namespace {

struct Dir {
    float x, y, z, lat, lon;
};

// The unit direction a pixel of an equirectangular map stands for.
Dir SphereDir(int px, int py, int w, int h) {
    float lon = (float(px) + 0.5f) / float(w) * 2.0f * PI;
    float lat = 0.5f * PI - (float(py) + 0.5f) / float(h) * PI;
    float c = std::cos(lat);
    return {c * std::cos(lon), std::sin(lat), c * std::sin(lon), lat, lon};
}

// Turbulent fire: domain-warped fractal noise through a deep-red to yellow ramp. The explosion
// reads its colours from here, so the whole map stays within the fire palette.
Image FieryMake() {
    static constexpr GradientStop ramp[] = {
        {0.00f, {0.30f, 0.02f, 0.00f}}, {0.30f, {0.70f, 0.08f, 0.01f}},
        {0.52f, {0.95f, 0.32f, 0.03f}}, {0.72f, {1.00f, 0.62f, 0.08f}},
        {0.88f, {1.00f, 0.86f, 0.30f}}, {1.00f, {1.00f, 0.97f, 0.70f}}};
    Image img = ImageMake(256, 256);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            Dir d = SphereDir(x, y, img.width, img.height);
            float px = d.x * 2.2f, py = d.y * 2.2f, pz = d.z * 2.2f;
            float qx = NoiseFbm3(px, py, pz, 4, 11);
            float qy = NoiseFbm3(px + 5.2f, py + 1.3f, pz, 4, 12);
            float qz = NoiseFbm3(px, py + 9.1f, pz + 3.7f, 4, 13);
            float n = NoiseFbm3(px + 1.8f * qx, py + 1.8f * qy, pz + 1.8f * qz, 6, 14);
            // Ridged turbulence adds the licking flame tongues.
            float t = 1.0f - std::fabs(NoiseFbm3(px * 2.0f + qx, py * 2.0f + qy, pz * 2.0f, 5, 15));
            float v = Clamp01(0.5f + 0.55f * n + 0.35f * (t * t - 0.5f));
            ImageAt(img, x, y) = ImageGradient(ramp, 6, v);
        }
    }
    return img;
}

Image EarthMake() {
    Image img = ImageMake(512, 256);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            Dir d = SphereDir(x, y, img.width, img.height);
            // Continents: low-frequency relief, warped so coasts curl, with fine detail on top.
            float wx = NoiseFbm3(d.x * 1.2f, d.y * 1.2f, d.z * 1.2f, 3, 21);
            float wz = NoiseFbm3(d.x * 1.2f + 7.0f, d.y * 1.2f, d.z * 1.2f, 3, 22);
            float h = NoiseFbm3(d.x * 1.1f + 0.7f * wx, d.y * 1.1f, d.z * 1.1f + 0.7f * wz, 8, 23);
            const float sea = 0.02f;
            float alat = std::fabs(d.lat) / (0.5f * PI); // 0 equator, 1 pole
            Rgb c;
            if (h < sea) {
                float depth = Clamp01((sea - h) * 2.5f);
                c = MixRgb({0.08f, 0.36f, 0.55f}, {0.02f, 0.08f, 0.30f}, std::sqrt(depth));
            } else {
                float e = (h - sea) * 2.0f;
                float dry = 1.1f * NoiseFbm3(d.x * 2.5f, d.y * 2.5f, d.z * 2.5f, 4, 24) +
                            0.5f * (1.0f - std::fabs(alat - 0.27f) * 5.0f);
                Rgb forest = MixRgb({0.20f, 0.46f, 0.14f}, {0.10f, 0.30f, 0.10f},
                                    Clamp01(0.5f + NoiseFbm3(d.x * 5, d.y * 5, d.z * 5, 3, 28)));
                c = MixRgb(forest, {0.80f, 0.68f, 0.44f}, Smoothstep(0.35f, 0.75f, dry));
                c = MixRgb(c, {0.42f, 0.36f, 0.28f}, Smoothstep(0.45f, 0.8f, e));
                c = MixRgb(c, {0.92f, 0.93f, 0.95f}, Smoothstep(1.05f, 1.2f, e + alat * 0.5f));
            }
            // Polar ice with a ragged edge.
            float ice = alat + 0.05f * NoiseFbm3(d.x * 6.0f, d.y * 6.0f, d.z * 6.0f, 3, 25);
            c = MixRgb(c, {0.94f, 0.96f, 1.0f}, Smoothstep(0.89f, 0.92f, ice));
            // Cloud streaks drawn out east-west, thicker along the storm belts.
            float sx = NoiseFbm3(d.x * 2.0f, d.y * 4.0f, d.z * 2.0f, 3, 26);
            float cl = NoiseFbm3(d.x * 3.0f + sx, d.y * 7.0f, d.z * 3.0f - sx, 6, 27);
            float belt = 0.2f * std::cos(d.lat * 6.0f);
            float cover = Smoothstep(0.2f, 0.75f, cl + belt);
            c = MixRgb(c, {0.97f, 0.97f, 0.98f}, cover * 0.85f);
            ImageAt(img, x, y) = c;
        }
    }
    return img;
}

Image MarsMake() {
    Image img = ImageMake(512, 256);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            Dir d = SphereDir(x, y, img.width, img.height);
            float big = NoiseFbm3(d.x * 1.6f, d.y * 1.6f, d.z * 1.6f, 5, 31);
            float fine = NoiseFbm3(d.x * 8.0f, d.y * 8.0f, d.z * 8.0f, 4, 32);
            Rgb c =
                MixRgb({0.78f, 0.40f, 0.18f}, {0.42f, 0.17f, 0.08f}, Smoothstep(-0.1f, 0.5f, big));
            c = ScaleRgb(c, 0.88f + 0.18f * fine);
            // A long rift valley near the equator.
            float rift =
                std::fabs(d.lat + 0.12f + 0.08f * NoiseFbm3(d.x * 3, d.y * 3, d.z * 3, 3, 33));
            float inRift = (1.0f - Smoothstep(0.0f, 0.025f, rift)) *
                           Smoothstep(0.2f, 0.5f, std::sin(d.lon * 1.0f + 0.4f));
            c = MixRgb(c, {0.30f, 0.11f, 0.06f}, inRift * 0.8f);
            // A bright northern cap and a smaller southern one.
            float edge = 0.05f * NoiseFbm3(d.x * 7.0f, d.y * 7.0f, d.z * 7.0f, 3, 34);
            float north = Smoothstep(1.22f, 1.27f, d.lat + edge);
            float south = Smoothstep(1.36f, 1.40f, -d.lat + edge);
            c = MixRgb(c, {0.96f, 0.93f, 0.90f}, std::fmax(north, south));
            ImageAt(img, x, y) = c;
        }
    }
    return img;
}

Image JupiterMake() {
    static constexpr GradientStop bands[] = {{0.00f, {0.42f, 0.24f, 0.14f}},
                                             {0.22f, {0.70f, 0.46f, 0.28f}},
                                             {0.45f, {0.88f, 0.74f, 0.55f}},
                                             {0.70f, {0.96f, 0.90f, 0.76f}},
                                             {1.00f, {0.99f, 0.97f, 0.92f}}};
    const float spotLat = -0.38f, spotLon = 2.2f;
    Image img = ImageMake(512, 256);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            Dir d = SphereDir(x, y, img.width, img.height);
            // Distance from the storm in its own stretched frame, and a swirl around it.
            float dLon = std::remainder(d.lon - spotLon, 2.0f * PI) * std::cos(spotLat);
            float dLat = d.lat - spotLat;
            float sd = std::sqrt((dLon / 0.34f) * (dLon / 0.34f) + (dLat / 0.15f) * (dLat / 0.15f));
            float swirl = 2.5f * std::exp(-sd * sd * 0.8f);
            float sa = std::sin(swirl), ca = std::cos(swirl);
            float rLon = spotLon + (dLon * ca - dLat * sa * 2.3f) / std::cos(spotLat);
            float rLat = spotLat + dLon * sa / 2.3f + dLat * ca;
            float cl = std::cos(rLat);
            float px = cl * std::cos(rLon), py = std::sin(rLat), pz = cl * std::sin(rLon);
            // Bands follow latitude, torn by turbulence that is stretched east-west.
            float turb = NoiseFbm3(px * 3.0f, py * 12.0f, pz * 3.0f, 5, 41);
            float eddy = NoiseFbm3(px * 9.0f + turb, py * 24.0f, pz * 9.0f, 4, 43);
            float v = rLat * 7.0f + 0.30f * turb + 0.12f * eddy;
            // Band widths and tones vary irregularly with latitude.
            float band = 0.5f + 0.75f * (NoisePerlin3(0.5f, v * 0.8f, 0.5f, 44) +
                                         0.45f * NoisePerlin3(0.5f, v * 1.9f, 0.5f, 45));
            Rgb c = ImageGradient(bands, 5, Clamp01(band));
            float tint = Smoothstep(0.0f, 0.5f, NoisePerlin3(0.5f, v * 0.45f, 2.5f, 46));
            c = MixRgb(c, {c.r * 1.0f, c.g * 0.78f, c.b * 0.6f}, tint);
            float streak = NoiseFbm3(px * 6.0f, py * 40.0f, pz * 6.0f, 4, 42);
            c = ScaleRgb(c, 0.92f + 0.12f * streak);
            // The great storm: a red oval with a pale collar.
            Rgb spot =
                MixRgb({0.80f, 0.36f, 0.22f}, {0.66f, 0.25f, 0.16f}, Clamp01(0.5f + 0.5f * turb));
            c = MixRgb(c, {0.96f, 0.90f, 0.80f},
                       Smoothstep(0.9f, 1.05f, sd) * (1.0f - Smoothstep(1.05f, 1.3f, sd)) * 0.7f);
            c = MixRgb(c, spot, 1.0f - Smoothstep(0.85f, 1.0f, sd));
            ImageAt(img, x, y) = c;
        }
    }
    return img;
}

// Adds a star: a tiny Gaussian, wrapped so the field tiles.
void StarPut(Image& img, float cx, float cy, float sigma, Rgb color) {
    int r = int(std::ceil(sigma * 3.0f));
    for (int y = int(cy) - r; y <= int(cy) + r; ++y) {
        for (int x = int(cx) - r; x <= int(cx) + r; ++x) {
            float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            float k = std::exp(-(dx * dx + dy * dy) / (2.0f * sigma * sigma));
            Rgb& p = ImageAt(img, x, y);
            p = AddRgb(p, ScaleRgb(color, k));
        }
    }
}

// Four thin diffraction spikes for the brightest stars.
void StarSpikes(Image& img, float cx, float cy, int len, Rgb color) {
    for (int i = 1; i <= len; ++i) {
        float k = 0.35f * (1.0f - float(i) / float(len + 1));
        k *= k;
        Rgb c = ScaleRgb(color, k);
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            Rgb& p = ImageAt(img, int(cx) + dx * i, int(cy) + dy * i);
            p = AddRgb(p, c);
        }
    }
}

Image SpaceMake() {
    const int size = 512;
    Image img = ImageMake(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (float(x) + 0.5f) / float(size), v = (float(y) + 0.5f) / float(size);
            float wx = NoiseFbm2Tile(u, v, 3, 4, 51);
            float wy = NoiseFbm2Tile(u, v, 3, 4, 52);
            float n = NoiseFbm2Tile(u + 0.12f * wx, v + 0.12f * wy, 3, 6, 53);
            float mask = Smoothstep(-0.4f, 0.4f, NoiseFbm2Tile(u, v, 2, 3, 54));
            float hue = Smoothstep(-0.4f, 0.4f, NoiseFbm2Tile(u + 0.1f * wy, v, 2, 4, 55));
            float dust = Smoothstep(0.1f, 0.5f, NoiseFbm2Tile(u, v + 0.1f * wx, 4, 5, 56));
            float density =
                std::pow(Smoothstep(-0.3f, 0.55f, n), 1.5f) * mask * (1.0f - 0.6f * dust);
            Rgb neb = MixRgb({0.42f, 0.12f, 0.50f}, {0.06f, 0.30f, 0.46f}, hue);
            neb = MixRgb(neb, {0.60f, 0.18f, 0.25f}, Smoothstep(0.5f, 0.9f, n) * 0.5f);
            Rgb base{0.006f, 0.007f, 0.018f};
            ImageAt(img, x, y) = AddRgb(base, ScaleRgb(neb, 0.9f * density));
        }
    }
    static constexpr GradientStop tints[] = {{0.0f, {0.70f, 0.80f, 1.00f}},
                                             {0.4f, {1.00f, 1.00f, 1.00f}},
                                             {0.75f, {1.00f, 0.93f, 0.75f}},
                                             {1.0f, {1.00f, 0.75f, 0.55f}}};
    Rng rng{0x5ca1ab1e};
    for (int i = 0; i < 2600; ++i) {
        float x = RngRange(rng, 0.0f, float(size)), y = RngRange(rng, 0.0f, float(size));
        float b = RngFloat(rng);
        Rgb tint = ImageGradient(tints, 4, RngFloat(rng));
        float bright = 0.18f + 0.9f * b * b * b * b;
        StarPut(img, x, y, 0.45f + 0.25f * b, ScaleRgb(tint, bright * 1.3f));
    }
    for (int i = 0; i < 28; ++i) {
        float x = RngRange(rng, 0.0f, float(size)), y = RngRange(rng, 0.0f, float(size));
        Rgb tint = ImageGradient(tints, 4, RngFloat(rng));
        StarPut(img, x, y, 1.4f, ScaleRgb(tint, 0.9f));
        StarPut(img, x, y, 0.6f, {1.0f, 1.0f, 1.0f});
        StarSpikes(img, x, y, 5 + int(RngFloat(rng) * 5.0f), tint);
    }
    return img;
}

} // namespace

void TexturesPlanetBuild(AssetList& assets) {
    AssetAddTexture(assets, "Fiery", FieryMake());
    AssetAddTexture(assets, "earth", EarthMake());
    AssetAddTexture(assets, "mars", MarsMake());
    AssetAddTexture(assets, "jupiter", JupiterMake());
    AssetAddTexture(assets, "space", SpaceMake());
}
