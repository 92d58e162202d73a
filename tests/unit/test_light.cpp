// Lights: the settings, the fixed pool, and the colours LightDrawModel sends for one triangle.
// Particles: the emitters' count rule and carry.
#include "game_fixture.h"
#include "gl_recorder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

struct Colour {
    double r, g, b;
};

// LightDrawModel of thing: the vertices of its draw calls, and the colours of the last call's
// (the batch it hands to GL as a colour array).
int DrawLit(const Thing& thing, std::vector<float>* colours = nullptr) {
    GLRecorderClear();
    ThingDrawLit(&thing);
    const GLRecordedCall* c = GLRecorderCalls();
    int count = 0, last = 0;
    for (int i = GLRecorderFind("DrawArrays"); i >= 0; i = GLRecorderFind("DrawArrays", i + 1))
        count += last = int(c[i].args[2]);
    // The recorder keeps the colour pointer as an integer.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    const auto* v = reinterpret_cast<const LightVertex*>(
        uintptr_t(c[std::max(0, GLRecorderFind("ColorPointer"))].args[3]) -
        offsetof(LightVertex, red));
    for (int i = 0; colours && i < last; ++i)
        colours->insert(colours->end(), {v[i].red, v[i].green, v[i].blue});
    return count;
}

TEST(Light, SettingsAndTheFixedPool) {
    GameScope scope("lights = -2\n");
    EXPECT_EQ(lights, 0);
    const Vec3 p = {1, 2, 3};
    EXPECT_EXIT(
        {
            for (int i = 0; i <= LIGHT_MAX; ++i)
                LightCreate(&p, 1.0f, 1, 1, 1);
        },
        testing::ExitedWithCode(1), "");
}

// One triangle facing +z with the case's vertex normals, seen from the viewer with a grey (0.5 is
// white head-on at gamma 2). Lights: 1 red at z = 3; 2 that and a white one, with "lights = 0";
// 3 a purple one in reach, 4 a white one out of reach; 5 as 2 with "lights = 1": the nearer only.
// A red of -1 wants it culled.
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
        {"beyond the reach", eye, 0.5f, up, 0, 0, 0, 4, {1, 1, 1}},
        {"lights = 1", eye, 0.5f, up, 0, 0, 0, 5, {3, 3, 3}},
        {"smooth normals", eye, 0.5f, smooth, 0, 0, 0, 0, {0.8, 0.8, 0.8}},
        {"the shade variant: face normals", eye, 0.5f, smooth, SHADE, 0, 0, 0, {1, 1, 1}},
        {"vertex normal facing away", eye, 0.5f, {0, 0, -1}, 0, 0, 0, 0, {0, 0, 0}},
        {"viewer behind", back, 0.5f, up, 0, 0, 0, 0, {-1, 0, 0}},
        {"turned round to the viewer", back, 0.5f, up, 0, 180, 0, 0, {1, 1, 1}},
        {"pitched away", eye, 0.5f, up, 0, 0, 100, 0, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        GameScope scope(c.lights == 2 ? "lights = 0\n" : c.lights == 5 ? "lights = 1\n" : "");
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
        if (c.lights == 1 || c.lights == 2 || c.lights == 5) LightCreate(&near, 100.0f, 1, 0, 0);
        if (c.lights == 2 || c.lights == 5) LightCreate(&inside, 100.0f, 1, 1, 1);
        if (c.lights == 3) LightCreate(&inside, 100.0f, 0.5f, 0, 0.25f);
        if (c.lights == 4) LightCreate(&far, 49.0f, 1, 1, 1);
        std::vector<float> colours;
        ASSERT_EQ(DrawLit(thing, &colours), c.want.r == -1 ? 0 : 3) << c.what;
        const double want[3] = {c.want.r, c.want.g, c.want.b};
        for (size_t i = 0; i < colours.size(); ++i)
            EXPECT_NEAR(colours[i], want[i % 3], 1e-5) << c.what;
    }
}

// Every triangle of a closed model faces one of two opposite viewers: the two draws together send
// them all, however many batches that takes.
TEST(Light, ABigModelIsSentInBatchesAndNoneIsLost) {
    GameScope scope;
    GLRecorderScope rec;
    Thing thing{};
    thing.model = ModelCreateSphere(64, 40, 1.0f, 0);
    thing.scale = 1.0f;
    int sent = 0;
    for (float side : {1.0f, -1.0f}) {
        const Vec3 eye = {3 * side, 5 * side, 1000 * side};
        LightSetViewer(&eye, 0.5f);
        sent += DrawLit(thing);
    }
    EXPECT_GT(thing.model->triangleCount, LIGHT_BATCH_VERTICES);
    EXPECT_EQ(sent, thing.model->triangleCount * 3);
}

TEST(Particle, EmitterCountsFollowDensityAndCarry) {
    struct Case {
        const char* ini;
        int explosion, sparkles;
    };
    // 2 + 3 at pdensity 10, not one short in single precision; the carry keeps the long-run
    // rate exact: 35 a second for 20 s at half density.
    for (const Case& c : {Case{"", 50, 700}, Case{"pdensity = 50\n", 25, 350},
                          Case{"pdensity = 10\n", 5, 70}, Case{"pdensity = 0\n", 0, 0}}) {
        GameScope scope(c.ini);
        const Vec3 o = {1, 2, 3}, v = {10, 0, 0};
        ParticleExplosion(&o, &v);
        EXPECT_EQ(particleIndex.count, c.explosion) << c.ini;
        for (int i = 0; i < particleIndex.count; ++i) {
            const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
            EXPECT_NEAR(p->vel.x, 10.0f, 3.0f); // the burst's own speed is at most 3
        }
        float carry = 0.0f;
        int emitted = 0;
        for (int slice = 0; slice < 400; ++slice) {
            ParticleClearAll();
            ParticleSparkleGreen(&o, &v, 35.0f, 0.05f, carry);
            emitted += particleIndex.count;
        }
        EXPECT_NEAR(emitted, c.sparkles, 1) << c.ini;
    }
    GameScope scope("ptexture = 0\n"); // the flat style has no exhaust
    float carry = 0.5f;
    const Vec3 at = {0, 0, 0}, v = {0, 0, -10};
    ParticleExhaust(&at, &v, 100.0f, 0.1f, carry);
    EXPECT_EQ(carry, 0.5f);
    EXPECT_EQ(particleIndex.count, 0);
    // Only a particle ahead of the camera is drawn: one quad.
    GLRecorderScope rec;
    for (float z : {-5.0f, 5.0f})
        ParticleAlloc()->pos = {cameraPos.x, cameraPos.y, cameraPos.z + z};
    ParticleDraw();
    ASSERT_EQ(GLRecorderCount("Vertex3f"), 4);
    EXPECT_LT(GLRecorderCalls()[GLRecorderFind("Vertex3f")].args[2], cameraPos.z);
}

} // namespace
