// Checks the generated assets in the run directory: the exact file layouts the loaders accept,
// the font cell layout, closed outward-wound models of the intended sizes, and the sounds.
#include <gtest/gtest.h>

#include "core/ini.h"
#include "test_util.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string RunDir() {
    const char* dir = std::getenv("SKX_RUN_DIR");
    return dir ? dir : "build/run";
}

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
bool PowerOfTwo(int32_t v) {
    return v > 0 && (v & (v - 1)) == 0;
}

constexpr const char* TEXTURES[] = {
    "Fiery",   "bullet",   "venus",  "banner3", "earth", "pluto",   "space",   "ship",
    "raster8", "raster12", "mars",   "jupiter", "flare", "saucer2", "bullet2", "bullet3",
    "shot1i",  "shot2i",   "shot3i", "border2", "metal", "button",  "button2", "outline"};

// A decoded BMP: top row first, RGB bytes.
struct Bitmap {
    int32_t width = 0, height = 0;
    std::vector<std::array<uint8_t, 3>> px;
    std::array<uint8_t, 3> At(int x, int y) const { return px[size_t(y) * width + x]; }
};

// Validates the header and layout of one texture and decodes it.
Bitmap LoadChecked(const std::string& name) {
    SCOPED_TRACE(name);
    Bitmap bmp;
    std::string b = ReadFile(RunDir() + "/texture/" + name + ".bmp");
    if (b.size() < 54) {
        ADD_FAILURE() << "missing or short file";
        return bmp;
    }
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 2), b.size()) << "file size field";
    EXPECT_EQ(U32(b, 10), 54u) << "pixel data offset";
    bmp.width = int32_t(U32(b, 18));
    bmp.height = int32_t(U32(b, 22));
    EXPECT_EQ(U16(b, 28), 24) << "bits per pixel";
    EXPECT_EQ(U32(b, 30), 0u) << "compression";
    if (!PowerOfTwo(bmp.width) || !PowerOfTwo(bmp.height)) {
        ADD_FAILURE() << bmp.width << "x" << bmp.height << " is not a power of two";
        return Bitmap{};
    }
    const size_t row = size_t(bmp.width) * 3, stride = (row + 3) & ~size_t(3);
    EXPECT_EQ(b.size(), 54 + stride * size_t(bmp.height)) << "file length";
    if (b.size() != 54 + stride * size_t(bmp.height)) return Bitmap{};
    bmp.px.resize(size_t(bmp.width) * bmp.height);
    for (int y = 0; y < bmp.height; ++y) {
        size_t at = 54 + stride * size_t(bmp.height - 1 - y); // stored bottom-up
        for (size_t pad = row; pad < stride; ++pad)
            EXPECT_EQ(b[at + pad], 0) << "row padding";
        for (int x = 0; x < bmp.width; ++x)
            bmp.px[size_t(y) * bmp.width + x] = {
                uint8_t(b[at + 3 * x + 2]), uint8_t(b[at + 3 * x + 1]), uint8_t(b[at + 3 * x])};
    }
    return bmp;
}

bool Black(std::array<uint8_t, 3> p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}
int Brightness(std::array<uint8_t, 3> p) {
    return std::max({p[0], p[1], p[2]});
}

} // namespace

TEST(Assets, EveryTextureIsAValidPowerOfTwoBitmap) {
    for (const char* name : TEXTURES)
        LoadChecked(name);
}

// The brightness of these becomes their alpha: a bright centre fading to black corners.
TEST(Assets, GlowsAreBrightInTheMiddleAndBlackAtTheEdges) {
    for (const char* name : {"bullet", "bullet2", "bullet3", "flare"}) {
        SCOPED_TRACE(name);
        Bitmap b = LoadChecked(name);
        ASSERT_FALSE(b.px.empty());
        EXPECT_GE(Brightness(b.At(b.width / 2, b.height / 2)), 240);
        for (int x = 0; x < b.width; ++x) {
            EXPECT_TRUE(Black(b.At(x, 0)));
            EXPECT_TRUE(Black(b.At(x, b.height - 1)));
        }
    }
}

// Explosions read their colours from Fiery: every texel must be a fire colour (red at least as
// strong as green, green at least as strong as blue), spanning dark red to yellow.
TEST(Assets, FieryHoldsOnlyFireColours) {
    Bitmap b = LoadChecked("Fiery");
    ASSERT_FALSE(b.px.empty());
    int darkest = 255, yellowest = 0;
    for (auto p : b.px) {
        ASSERT_GE(p[0], p[1]);
        ASSERT_GE(p[1], p[2]);
        darkest = std::min(darkest, int(p[0]));
        yellowest = std::max(yellowest, int(p[1]));
    }
    EXPECT_LT(darkest, 140);
    EXPECT_GT(yellowest, 200);
}

// Only exact black is keyed to 200/255 opacity: the inside must be exact black, the frame never.
TEST(Assets, Border2HasABlackInsideAndNoBlackInItsFrame) {
    Bitmap b = LoadChecked("border2");
    ASSERT_FALSE(b.px.empty());
    EXPECT_TRUE(Black(b.At(b.width / 2, b.height / 2)));
    for (int x = 12; x < b.width - 12; ++x) {
        EXPECT_FALSE(Black(b.At(x, 2))) << x;
        EXPECT_FALSE(Black(b.At(x, b.height - 3))) << x;
    }
}

// The font cells as the engine lays them out: 95 cells left to right, a new row whenever the
// next cell would cross the right edge. Each glyph must keep to its cell, leaving the cell's
// last column and row empty, and nothing may be drawn outside the cells.
TEST(Assets, FontAtlasesKeepEveryGlyphInsideItsCell) {
    const std::string chars = std::string("abcdefghijklmnopqrstuvwxyz") +
                              "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890" +
                              "!@#$%^&*()`~-_=+[{]}\\|;:'\",<.>/? ";
    ASSERT_EQ(chars.size(), 95u);
    struct Font {
        const char* name;
        int w, h;
    };
    for (Font f : {Font{"raster8", 8, 12}, Font{"raster12", 12, 17}}) {
        SCOPED_TRACE(f.name);
        Bitmap b = LoadChecked(f.name);
        ASSERT_FALSE(b.px.empty());
        std::vector<int> owner(b.px.size(), -1);
        int penX = 0, penY = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            const int x0 = penX, y0 = penY;
            penX += f.w;
            if (penX + f.w > b.width) penX = 0, penY += f.h;
            ASSERT_LT(x0, 256);
            ASSERT_LT(y0, 256);
            ASSERT_LE(y0 + f.h, b.height) << "cell " << i << " below the image";
            int ink = 0;
            for (int y = y0; y < y0 + f.h; ++y)
                for (int x = x0; x < x0 + f.w; ++x) {
                    owner[size_t(y) * b.width + x] = int(i);
                    bool lit = !Black(b.At(x, y));
                    ink += lit;
                    if (x == x0 + f.w - 1 || y == y0 + f.h - 1) {
                        EXPECT_FALSE(lit) << "'" << chars[i] << "' touches its cell edge";
                    }
                }
            if (chars[i] == ' ') {
                EXPECT_EQ(ink, 0);
            } else {
                EXPECT_GT(ink, 0) << "'" << chars[i] << "' is empty";
            }
        }
        for (size_t p = 0; p < b.px.size(); ++p) {
            if (owner[p] < 0) {
                ASSERT_TRUE(Black(b.px[p])) << "ink outside the cells at " << p;
            }
        }
    }
}

namespace {

struct V3 {
    float x, y, z;
};
struct Tri {
    V3 p[3];
    float s[3], t[3];
};

// Reads a model the way the engine does: " %hd", then " %f %f %f %f %f \n" per vertex.
std::vector<Tri> ReadModel(const std::string& name) {
    std::vector<Tri> tris;
    std::FILE* f = std::fopen((RunDir() + "/model/" + name + ".3d").c_str(), "r");
    if (!f) {
        ADD_FAILURE() << name << " missing";
        return tris;
    }
    short count = -1;
    EXPECT_EQ(std::fscanf(f, " %hd", &count), 1);
    EXPECT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
        Tri t{};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(std::fscanf(f, " %f %f %f %f %f \n", &t.p[k].x, &t.p[k].y, &t.p[k].z, &t.s[k],
                                  &t.t[k]),
                      5);
        tris.push_back(t);
    }
    char extra;
    EXPECT_NE(std::fscanf(f, " %c", &extra), 1) << "text after the last vertex";
    std::fclose(f);
    return tris;
}

V3 Sub(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(V3 a, V3 b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

struct Shape {
    float radius;
    V3 lo, hi;
};

// Every edge must be run once in each direction (closed, consistently wound) and every
// connected piece must enclose positive volume (wound counter-clockwise seen from outside).
Shape CheckClosedOutward(const std::vector<Tri>& tris) {
    std::map<std::tuple<float, float, float>, int> ids;
    std::vector<int> parent;
    auto id = [&](V3 p) {
        auto [it, fresh] = ids.try_emplace({p.x, p.y, p.z}, int(ids.size()));
        if (fresh) parent.push_back(it->second);
        return it->second;
    };
    auto find = [&](int i) {
        while (parent[i] != i)
            i = parent[i];
        return i;
    };
    std::map<std::pair<int, int>, int> edges;
    std::vector<int> first;
    Shape shape{0, {1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
    for (const Tri& t : tris) {
        int v[3] = {id(t.p[0]), id(t.p[1]), id(t.p[2])};
        V3 n = Cross(Sub(t.p[1], t.p[0]), Sub(t.p[2], t.p[0]));
        EXPECT_GT(Dot(n, n), 1e-14) << "degenerate triangle";
        for (int k = 0; k < 3; ++k) {
            ++edges[{v[k], v[(k + 1) % 3]}];
            parent[find(v[k])] = find(v[(k + 1) % 3]);
            const V3& p = t.p[k];
            shape.radius = std::max(shape.radius, float(std::sqrt(Dot(p, p))));
            shape.lo = {std::min(shape.lo.x, p.x), std::min(shape.lo.y, p.y),
                        std::min(shape.lo.z, p.z)};
            shape.hi = {std::max(shape.hi.x, p.x), std::max(shape.hi.y, p.y),
                        std::max(shape.hi.z, p.z)};
        }
        first.push_back(v[0]);
    }
    int open = 0;
    for (const auto& [e, n] : edges) {
        auto back = edges.find({e.second, e.first});
        if (n != 1 || back == edges.end() || back->second != 1) ++open;
    }
    EXPECT_EQ(open, 0) << "edges not shared by exactly two opposite triangles";
    std::map<int, double> volume;
    for (size_t i = 0; i < tris.size(); ++i)
        volume[find(first[i])] += Dot(tris[i].p[0], Cross(tris[i].p[1], tris[i].p[2])) / 6.0;
    for (const auto& [piece, v] : volume) {
        EXPECT_GT(v, 0.0) << "a piece is inside out";
    }
    return shape;
}

} // namespace

TEST(Assets, RocksAreClosedOutwardLumpsOfTheirSizes) {
    struct Rock {
        const char* name;
        float radius;
    };
    for (Rock r : {Rock{"bigrock", 2.5f}, Rock{"medrock", 1.2f}}) {
        SCOPED_TRACE(r.name);
        std::vector<Tri> tris = ReadModel(r.name);
        Shape s = CheckClosedOutward(tris);
        EXPECT_NEAR(s.radius, r.radius, 0.1f * r.radius);
        // Lumpy, not a ball: the nearest surface point lies well inside the farthest.
        float nearest = 1e9f;
        for (const Tri& t : tris)
            for (const V3& p : t.p)
                nearest = std::min(nearest, float(std::sqrt(Dot(p, p))));
        EXPECT_LT(nearest, 0.8f * s.radius);
    }
}

TEST(Assets, ShipIsAClosedCompactFighterFacingPlusZ) {
    std::vector<Tri> tris = ReadModel("ship");
    Shape s = CheckClosedOutward(tris);
    EXPECT_LE(s.radius, 0.7f);
    EXPECT_NEAR(s.hi.z - s.lo.z, 1.2f, 0.15f) << "length";
    EXPECT_GT(s.hi.z, -s.lo.z) << "the nose points toward +z";
    EXPECT_LT(s.lo.z, -0.2f) << "the exhaust sits behind z = -0.2";
    // The engine subdivides the ship six-fold and stores the count in 16 bits.
    EXPECT_LT(tris.size() * 6, 32768u);
}

TEST(Assets, BannerIsAClosedSlabCarryingTheWholeTitle) {
    std::vector<Tri> tris = ReadModel("banner");
    Shape s = CheckClosedOutward(tris);
    EXPECT_NEAR(s.hi.x - s.lo.x, 1.6f, 0.01f);
    EXPECT_NEAR(s.hi.y - s.lo.y, 0.4f, 0.01f);
    // The front face shows the whole image, upright: s grows with x and t with y.
    int front = 0;
    for (const Tri& t : tris) {
        V3 n = Cross(Sub(t.p[1], t.p[0]), Sub(t.p[2], t.p[0]));
        if (n.z <= 0.0f) continue;
        ++front;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(t.s[k], (t.p[k].x - s.lo.x) / 1.6f, 1e-3f);
            EXPECT_NEAR(t.t[k], (t.p[k].y - s.lo.y) / 0.4f, 1e-3f);
        }
    }
    EXPECT_EQ(front, 2);
}

// Exactly: RIFF, a 16-byte PCM format chunk, a 4-byte "fact" chunk, the "data" chunk; 8-bit
// mono at 11025 Hz; lengths as designed; audible; starting and ending at silence.
TEST(Assets, SoundsHaveTheExactChunkLayout) {
    struct Sound {
        const char* name;
        float seconds;
    };
    for (Sound snd : {Sound{"shoot3", 0.25f}, Sound{"shoot", 0.3f}, Sound{"explode", 1.2f},
                      Sound{"pickup", 0.5f}, Sound{"menu", 0.15f}}) {
        SCOPED_TRACE(snd.name);
        std::string b = ReadFile(RunDir() + "/sound/" + snd.name + ".wav");
        ASSERT_GE(b.size(), 56u);
        EXPECT_EQ(b.substr(0, 4), "RIFF");
        EXPECT_EQ(U32(b, 4), b.size() - 8);
        // WAVE, fmt (16 bytes: PCM, mono, 11025 Hz, 11025 B/s, block 1, 8 bits), fact (4).
        static const char FORMAT[] = "WAVEfmt \x10\0\0\0\1\0\1\0\x11\x2b\0\0\x11\x2b\0\0"
                                     "\1\0\x08\0fact\4\0\0\0";
        EXPECT_EQ(b.substr(8, 36), std::string(FORMAT, 36));
        const uint32_t frames = U32(b, 52);
        EXPECT_EQ(U32(b, 44), frames);
        EXPECT_EQ(b.substr(48, 4), "data");
        EXPECT_EQ(b.size(), 56u + frames);
        EXPECT_NEAR(float(frames) / 11025.0f, snd.seconds, 0.02f);
        int peak = 0;
        for (size_t i = 56; i < b.size(); ++i)
            peak = std::max(peak, std::abs(int(uint8_t(b[i])) - 128));
        EXPECT_GT(peak, 90);
        EXPECT_LE(std::abs(int(uint8_t(b[56])) - 128), 8) << "starts with a click";
        EXPECT_LE(std::abs(int(uint8_t(b.back())) - 128), 3) << "ends with a click";
    }
}

// The shipped settings file: every setting line reads back through the real INI reader, and all
// 51 keys are there.
TEST(Assets, DefaultSettingsFileReadsBackThroughTheIniReader) {
    const char* source = std::getenv("SKX_SOURCE_DIR");
    const std::string path = std::string(source ? source : ".") + "/data/vantor.ini";
    ASSERT_TRUE(FileExists(path));
    std::istringstream lines(ReadFile(path));
    std::string line;
    int settings = 0;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
        const size_t eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        auto trim = [](std::string v) {
            v.erase(0, v.find_first_not_of(" \t"));
            v.erase(v.find_last_not_of(" \t\r") + 1);
            return v;
        };
        char out[256] = {};
        IniGetString(path.c_str(), trim(line.substr(0, eq)).c_str(), "<absent>", out);
        EXPECT_EQ(out, trim(line.substr(eq + 1))) << line;
        ++settings;
    }
    EXPECT_EQ(settings, 51);
}
