// The generated assets in the run directory, read by the game's own loaders, checked for what a
// player would see or hear wrong: images OpenGL 1.1 can take, glows and panels that blend as
// meant, fire colours, glyphs that keep to their cells, closed models wound outward and facing
// the right way, and sounds that are audible and free of clicks. That every file loads at all is
// checked by test_textfont.cpp and test_model.cpp (and by every run of the program).
#include <gtest/gtest.h>

#include "audio/waveread.h"
#include "core/ini.h"
#include "gl_recorder.h"
#include "loader_files.h"
#include "render/model.h"
#include "render/textfont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>
#include <unistd.h>

namespace {

// RGBA of the pixel at (x, y), y counted from the image's top row.
const uint8_t* Pixel(const Texture& t, int x, int y) {
    return t.pixels + (size_t(t.height - 1 - y) * size_t(t.width) + size_t(x)) * 4;
}
bool Black(const uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}
// The little-endian 32-bit field at `at` of a file's bytes.
uint32_t FileU32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

struct AssetTest : testing::Test {
    ScratchDir dir;
    void SetUp() override {
        if (!HaveGenerated("texture")) GTEST_SKIP() << "no generated assets";
        for (const char* sub : {"texture", "model", "sound"})
            ASSERT_EQ(symlink((RunDir() + "/" + sub).c_str(), sub), 0);
        ModelPoolClear();
    }
    void TearDown() override { ModelPoolClear(); }
};

TEST_F(AssetTest, TexturesBlendAndShowAsMeant) {
    GLRecorderScope rec;
    TextureInit();
    for (const Texture& t : textures) {
        ASSERT_NE(t.pixels, nullptr) << t.fileName;
        const std::string file = ReadFile(t.fileName);
        EXPECT_EQ(FileU32(file, 2), file.size()) << t.fileName << ": the size other tools read";
        // OpenGL 1.1 takes only power-of-two sides: anything else draws white.
        EXPECT_TRUE(t.width > 0 && (t.width & (t.width - 1)) == 0) << t.fileName;
        EXPECT_TRUE(t.height > 0 && (t.height & (t.height - 1)) == 0) << t.fileName;
    }
    // Glows: their brightness is their opacity, so a bright middle and invisible edges.
    for (TextureId id : {TEXTURE_BULLET, TEXTURE_BULLET2, TEXTURE_BULLET3, TEXTURE_FLARE}) {
        const Texture& t = textures[id];
        EXPECT_GE(Pixel(t, t.width / 2, t.height / 2)[3], 240) << t.fileName;
        for (int x = 0; x < t.width; ++x)
            ASSERT_TRUE(Pixel(t, x, 0)[3] == 0 && Pixel(t, x, t.height - 1)[3] == 0) << t.fileName;
    }
    // Explosions take their colours from Fiery: fire only (red >= green >= blue), dark red to
    // yellow.
    int darkest = 255, yellowest = 0;
    const Texture& fiery = textures[TEXTURE_FIERY];
    for (size_t i = 0; i < size_t(fiery.width) * size_t(fiery.height); ++i) {
        const uint8_t* p = fiery.pixels + 4 * i;
        ASSERT_TRUE(p[0] >= p[1] && p[1] >= p[2]) << "texel " << i;
        darkest = std::min(darkest, int(p[0]));
        yellowest = std::max(yellowest, int(p[1]));
    }
    EXPECT_LT(darkest, 140);
    EXPECT_GT(yellowest, 200);
    // The panels are drawn as opaque quads: a black corner would show as a black notch.
    for (TextureId id : {TEXTURE_METAL, TEXTURE_BUTTON, TEXTURE_BUTTON2, TEXTURE_OUTLINE}) {
        const Texture& t = textures[id];
        for (int x : {0, 1, t.width - 2, t.width - 1})
            for (int y : {0, 1, t.height - 2, t.height - 1})
                EXPECT_FALSE(Black(Pixel(t, x, y))) << t.fileName << " at " << x << "," << y;
    }
    // The high-score panel: a see-through inside (exact black is keyed) in an opaque frame.
    const Texture& border = textures[TEXTURE_BORDER2];
    EXPECT_EQ(Pixel(border, border.width / 2, border.height / 2)[3], 200);
    for (int x = 12; x < border.width - 12; ++x)
        ASSERT_TRUE(Pixel(border, x, 2)[3] == 255 && Pixel(border, x, border.height - 3)[3] == 255)
            << x;
}

// Each glyph in the cell the engine lays out for it, with ink, leaving the cell's last column and
// row empty (or the neighbour would show); nothing drawn outside the cells.
TEST_F(AssetTest, FontGlyphsKeepToTheirCells) {
    GLRecorderScope rec;
    TextureInit();
    TextFontInit();
    for (const TexFont* font : {smallFont, largeFont}) {
        const Texture& t = *font->texture;
        std::vector<bool> inCell(size_t(t.width) * t.height);
        std::map<char, int> weight; // the summed brightness of each glyph
        for (int i = 0; i < font->numChars; ++i) {
            const TexFontChar& c = font->tfChar[i];
            int ink = 0;
            for (int y = c.y; y < c.y + c.height; ++y)
                for (int x = c.x; x < c.x + c.width; ++x) {
                    inCell[size_t(y) * t.width + x] = true;
                    const bool lit = !Black(Pixel(t, x, y));
                    ink += lit;
                    weight[static_cast<char>(c.c)] += Pixel(t, x, y)[0];
                    EXPECT_FALSE(lit && (x == c.x + c.width - 1 || y == c.y + c.height - 1))
                        << "'" << c.c << "' touches its cell's edge";
                }
            EXPECT_EQ(ink > 0, c.c != ' ') << "'" << c.c << "' in " << t.fileName;
            // A bar, not the 4 x 2 blob hinting makes of it at small sizes ("in-house" would read
            // "in.house"): half the cell wide at least, and 2 x its height + 2 pixels.
            if (c.c == '-') {
                int left = c.width, right = -1, top = c.height, bottom = -1;
                for (int y = 0; y < c.height; ++y)
                    for (int x = 0; x < c.width; ++x)
                        if (!Black(Pixel(t, c.x + x, c.y + y))) {
                            left = std::min(left, x);
                            right = std::max(right, x);
                            top = std::min(top, y);
                            bottom = std::max(bottom, y);
                        }
                EXPECT_GE(right - left + 1, c.width / 2) << t.fileName;
                EXPECT_GE(right - left + 1, 2 * (bottom - top + 1) + 2) << t.fileName;
            }
        }
        // Each digit in its own cell, or every score reads wrong: the one-stroke 1 and 7 are
        // lighter than the looped 0, 6, 8 and 9.
        for (char thin : {'1', '7'})
            for (char looped : {'0', '6', '8', '9'})
                EXPECT_LT(weight[thin], weight[looped]) << thin << looped << " in " << t.fileName;
        for (int y = 0; y < t.height; ++y)
            for (int x = 0; x < t.width; ++x)
                ASSERT_TRUE(inCell[size_t(y) * t.width + x] || Black(Pixel(t, x, y)))
                    << t.fileName << " ink at " << x << "," << y;
    }
}

// Every edge must be run once in each direction (closed and consistently wound, or back faces
// show through holes) and every connected piece must enclose positive volume (wound
// counter-clockwise seen from outside, or it is drawn inside out). Returns the bounding box.
std::pair<Vec3, Vec3> CheckClosedOutward(const Model* m) {
    std::map<std::tuple<float, float, float>, int> ids;
    std::vector<int> parent;
    auto id = [&](Vec3 p) {
        auto [it, fresh] = ids.try_emplace({p.x, p.y, p.z}, int(ids.size()));
        if (fresh) parent.push_back(it->second);
        return it->second;
    };
    auto find = [&](int i) {
        while (parent[size_t(i)] != i)
            i = parent[size_t(i)];
        return i;
    };
    std::map<std::pair<int, int>, int> edges;
    Vec3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (int i = 0; i < m->triangleCount; ++i) {
        const ModelVertex* v = m->triangles[i].vertex;
        const int k[3] = {id(v[0].pos), id(v[1].pos), id(v[2].pos)};
        for (int e = 0; e < 3; ++e) {
            ++edges[{k[e], k[(e + 1) % 3]}];
            parent[size_t(find(k[e]))] = find(k[(e + 1) % 3]);
            lo = {std::min(lo.x, v[e].pos.x), std::min(lo.y, v[e].pos.y),
                  std::min(lo.z, v[e].pos.z)};
            hi = {std::max(hi.x, v[e].pos.x), std::max(hi.y, v[e].pos.y),
                  std::max(hi.z, v[e].pos.z)};
        }
    }
    int open = 0;
    for (const auto& [e, n] : edges) {
        auto back = edges.find({e.second, e.first});
        open += n != 1 || back == edges.end() || back->second != 1;
    }
    EXPECT_EQ(open, 0) << m->name << ": edges not shared by exactly two opposite triangles";
    std::map<int, double> volume;
    for (int i = 0; i < m->triangleCount; ++i) {
        const ModelVertex* v = m->triangles[i].vertex;
        Vec3 across;
        VecCross(&across, &v[1].pos, &v[2].pos);
        volume[find(id(v[0].pos))] += VecDot(&v[0].pos, &across) / 6.0;
    }
    for (const auto& [piece, v] : volume)
        EXPECT_GT(v, 0.0) << m->name << ": a piece is inside out";
    return {lo, hi};
}

TEST_F(AssetTest, ModelsAreClosedOutwardAndFaceTheirWay) {
    // The sizes play is balanced for, and the rail shot's hit spheres along all its length.
    ModelInit();
    EXPECT_NEAR(bigRock->radius, 2.5f, 1e-3f);
    EXPECT_NEAR(medRock->radius, 1.2f, 1e-3f);
    const Model* rail = railShotModel;
    for (float z = 0.1f - rail->radius; z < rail->radius; z += 0.1f)
        EXPECT_TRUE(std::any_of(rail->points, rail->points + rail->pointCount,
                                [z](const Vec3& p) { return std::fabs(p.z - z) < 1.0f; }))
            << "no hit sphere at z = " << z;
    for (const char* name : {"model/bigrock.3d", "model/medrock.3d"})
        CheckClosedOutward(ModelRead(name));
    auto [shipLo, shipHi] = CheckClosedOutward(ModelRead("model/ship.3d"));
    EXPECT_GT(shipHi.z, -shipLo.z) << "the ship's nose points toward +z";

    // The banner's broad faces show the whole title image, upright: s grows with x, and t with y
    // on the front, against it on the back (upright once the slab has tumbled half a turn).
    const Model* banner = ModelRead("model/banner.3d");
    auto [lo, hi] = CheckClosedOutward(banner);
    int broad = 0;
    for (int i = 0; i < banner->triangleCount; ++i) {
        const ModelVertex* v = banner->triangles[i].vertex;
        const float facing = banner->triangles[i].normal.z;
        if (std::fabs(facing) < 0.5f) continue;
        ++broad;
        for (int k = 0; k < 3; ++k) {
            const float up = (v[k].pos.y - lo.y) / (hi.y - lo.y);
            EXPECT_NEAR(v[k].s, (v[k].pos.x - lo.x) / (hi.x - lo.x), 1e-3f);
            EXPECT_NEAR(v[k].t, facing > 0 ? up : 1 - up, 1e-3f) << facing;
        }
    }
    EXPECT_EQ(broad, 4);
}

// Every sound loads, lasts as long as its part in play (the ship's laser short, the saucer's shot
// longer), is clearly audible, and starts and ends at silence (no click).
TEST_F(AssetTest, SoundsAreAudibleWithoutClicks) {
    const std::pair<const char*, double> sounds[] = {
        {"shoot3", 0.25}, {"shoot", 0.3}, {"explode", 1.2}, {"pickup", 0.5}, {"menu", 0.15}};
    for (auto [name, seconds] : sounds) {
        SCOPED_TRACE(name);
        Sample sample{};
        WaveRead(("sound/" + std::string(name) + ".wav").c_str(), &sample);
        ASSERT_NEAR(sample.dataLength, seconds * 11025, 2);
        const std::string file = ReadFile("sound/" + std::string(name) + ".wav");
        EXPECT_EQ(FileU32(file, 4), file.size() - 8) << "the RIFF size, read by other tools";
        int peak = 0;
        for (uint32_t i = 0; i < sample.dataLength; ++i)
            peak = std::max(peak, std::abs(int(sample.data[i])));
        EXPECT_GT(peak, 90);
        EXPECT_LE(std::abs(int(sample.data[0])), 8) << "starts with a click";
        EXPECT_LE(std::abs(int(sample.data[sample.dataLength - 1])), 3) << "ends with a click";
        delete[] sample.data;
    }
}

// The shipped settings file: every setting line reads back through the real INI reader.
TEST(Assets, DefaultSettingsFileReadsBackThroughTheIniReader) {
    const std::string path = std::string(std::getenv("SKX_SOURCE_DIR")) + "/data/vantor.ini";
    std::istringstream lines(ReadFile(path));
    auto trim = [](std::string v) {
        v.erase(0, v.find_first_not_of(" \t"));
        return v.erase(v.find_last_not_of(" \t\r") + 1);
    };
    int settings = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[') continue;
        const size_t eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        char out[256] = {};
        IniGetString(path.c_str(), trim(line.substr(0, eq)).c_str(), "<absent>", out);
        EXPECT_EQ(out, trim(line.substr(eq + 1))) << line;
        ++settings;
    }
    EXPECT_GE(settings, 40);
}

} // namespace
