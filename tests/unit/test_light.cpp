// Lights: the pool, the settings, and the colours LightDrawModel sends.
#include "gl_recorder.h"
#include "world_fixture.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b;
};

// The Color3f arguments in order, checking that each vertex gets TexCoord, Color, Vertex.
std::vector<Colour> SentColours() {
    std::vector<Colour> out;
    const GLRecordedCall* c = GLRecorderCalls();
    for (int i = 0; i < GLRecorderSize(); ++i) {
        if (std::string(c[i].name) != "Color3f") continue;
        EXPECT_EQ(std::string(c[i - 1].name), "TexCoord2f");
        EXPECT_EQ(std::string(c[i + 1].name), "Vertex3f");
        out.push_back({c[i].args[0], c[i].args[1], c[i].args[2]});
    }
    return out;
}

void ExpectAll(const std::vector<Colour>& colours, double r, double g, double b) {
    ASSERT_EQ(colours.size(), 3u);
    for (const Colour& c : colours) {
        EXPECT_NEAR(c.r, r, 1e-5);
        EXPECT_NEAR(c.g, g, 1e-5);
        EXPECT_NEAR(c.b, b, 1e-5);
    }
}

struct LitScene {
    OneTriangleModel tri;
    Thing thing{};
    LitScene() {
        thing.model = &tri.model;
        thing.scale = 1.0f;
        Vec3 eye = {0.0f, 0.0f, 10.0f};
        LightSetViewer(&eye, 0.5f);
    }
    std::vector<Colour> Draw() {
        GLRecorderClear();
        LightDrawModel(&thing);
        return SentColours();
    }
};

} // namespace

TEST(Light, SettingsAndTheirLimits) {
    {
        WorldScope world("lights = 7\ngamma = 1.5\n");
        EXPECT_EQ(lights, 4);
        EXPECT_EQ(lightGamma, 1.5f);
    }
    {
        WorldScope world("lights = -2\n");
        EXPECT_EQ(lights, 0);
    }
}

TEST(Light, LightsLastOneSliceAndThePoolIsFixed) {
    WorldScope world;
    Vec3 p = {1, 2, 3};
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < LIGHT_MAX; ++i)
            LightCreate(&p, 49.0f, 1, 1, 1);
        LightClearAll();
        EXPECT_EQ(lightFreeIndex.count, LIGHT_MAX);
    }
    Light* l = LightCreate(&p, 4.0f, 0.1f, 0.2f, 0.3f);
    EXPECT_EQ(l->invRadius, 0.25f);
}

void CreateOneLightTooMany() {
    WorldScope world;
    Vec3 p = {0, 0, 0};
    for (int i = 0; i <= LIGHT_MAX; ++i)
        LightCreate(&p, 1.0f, 1, 1, 1);
}

TEST(Light, The101stLightEndsTheProgram) {
    EXPECT_EXIT(CreateOneLightTooMany(), testing::ExitedWithCode(1), "");
}

TEST(Light, GammaTwoAndViewerHalfGiveWhiteHeadOn) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);
    // Culling off around one triangle list, on again after it; texture coordinates pass through.
    std::vector<std::string> names = GLRecorderNames();
    EXPECT_EQ(GLRecorderCalls()[0].args[0], GL_CULL_FACE);
    EXPECT_EQ(names[1], "Begin");
    EXPECT_EQ(names.back(), "Enable");
    int tex = GLRecorderFind("TexCoord2f", GLRecorderFind("TexCoord2f") + 1);
    EXPECT_FLOAT_EQ(GLRecorderCalls()[tex].args[0], 0.25);
}

TEST(Light, DarkLevelIsBlackAndNoDynamicLightUsesHalfGrey) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 eye = {0, 0, 10};
    LightSetViewer(&eye, 0.0f);
    ExpectAll(scene.Draw(), 0.0, 0.0, 0.0);
    Vec3 near = {0, 0, 3};
    LightCreate(&near, 100.0f, 1.0f, 0.0f, 0.0f);
    scene.thing.flags = THING_NO_DYNAMIC_LIGHT; // ignores both the dark viewer and the light
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);
}

TEST(Light, NoDynamicLightingWithLightsZero) {
    WorldScope world("lights = 0\n");
    GLRecorderScope rec;
    LitScene scene;
    Vec3 inside = {0, 0, 0.5f};
    LightCreate(&inside, 100.0f, 1.0f, 1.0f, 1.0f); // would brighten the model if considered
    Vec3 near = {0, 0, 3};
    LightCreate(&near, 100.0f, 1.0f, 1.0f, 1.0f);
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);
    EXPECT_EQ(lightSortIndex.count, 0);
}

TEST(Light, ALightInsideTheModelBrightensItEvenly) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 inside = {0, 0, 1.0f}; // squared distance 1 < radiusSq 2.25
    LightCreate(&inside, 100.0f, 0.5f, 0.0f, 0.25f);
    ExpectAll(scene.Draw(), 2.0, 1.0, 1.5);
    EXPECT_EQ(lightSortIndex.count, 0); // taken out of the per-vertex list
    // Scaled by each vertex's facing toward the viewer.
    for (ModelVertex& v : scene.tri.triangle.vertex)
        v.normal = {0.6f, 0.0f, 0.8f};
    ExpectAll(scene.Draw(), 1.6, 0.8, 1.2);
}

TEST(Light, FiveLightsWithLimitThreeKeepTheNearestByReach) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 p1 = {0, 0, 3}, p2 = {0, 0, 4}, p3 = {0, 0, 5}, p4 = {0, 0, 6}, p5 = {0, 0, 8};
    LightCreate(&p1, 4.0f, 1, 1, 1);               // nearest, but key 9/4: out
    LightCreate(&p5, 100.0f, 1, 1, 1);             // key 0.64: out
    Light* l2 = LightCreate(&p2, 100.0f, 1, 1, 1); // 0.16
    Light* l4 = LightCreate(&p4, 100.0f, 1, 1, 1); // 0.36
    Light* l3 = LightCreate(&p3, 100.0f, 1, 1, 1); // 0.25
    scene.Draw();
    ASSERT_EQ(lightSortIndex.count, 3);
    EXPECT_EQ(lightSortIndex.items[0], l2);
    EXPECT_EQ(lightSortIndex.items[1], l3);
    EXPECT_EQ(lightSortIndex.items[2], l4);
}

TEST(Light, PerVertexFalloffUsesOffsetPlusVertexAndEndsAtTheReach) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 edge = {0, 0, 7}; // radius 49: |O + P| >= 7 for every vertex of the triangle
    LightCreate(&edge, 49.0f, 1, 1, 1);
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);

    LightClearAll();
    Vec3 p = {1.0f, 0.0f, 6.5f};
    LightCreate(&p, 49.0f, 0.5f, 0.0f, 0.0f);
    std::vector<Colour> c = scene.Draw();
    ASSERT_EQ(c.size(), 3u);
    const Vec3 verts[3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    double facing = 6.5 / std::sqrt(1.0 + 6.5 * 6.5); // light direction . (0, 0, 1)
    for (int k = 0; k < 3; ++k) {
        Vec3 o = {p.x + verts[k].x, p.y + verts[k].y, p.z + verts[k].z};
        double a = 1.0 - VecDot(&o, &o) / 49.0;
        double expected = 1.0 + (a > 0 ? facing * a * 2.0 * 0.5 : 0.0);
        EXPECT_NEAR(c[k].r, expected, 1e-5) << "vertex " << k;
    }
    EXPECT_GT(c[0].r, c[1].r); // vertex 0 lies nearer by the O + P rule
}

TEST(Light, CullsByTheViewerDirectionInModelSpace) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 behind = {0, 0, -10};
    LightSetViewer(&behind, 0.5f);
    EXPECT_TRUE(scene.Draw().empty());
    scene.thing.yaw = 180.0f; // turned round: now it faces the viewer
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);
    Vec3 front = {0, 0, 10};
    LightSetViewer(&front, 0.5f);
    EXPECT_TRUE(scene.Draw().empty());
    scene.thing.yaw = 0.0f;
    scene.thing.pitch = 100.0f; // facing +z turns to face mostly -y
    EXPECT_TRUE(scene.Draw().empty());
    Vec3 below = {0, -10, 0};
    LightSetViewer(&below, 0.5f);
    EXPECT_EQ(scene.Draw().size(), 3u);
}

TEST(Light, SmoothNormalsByDefaultFaceNormalsForTheShadeVariant) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    for (ModelVertex& v : scene.tri.triangle.vertex)
        v.normal = {0.0f, -0.6f, 0.8f};
    ExpectAll(scene.Draw(), 0.8, 0.8, 0.8);
    scene.thing.flags = THING_SHADE_VARIANT;
    ExpectAll(scene.Draw(), 1.0, 1.0, 1.0);
    // A vertex normal facing away gets no viewer light at all, never a negative colour.
    scene.thing.flags = 0;
    for (ModelVertex& v : scene.tri.triangle.vertex)
        v.normal = {0.0f, 0.0f, -1.0f};
    ExpectAll(scene.Draw(), 0.0, 0.0, 0.0);
}

TEST(Light, AViewerAtTheThingsCentreDrawsNothingInsteadOfNaN) {
    WorldScope world;
    GLRecorderScope rec;
    LitScene scene;
    Vec3 centre = {0, 0, 0};
    LightSetViewer(&centre, 0.5f);
    EXPECT_TRUE(scene.Draw().empty());
}
