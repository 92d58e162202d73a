// Lights: the settings, the fixed pool, and the colours LightDrawModel sends for one triangle.
#include "gl_recorder.h"
#include "world_fixture.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b;
};

// The vertex colours of one LightDrawModel call of thing, in order: the colour array it hands to
// GL, read back for each draw call.
std::vector<Colour> Draw(const Thing& thing) {
    GLRecorderClear();
    LightDrawModel(&thing);
    std::vector<Colour> out;
    const GLRecordedCall* c = GLRecorderCalls();
    const int pointer = GLRecorderFind("ColorPointer");
    if (pointer < 0) return out;
    const auto* first = reinterpret_cast<const LightVertex*>(
        reinterpret_cast<const char*>(uintptr_t(c[pointer].args[3])) - offsetof(LightVertex, red));
    for (int i = GLRecorderFind("DrawArrays"); i >= 0; i = GLRecorderFind("DrawArrays", i + 1))
        for (int v = 0; v < int(c[i].args[2]); ++v)
            out.push_back({first[v].red, first[v].green, first[v].blue});
    return out;
}

void ExpectAll(const std::vector<Colour>& colours, Colour want, const std::string& what) {
    ASSERT_EQ(colours.size(), 3u) << what;
    for (const Colour& c : colours) {
        EXPECT_NEAR(c.r, want.r, 1e-5) << what;
        EXPECT_NEAR(c.g, want.g, 1e-5) << what;
        EXPECT_NEAR(c.b, want.b, 1e-5) << what;
    }
}

TEST(Light, SettingsAndTheFixedPool) {
    {
        WorldScope world("lights = 7\ngamma = 1.5\n");
        EXPECT_EQ(lights, 4);
        EXPECT_EQ(lightGamma, 1.5f);
    }
    WorldScope world("lights = -2\n");
    EXPECT_EQ(lights, 0);
    Vec3 p = {1, 2, 3};
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < LIGHT_MAX; ++i)
            LightCreate(&p, 49.0f, 1, 1, 1);
        LightClearAll();
    }
    EXPECT_EQ(lightFreeIndex.count, LIGHT_MAX);
    EXPECT_EXIT(
        {
            for (int i = 0; i <= LIGHT_MAX; ++i)
                LightCreate(&p, 1.0f, 1, 1, 1);
        },
        testing::ExitedWithCode(1), "");
}

// One triangle facing +z at the origin, its vertex normals set by the case, seen from the viewer
// with a grey (0.5 is white head-on at the default gamma of 2). A negative red wants any three
// colours; not drawn means culled.
TEST(Light, ColoursOfOneTriangle) {
    struct LightAt {
        Vec3 pos;
        float radius, r, g, b;
    };
    struct Case {
        const char* what;
        const char* ini;
        Vec3 viewer;
        float grey;
        Vec3 normal;
        uint32_t flags;
        float yaw, pitch;
        std::vector<LightAt> lights;
        bool drawn;
        Colour want;
    };
    const Vec3 eye = {0, 0, 10}, up = {0, 0, 1};
    const LightAt red = {{0, 0, 3}, 100.0f, 1, 0, 0};
    const Case cases[] = {
        {"head on", "", eye, 0.5f, up, 0, 0, 0, {}, true, {1, 1, 1}},
        {"dark level", "", eye, 0.0f, up, 0, 0, 0, {}, true, {0, 0, 0}},
        {"no dynamic light",
         "",
         eye,
         0.0f,
         up,
         THING_NO_DYNAMIC_LIGHT,
         0,
         0,
         {red},
         true,
         {1, 1, 1}},
        {"lights = 0",
         "lights = 0\n",
         eye,
         0.5f,
         up,
         0,
         0,
         0,
         {red, {{0, 0, 0.5f}, 100, 1, 1, 1}},
         true,
         {1, 1, 1}},
        {"light inside",
         "",
         eye,
         0.5f,
         up,
         0,
         0,
         0,
         {{{0, 0, 1}, 100, 0.5f, 0, 0.25f}},
         true,
         {2, 1, 1.5}},
        {"inside, tilted normals",
         "",
         eye,
         0.5f,
         {0.6f, 0, 0.8f},
         0,
         0,
         0,
         {{{0, 0, 1}, 100, 0.5f, 0, 0.25f}},
         true,
         {1.6, 0.8, 1.2}},
        {"beyond the reach",
         "",
         eye,
         0.5f,
         up,
         0,
         0,
         0,
         {{{0, 0, 7}, 49, 1, 1, 1}},
         true,
         {1, 1, 1}},
        {"smooth normals", "", eye, 0.5f, {0, -0.6f, 0.8f}, 0, 0, 0, {}, true, {0.8, 0.8, 0.8}},
        {"face normal for the shade variant",
         "",
         eye,
         0.5f,
         {0, -0.6f, 0.8f},
         THING_SHADE_VARIANT,
         0,
         0,
         {},
         true,
         {1, 1, 1}},
        {"vertex normal facing away", "", eye, 0.5f, {0, 0, -1}, 0, 0, 0, {}, true, {0, 0, 0}},
        {"viewer behind", "", {0, 0, -10}, 0.5f, up, 0, 0, 0, {}, false, {}},
        {"turned round to the viewer", "", {0, 0, -10}, 0.5f, up, 0, 180, 0, {}, true, {1, 1, 1}},
        {"pitched away", "", eye, 0.5f, up, 0, 0, 100, {}, false, {}},
        {"pitched toward", "", {0, -10, 0}, 0.5f, up, 0, 0, 100, {}, true, {-1, 0, 0}},
        {"viewer at the centre", "", {0, 0, 0}, 0.5f, up, 0, 0, 0, {}, false, {}},
    };
    for (const Case& c : cases) {
        WorldScope world(c.ini);
        GLRecorderScope rec;
        OneTriangleModel tri;
        for (ModelVertex& v : tri.triangle.vertex)
            v.normal = c.normal;
        Thing thing{};
        thing.model = &tri.model;
        thing.scale = 1.0f;
        thing.flags = c.flags;
        thing.yaw = c.yaw;
        thing.pitch = c.pitch;
        LightSetViewer(&c.viewer, c.grey);
        for (const LightAt& l : c.lights)
            LightCreate(&l.pos, l.radius, l.r, l.g, l.b);
        const std::vector<Colour> colours = Draw(thing);
        if (!c.drawn)
            EXPECT_TRUE(colours.empty()) << c.what;
        else if (c.want.r < 0)
            EXPECT_EQ(colours.size(), 3u) << c.what;
        else
            ExpectAll(colours, c.want, c.what);
    }
}

TEST(Light, TheNearestByReachLightEachVertexByItsOwnDistance) {
    WorldScope world;
    GLRecorderScope rec;
    OneTriangleModel tri;
    Thing thing{};
    thing.model = &tri.model;
    thing.scale = 1.0f;
    const Vec3 eye = {0, 0, 10};
    LightSetViewer(&eye, 0.5f);
    Vec3 p1 = {0, 0, 3}, p2 = {0, 0, 4}, p3 = {0, 0, 5}, p4 = {0, 0, 6}, p5 = {0, 0, 8};
    LightCreate(&p1, 4.0f, 1, 1, 1);               // nearest, but 9 / 4 of its reach: out
    LightCreate(&p5, 100.0f, 1, 1, 1);             // 0.64: out
    Light* l2 = LightCreate(&p2, 100.0f, 1, 1, 1); // 0.16
    Light* l4 = LightCreate(&p4, 100.0f, 1, 1, 1); // 0.36
    Light* l3 = LightCreate(&p3, 100.0f, 1, 1, 1); // 0.25
    Draw(thing);
    ASSERT_EQ(lightSortIndex.count, 3);
    EXPECT_EQ(lightSortIndex.items[0], l2);
    EXPECT_EQ(lightSortIndex.items[1], l3);
    EXPECT_EQ(lightSortIndex.items[2], l4);

    LightClearAll();
    Vec3 p = {1.0f, 0.0f, 6.5f};
    LightCreate(&p, 49.0f, 0.5f, 0.0f, 0.0f);
    std::vector<Colour> c = Draw(thing);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_GT(c[0].r, c[1].r); // vertex (-1, -1) is nearer by the offset-plus-vertex rule
    EXPECT_GT(c[1].r, 1.0);
}

} // namespace
