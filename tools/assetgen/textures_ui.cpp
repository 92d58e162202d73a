// Screen furniture: the menu frame, prompt plates, the text-field outline and the title plate.
#include "assetgen.h"
#include "draw.h"
#include "font.h"
#include "noise.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Bevel lighting of a rounded box at one point, with the box's own distance gradient.
float BoxShade(float x, float y, float cx, float cy, float hw, float hh, float r, float bevel,
               float& d) {
    d = DrawSdRoundBox(x, y, cx, cy, hw, hh, r);
    const float e = 0.05f;
    float gx = (DrawSdRoundBox(x + e, y, cx, cy, hw, hh, r) - d) / e;
    float gy = (DrawSdRoundBox(x, y + e, cx, cy, hw, hh, r) - d) / e;
    return DrawBevelShade(d, gx, gy, bevel);
}

// Horizontal brushing: noise stretched along x.
float Brushed(float x, float y, float w, float h, uint32_t seed) {
    return NoiseFbm2Tile(x / w, y / h, 2, 6, seed) * 0.5f +
           NoisePerlin2Tile(x / w * 4.0f, y * 1.5f, 4, int(h * 1.5f), seed + 1) * 0.5f;
}

// The menu frame: a steel bevel around an inside of exact black, which the engine turns 200/255
// opaque. Frame colours stay above zero so no frame pixel is keyed by accident.
Image Border2Make() {
    const float w = 256, h = 128;
    return DrawSupersampled(256, 128, 4, [=](float x, float y) -> Rgb {
        float d;
        float shade = BoxShade(x, y, w / 2, h / 2, w / 2, h / 2, 10.0f, 4.0f, d);
        float inner = DrawSdRoundBox(x, y, w / 2, h / 2, w / 2 - 9.0f, h / 2 - 9.0f, 4.0f);
        if (inner < 0.0f) return {0.0f, 0.0f, 0.0f};
        if (d > 0.0f) return {0.02f, 0.02f, 0.03f};
        Rgb steel = MixRgb({0.55f, 0.62f, 0.74f}, {0.28f, 0.32f, 0.42f}, y / h);
        steel = ScaleRgb(steel, shade * (0.95f + 0.08f * Brushed(x, y, w, h, 81)));
        // A lit inner lip and a cyan trim line between bevel and lip.
        if (inner < 1.6f)
            steel = ScaleRgb({0.20f, 0.22f, 0.28f}, 1.0f);
        else if (inner < 3.0f)
            steel = MixRgb(steel, {0.35f, 0.9f, 1.0f}, 0.8f);
        steel.r = std::fmax(steel.r, 0.02f);
        steel.g = std::fmax(steel.g, 0.02f);
        steel.b = std::fmax(steel.b, 0.03f);
        return steel;
    });
}

void Rivet(float x, float y, float rx, float ry, Rgb& c) {
    float d = std::hypot(x - rx, y - ry);
    if (d < 2.6f) {
        float lit = Clamp01(0.5f - ((x - rx) + (y - ry)) / 5.0f);
        c = MixRgb({0.25f, 0.27f, 0.3f}, {0.9f, 0.92f, 0.95f}, lit);
    } else if (d < 3.2f) {
        c = ScaleRgb(c, 0.55f);
    }
}

// The quit prompt's plate: brushed steel, dark enough for white text, riveted corners.
Image MetalMake() {
    const float w = 256, h = 64;
    return DrawSupersampled(256, 64, 4, [=](float x, float y) -> Rgb {
        float d;
        float shade = BoxShade(x, y, w / 2, h / 2, w / 2, h / 2, 0.0f, 4.0f, d);
        Rgb c = MixRgb({0.40f, 0.43f, 0.48f}, {0.24f, 0.26f, 0.30f}, y / h);
        c = ScaleRgb(c, shade * (0.92f + 0.14f * Brushed(x, y, w, h, 91)));
        for (float rx : {9.0f, w - 9.0f})
            for (float ry : {9.0f, h - 9.0f})
                Rivet(x, y, rx, ry, c);
        return c;
    });
}

// A glossy button. It is drawn as an opaque quad, so the bevel runs to the square edge: rounded
// corners would show black wherever the scene behind is not.
Image ButtonMake() {
    const float w = 256, h = 64;
    return DrawSupersampled(256, 64, 4, [=](float x, float y) -> Rgb {
        float d;
        float shade = BoxShade(x, y, w / 2, h / 2, w / 2, h / 2, 0.0f, 5.0f, d);
        Rgb c = MixRgb({0.26f, 0.48f, 0.86f}, {0.07f, 0.16f, 0.42f}, y / h);
        c = ScaleRgb(c, shade);
        // Gloss on the upper half, inset from the rim.
        float gloss = DrawSdRoundBox(x, y, w / 2, h * 0.3f, w / 2 - 10, h * 0.2f, 10.0f);
        c = AddRgb(c, ScaleRgb({1.0f, 1.0f, 1.0f}, 0.22f * (1.0f - Smoothstep(-2.0f, 1.0f, gloss)) *
                                                       (1.0f - y / (h * 0.6f))));
        if (d > -1.2f) c = {0.05f, 0.08f, 0.16f};
        return c;
    });
}

// The name-entry title plate: a dark teal panel with a lit frame along its edge.
Image Button2Make() {
    const float w = 256, h = 64;
    return DrawSupersampled(256, 64, 4, [=](float x, float y) -> Rgb {
        float d = DrawSdRoundBox(x, y, w / 2, h / 2, w / 2, h / 2, 0.0f);
        Rgb c = MixRgb({0.10f, 0.30f, 0.36f}, {0.03f, 0.10f, 0.14f}, y / h);
        float stripes = std::fmod(x + y, 12.0f) < 6.0f ? 1.0f : 0.93f;
        c = ScaleRgb(c, stripes);
        if (d > -2.0f)
            c = {0.55f, 0.95f, 1.0f};
        else if (d > -4.0f)
            c = {0.05f, 0.12f, 0.15f};
        else if (d > -5.0f)
            c = MixRgb(c, {0.3f, 0.7f, 0.8f}, 0.5f);
        return c;
    });
}

// The text-field outline: a dark field inside a bright rim at the edge with a soft inner glow.
Image OutlineMake() {
    const float w = 256, h = 64;
    return DrawSupersampled(256, 64, 4, [=](float x, float y) -> Rgb {
        float d = DrawSdRoundBox(x, y, w / 2, h / 2, w / 2, h / 2, 0.0f);
        Rgb c = MixRgb({0.02f, 0.03f, 0.06f}, {0.05f, 0.07f, 0.12f}, y / h);
        float glow = std::exp(d / 5.0f);
        c = AddRgb(c, ScaleRgb({0.2f, 0.6f, 0.8f}, 0.35f * glow));
        if (d > -3.0f)
            c = MixRgb({0.55f, 0.92f, 1.0f}, {0.9f, 1.0f, 1.0f}, Clamp01(1.0f + d / 1.5f));
        return c;
    });
}

// Separable box blur, repeated: a cheap Gaussian for the lettering's bevel and shadow.
std::vector<float> Blur(const std::vector<float>& src, int w, int h, int radius, int passes) {
    std::vector<float> a = src, b(src.size());
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0.0f;
                for (int k = -radius; k <= radius; ++k) {
                    int xx = x + k;
                    if (xx >= 0 && xx < w) s += a[y * w + xx];
                }
                b[y * w + x] = s / float(2 * radius + 1);
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float s = 0.0f;
                for (int k = -radius; k <= radius; ++k) {
                    int yy = y + k;
                    if (yy >= 0 && yy < h) s += b[yy * w + x];
                }
                a[y * w + x] = s / float(2 * radius + 1);
            }
    }
    return a;
}

// The title plate: "SKARNEX3D" in bevelled chrome-and-gold letters on a dark steel panel.
bool Banner3Make(Image& out) {
    const char* face = FontFindFace(false, true);
    const int w = 512, h = 128;
    Mask text;
    for (int size = 120; size > 20; size -= 2) {
        if (!FontRenderText(face, size, "SKARNEX3D", 0, text)) return false;
        if (text.width <= 468 && text.height <= 82) break;
    }
    // Place the lettering centred in a full-size mask.
    std::vector<float> m(size_t(w * h), 0.0f);
    const int ox = (w - text.width) / 2, oy = (h - text.height) / 2;
    for (int y = 0; y < text.height; ++y)
        for (int x = 0; x < text.width; ++x)
            m[(oy + y) * w + ox + x] = text.a[size_t(y) * text.width + x];
    std::vector<float> bevel = Blur(m, w, h, 2, 2);
    std::vector<float> halo = Blur(m, w, h, 4, 3);
    std::vector<float> rim = Blur(m, w, h, 1, 2);
    static constexpr GradientStop chrome[] = {
        {0.00f, {1.00f, 1.00f, 1.00f}}, {0.40f, {0.62f, 0.68f, 0.80f}},
        {0.50f, {0.22f, 0.24f, 0.32f}}, {0.56f, {0.62f, 0.42f, 0.16f}},
        {0.80f, {1.00f, 0.80f, 0.36f}}, {1.00f, {1.00f, 0.95f, 0.75f}}};
    out = DrawSupersampled(w, h, 1, [&](float fx, float fy) -> Rgb {
        int x = int(fx), y = int(fy);
        // Panel: navy brushed steel, bevelled edge, a thin gold trim.
        float d;
        float shade = BoxShade(fx, fy, w / 2.0f, h / 2.0f, w / 2.0f, h / 2.0f, 8.0f, 5.0f, d);
        Rgb c = MixRgb({0.10f, 0.14f, 0.26f}, {0.03f, 0.04f, 0.09f}, fy / h);
        c = ScaleRgb(c, shade * (0.9f + 0.15f * Brushed(fx, fy, w, h, 95)));
        float trim = DrawSdRoundBox(fx, fy, w / 2.0f, h / 2.0f, w / 2.0f - 8, h / 2.0f - 8, 4.0f);
        if (std::fabs(trim) < 0.8f) c = MixRgb(c, {0.85f, 0.65f, 0.25f}, 0.8f);
        auto at = [&](const std::vector<float>& v, int i, int j) {
            i = i < 0 ? 0 : (i >= w ? w - 1 : i);
            j = j < 0 ? 0 : (j >= h ? h - 1 : j);
            return v[size_t(j) * w + i];
        };
        // Orange glow and a dark outline behind the letters.
        c = AddRgb(c, ScaleRgb({1.0f, 0.45f, 0.08f}, 0.6f * at(halo, x, y)));
        c = MixRgb(c, {0.01f, 0.01f, 0.02f}, Clamp01(at(rim, x, y) * 2.5f));
        float a = at(m, x, y);
        if (a > 0.0f) {
            float gx = at(bevel, x + 1, y) - at(bevel, x - 1, y);
            float gy = at(bevel, x, y + 1) - at(bevel, x, y - 1);
            // Surface normal of the blurred height, lit from the upper left.
            float nx = -gx * 4.0f, ny = -gy * 4.0f;
            float nl = std::sqrt(nx * nx + ny * ny + 1.0f);
            float lambert = (-0.5f * nx - 0.6f * ny + 0.62f) / nl;
            float spec = std::pow(std::fmax(0.0f, lambert), 12.0f);
            float v = Clamp01((fy - float(oy)) / float(text.height));
            Rgb metal = ImageGradient(chrome, 6, v);
            metal =
                AddRgb(ScaleRgb(metal, 0.45f + 0.75f * lambert), ScaleRgb({1, 1, 1}, 0.5f * spec));
            c = MixRgb(c, metal, a);
        }
        return c;
    });
    return true;
}

} // namespace

bool TexturesUiBuild(AssetList& assets) {
    AssetAddTexture(assets, "border2", Border2Make());
    AssetAddTexture(assets, "metal", MetalMake());
    AssetAddTexture(assets, "button", ButtonMake());
    AssetAddTexture(assets, "button2", Button2Make());
    AssetAddTexture(assets, "outline", OutlineMake());
    Image banner;
    if (!Banner3Make(banner)) {
        std::fprintf(stderr, "assetgen: cannot render the title lettering\n");
        return false;
    }
    AssetAddTexture(assets, "banner3", banner);
    return true;
}
