// Glows (their brightness becomes their alpha in the engine, so the backgrounds are black) and
// the three 32 x 32 weapon icons of the heads-up display.
#include "assetgen.h"
#include "draw.h"

#include <cmath>

namespace {

// A round glow: a hot core inside a coloured halo, fading to exact black before the edge.
Image GlowMake(int size, Rgb core, Rgb halo, float coreWidth, float haloWidth) {
    return DrawSupersampled(size, size, 4, [=](float x, float y) {
        float r = std::hypot(x - 0.5f * size, y - 0.5f * size) / (0.5f * size);
        float kc = std::exp(-(r * r) / (coreWidth * coreWidth));
        float kh = std::exp(-(r * r) / (haloWidth * haloWidth));
        float fade = 1.0f - Smoothstep(0.7f, 0.98f, r);
        return ScaleRgb(AddRgb(ScaleRgb(core, kc), ScaleRgb(halo, kh * (1.0f - kc))), fade);
    });
}

// The plate behind every icon: a dark rounded square with a rim in the weapon's colour.
Rgb IconPlate(float x, float y, Rgb hue) {
    float d = DrawSdRoundBox(x, y, 16.0f, 16.0f, 15.5f, 15.5f, 5.0f);
    if (d > 0.0f) return {0.0f, 0.0f, 0.0f};
    float e = 0.05f;
    float gx = (DrawSdRoundBox(x + e, y, 16, 16, 15.5f, 15.5f, 5) - d) / e;
    float gy = (DrawSdRoundBox(x, y + e, 16, 16, 15.5f, 15.5f, 5) - d) / e;
    Rgb inner = MixRgb({0.10f, 0.11f, 0.15f}, {0.03f, 0.03f, 0.05f}, y / 32.0f);
    if (d > -2.0f)
        return ScaleRgb(MixRgb(hue, {0.6f, 0.6f, 0.6f}, 0.3f),
                        0.7f * DrawBevelShade(d, gx, gy, 2.0f));
    return inner;
}

// Light added by a glowing stroke at distance d: a sharp core and a soft fringe.
Rgb Stroke(float d, float width, Rgb hue) {
    float core = 1.0f - Smoothstep(width * 0.3f, width * 0.6f, d);
    float glow = std::exp(-(d * d) / (width * width * 1.2f));
    return AddRgb(ScaleRgb({1.0f, 1.0f, 1.0f}, core * 0.8f), ScaleRgb(hue, glow));
}

// Rail: a straight beam wound by a helix.
Image RailIconMake() {
    const Rgb hue{0.2f, 1.0f, 0.3f};
    return DrawSupersampled(32, 32, 8, [=](float x, float y) {
        Rgb c = IconPlate(x, y, hue);
        if (DrawSdRoundBox(x, y, 16, 16, 13.5f, 13.5f, 4) > 0.0f) return c;
        float beam = std::fabs(y - 16.0f);
        c = AddRgb(c, Stroke(beam, 1.6f, hue));
        float phase = (x - 4.0f) * 0.52f;
        float helix = 16.0f + 6.0f * std::sin(phase);
        float front = std::cos(phase) > 0.0f ? 1.0f : 0.4f;
        c = AddRgb(c, ScaleRgb(Stroke(std::fabs(y - helix) * 0.8f, 1.5f, hue), front * 0.9f));
        return c;
    });
}

// Spread: three shots fanning out from a muzzle on the left.
Image SpreadIconMake() {
    const Rgb hue{0.15f, 0.9f, 1.0f};
    return DrawSupersampled(32, 32, 8, [=](float x, float y) {
        Rgb c = IconPlate(x, y, hue);
        if (DrawSdRoundBox(x, y, 16, 16, 13.5f, 13.5f, 4) > 0.0f) return c;
        for (float dy : {-8.0f, 0.0f, 8.0f}) {
            float trail = DrawSdSegment(x, y, 6.0f, 16.0f, 20.0f, 16.0f + dy * 0.7f);
            c = AddRgb(c, ScaleRgb(Stroke(trail, 0.9f, hue), 0.5f));
            float ball = std::hypot(x - 23.0f, y - (16.0f + dy));
            c = AddRgb(c, Stroke(ball, 2.6f, hue));
        }
        return c;
    });
}

// Rapid: a stream of three bolts with motion streaks.
Image RapidIconMake() {
    const Rgb hue{1.0f, 0.2f, 0.95f};
    return DrawSupersampled(32, 32, 8, [=](float x, float y) {
        Rgb c = IconPlate(x, y, hue);
        if (DrawSdRoundBox(x, y, 16, 16, 13.5f, 13.5f, 4) > 0.0f) return c;
        for (int i = 0; i < 3; ++i) {
            float hx = 12.0f + 8.0f * float(i), hy = 22.5f - 6.5f * float(i);
            float streak = DrawSdSegment(x, y, hx - 8.0f, hy + 3.0f, hx, hy);
            float along = Clamp01((x - (hx - 8.0f)) / 8.0f);
            c = AddRgb(c, ScaleRgb(Stroke(streak, 1.6f, hue), 0.2f + 0.6f * along));
            c = AddRgb(c, Stroke(std::hypot(x - hx, y - hy), 2.8f, hue));
        }
        return c;
    });
}

} // namespace

void TexturesFxBuild(AssetList& assets) {
    AssetAddTexture(assets, "bullet",
                    GlowMake(64, {1.0f, 1.0f, 1.0f}, {0.25f, 0.85f, 1.0f}, 0.22f, 0.5f));
    AssetAddTexture(assets, "bullet2",
                    GlowMake(64, {0.85f, 1.0f, 0.85f}, {0.15f, 1.0f, 0.25f}, 0.22f, 0.5f));
    AssetAddTexture(assets, "bullet3",
                    GlowMake(64, {1.0f, 0.85f, 1.0f}, {1.0f, 0.2f, 0.9f}, 0.22f, 0.5f));
    AssetAddTexture(assets, "flare",
                    GlowMake(64, {1.0f, 1.0f, 1.0f}, {0.75f, 0.75f, 0.75f}, 0.42f, 0.55f));
    AssetAddTexture(assets, "shot1i", RailIconMake());
    AssetAddTexture(assets, "shot2i", SpreadIconMake());
    AssetAddTexture(assets, "shot3i", RapidIconMake());
}
