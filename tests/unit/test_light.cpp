// Lights: the settings, the fixed pool, and the colours LightDrawModel sends for one triangle.
#include "game_fixture.h"
#include "gl_recorder.h"

#include <vector>

namespace {

struct Colour {
    double r, g, b;
};

// The Color3f arguments of one LightDrawModel call of thing, in order.
std::vector<Colour> Draw(const Thing& thing) {
    GLRecorderClear();
    LightDrawModel(&thing);
    std::vector<Colour> out;
    const GLRecordedCall* c = GLRecorderCalls();
    for (int i = GLRecorderFind("Color3f"); i >= 0; i = GLRecorderFind("Color3f", i + 1))
        out.push_back({c[i].args[0], c[i].args[1], c[i].args[2]});
    return out;
}

TEST(Light, SettingsAndTheFixedPool) {
    {
        GameScope scope("lights = 7\ngamma = 1.5\n");
        EXPECT_EQ(lights, 4);
        EXPECT_EQ(lightGamma, 1.5f);
    }
    GameScope scope("lights = -2\n");
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
// with a grey (0.5 is white head-on at the default gamma of 2). Lights: 1 red at z = 3, 2 the same
// and a white one with "lights = 0", 3 a purple one inside the triangle's reach, 4 a white one
// beyond its reach. A red of -1 wants nothing drawn (culled), -2 any three colours.
TEST(Light, ColoursOfOneTriangle) {
    struct Case {
        const char* what;
        Vec3 viewer;
        float grey;
        Vec3 normal;
        uint32_t flags;
        float yaw, pitch;
        int lights;
        Colour want;
    };
    const Vec3 eye = {0, 0, 10}, back = {0, 0, -10}, up = {0, 0, 1}, smooth = {0, -0.6f, 0.8f};
    const uint32_t NO_DYN = THING_NO_DYNAMIC_LIGHT, SHADE = THING_SHADE_VARIANT;
    const Case cases[] = {
        {"head on", eye, 0.5f, up, 0, 0, 0, 0, {1, 1, 1}},
        {"dark level", eye, 0.0f, up, 0, 0, 0, 0, {0, 0, 0}},
        {"no dynamic light", eye, 0.0f, up, NO_DYN, 0, 0, 1, {1, 1, 1}},
        {"lights = 0", eye, 0.5f, up, 0, 0, 0, 2, {1, 1, 1}},
        {"light inside", eye, 0.5f, up, 0, 0, 0, 3, {2, 1, 1.5}},
        {"inside, tilted normals", eye, 0.5f, {0.6f, 0, 0.8f}, 0, 0, 0, 3, {1.6, 0.8, 1.2}},
        {"beyond the reach", eye, 0.5f, up, 0, 0, 0, 4, {1, 1, 1}},
        {"smooth normals", eye, 0.5f, smooth, 0, 0, 0, 0, {0.8, 0.8, 0.8}},
        {"the shade variant: face normals", eye, 0.5f, smooth, SHADE, 0, 0, 0, {1, 1, 1}},
        {"vertex normal facing away", eye, 0.5f, {0, 0, -1}, 0, 0, 0, 0, {0, 0, 0}},
        {"viewer behind", back, 0.5f, up, 0, 0, 0, 0, {-1, 0, 0}},
        {"turned round to the viewer", back, 0.5f, up, 0, 180, 0, 0, {1, 1, 1}},
        {"pitched away", eye, 0.5f, up, 0, 0, 100, 0, {-1, 0, 0}},
        {"pitched toward", {0, -10, 0}, 0.5f, up, 0, 0, 100, 0, {-2, 0, 0}},
        {"viewer at the centre", {0, 0, 0}, 0.5f, up, 0, 0, 0, 0, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        GameScope scope(c.lights == 2 ? "lights = 0\n" : "");
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
        const Vec3 near = {0, 0, 3}, inside = {0, 0, 1}, far = {0, 0, 7};
        if (c.lights == 1 || c.lights == 2) LightCreate(&near, 100.0f, 1, 0, 0);
        if (c.lights == 2) LightCreate(&inside, 100.0f, 1, 1, 1);
        if (c.lights == 3) LightCreate(&inside, 100.0f, 0.5f, 0, 0.25f);
        if (c.lights == 4) LightCreate(&far, 49.0f, 1, 1, 1);
        const std::vector<Colour> colours = Draw(thing);
        ASSERT_EQ(colours.size(), c.want.r == -1 ? 0u : 3u) << c.what;
        for (const Colour& got : colours)
            if (c.want.r >= 0) {
                EXPECT_NEAR(got.r, c.want.r, 1e-5) << c.what;
                EXPECT_NEAR(got.g, c.want.g, 1e-5) << c.what;
                EXPECT_NEAR(got.b, c.want.b, 1e-5) << c.what;
            }
    }
}

} // namespace
