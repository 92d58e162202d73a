// Thing engine: pool and ids, deferred death, culling, draw order, bounce, the draw callbacks.
#include "render/scene.h"
#include "gl_recorder.h"
#include "render/texture.h"
#include "world_fixture.h"

#include <cmath>
#include <vector>

namespace {

std::vector<uint32_t> drawn;
int thinkCalls = 0;
void RecordDraw(Thing* thing) {
    drawn.push_back(thing->id);
}
void CountThink(Thing*, float) {
    ++thinkCalls;
}

Thing* MakeDrawn(Vec3 pos, uint32_t flags = 0) {
    Thing* t = ThingCreate();
    t->pos = pos;
    t->flags = flags;
    t->draw = RecordDraw;
    return t;
}

std::vector<uint32_t> DrawAll() {
    drawn.clear();
    ThingDrawAll();
    return drawn;
}

} // namespace

TEST(Thing, PoolIdsDeferredDeathAndThingsMadeDuringThePass) {
    WorldScope world;
    GLRecorderScope rec;
    thinkCalls = 0;
    Thing* a = ThingCreate();
    Thing* b = MakeDrawn({0, 0, -5});
    b->think = [](Thing* t, float) { t->flags |= THING_DEAD; };
    Thing* last = ThingCreate();
    last->think = [](Thing* t, float) { // makes another, which thinks in the same pass
        CountThink(t, 0);
        t->think = CountThink;
        ThingCreate()->think = CountThink;
    };
    EXPECT_EQ(a->id, 1u);
    a->flags |= THING_DEAD;
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thinkCalls, 2); // the last thing moved into the freed slot still thought
    EXPECT_EQ(thingIndex.count, 3);
    EXPECT_TRUE(DrawAll().empty()); // self-killed: kept until the next pass, never drawn
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingIndex.count, 2);
    EXPECT_EQ(ThingCreate()->id, 5u); // ids are never reused
    ThingKillAll();
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingFreeIndex.count, THING_MAX);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(last);
    for (size_t i = 0; i < sizeof(Thing); ++i)
        ASSERT_EQ(bytes[i], 0) << "freed records return cleared";
    EXPECT_EXIT(
        {
            for (int i = 0; i <= THING_MAX; ++i)
                ThingCreate();
        },
        testing::ExitedWithCode(1), "");
}

TEST(Thing, CullsOnlyBySidePlanesFromModelRadiusTimesScale) {
    struct Case {
        Vec3 pos;
        float scale, radius;
        double fov;
        float yaw;
        bool drawn;
    };
    // At 90 degrees a thing straight behind is drawn while D cos 45 <= its radius.
    const Case cases[] = {
        {{0, 0, 1.40f}, 1, 0, 90, 0, true},     {{0, 0, 1.42f}, 1, 0, 90, 0, false},
        {{0, 0, -1e6f}, 1, 0, 90, 0, true},     {{0, 0, 3.0f}, 2.5f, 0, 90, 0, true},
        {{0, 0, 2.9f}, 1, 2.0f, 90, 0, false},  {{0, 0, 2.8f}, 1, 2.0f, 90, 0, true},
        {{0, 0, 2.9f}, 1, 2.0f, 90, 180, true}, {{20, 0, -20}, 1, 0, 90, 0, true},
        {{20, 0, -20}, 1, 0, 60, 0, false},
    };
    for (const Case& c : cases) {
        WorldScope world;
        GLRecorderScope rec;
        Model sphere = SphereModel(c.radius);
        Thing* t = MakeDrawn(c.pos);
        t->scale = c.scale;
        if (c.radius > 0) t->model = &sphere;
        fieldOfView = c.fov;
        cameraYaw = c.yaw;
        EXPECT_EQ(DrawAll().size(), c.drawn ? 1u : 0u) << c.pos.x << " " << c.pos.z;
    }
}

TEST(Thing, OpaqueFirstThenTranslucentFarToNearAndEmptyPoolsStillSetTheirState) {
    WorldScope world;
    GLRecorderScope rec;
    ThingDrawAll();
    ParticleDraw();
    EXPECT_EQ(GLRecorderCount("CullFace"), 1);
    EXPECT_EQ(GLRecorderCount("AlphaFunc"), 1);
    Model sphere = SphereModel(1.0f);
    Thing* near = MakeDrawn({0, 0, -5}, THING_TRANSLUCENT);
    Thing* far = MakeDrawn({0, 0, -20}, THING_TRANSLUCENT);
    Thing* tieBig = MakeDrawn({0, 0, -10}, THING_TRANSLUCENT);
    Thing* tieSmall = MakeDrawn({0, 0, -10}, THING_TRANSLUCENT);
    Thing* opaque = MakeDrawn({0, 0, -30});
    for (Thing* t : {near, far, tieBig, tieSmall, opaque})
        t->model = &sphere;
    tieBig->scale = 2.0f;
    tieSmall->scale = 0.5f;
    EXPECT_EQ(DrawAll(),
              (std::vector<uint32_t>{opaque->id, far->id, tieSmall->id, tieBig->id, near->id}));
}

TEST(Thing, BounceTurnsOnlyOutgoingVelocityBeyondTheBound) {
    WorldScope world;
    struct Case {
        Vec3 pos, vel, after;
    };
    const Case cases[] = {
        {{60, 0, 0}, {-3, 0, 0}, {-3, 0, 0}},      // already returning
        {{60, 0, 0}, {3, 0, 0}, {-3, 0, 0}},       // never clamped, only turned
        {{-60, 0, 0}, {-3, 0, 0}, {3, 0, 0}},      // the other side
        {{0, 100, -48.6f}, {1, 5, -2}, {1, 5, 2}}, // y is not bounded
        {{0, 0, 48.6f}, {0, 0, 2}, {0, 0, -2}},    {{0, 0, -48.6f}, {0, 0, 2}, {0, 0, 2}},
        {{48.5f, 0, 48.5f}, {1, 0, 1}, {1, 0, 1}}, // on the bound: not beyond it
    };
    for (const Case& c : cases) {
        Thing t{};
        t.pos = c.pos;
        t.vel = c.vel;
        ThingBounce(&t);
        EXPECT_EQ(t.vel.x, c.after.x) << c.pos.x << " " << c.pos.z;
        EXPECT_EQ(t.vel.y, c.after.y);
        EXPECT_EQ(t.vel.z, c.after.z) << c.pos.x << " " << c.pos.z;
        EXPECT_EQ(t.pos.x, c.pos.x);
    }
    Thing t{};
    ThingHit(&t, THING_HIT_SHIP_SHOT); // no callback: nothing happens
}

TEST(Thing, PostCubeFacesOutwardWithCornerColours) {
    GLRecorderScope rec;
    Thing t{};
    t.pos = {5, 0, -3};
    t.scale = 0.4f;
    ThingDrawPost(&t);
    std::vector<Vec3> verts;
    const GLRecordedCall* calls = GLRecorderCalls();
    for (int i = GLRecorderFind("Vertex3f"); i >= 0; i = GLRecorderFind("Vertex3f", i + 1)) {
        verts.push_back(
            {float(calls[i].args[0]), float(calls[i].args[1]), float(calls[i].args[2])});
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(calls[i - 1].args[k], (calls[i].args[k] + 1.0) / 2.0);
    }
    ASSERT_EQ(verts.size(), 24u);
    const Vec3 outward[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int f = 0; f < 6; ++f) {
        Vec3 e1 = verts[f * 4 + 1], e2 = verts[f * 4 + 2], n;
        VecSub(&e1, &verts[f * 4]);
        VecSub(&e2, &verts[f * 4]);
        VecCross(&n, &e1, &e2);
        EXPECT_GT(VecDot(&n, &outward[f]), 0.0) << "face " << f;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(VecDot(&verts[f * 4 + k], &outward[f]), 1.0) << "face " << f;
    }
}

TEST(Thing, DrawModelSetsAndRestoresStateForItsFlags) {
    GLRecorderScope rec;
    OneTriangleModel tri;
    Texture tex{};
    tex.glName = 13;
    Thing t{};
    t.model = &tri.model;
    t.texture = &tex;
    t.scale = 1.0f;
    t.flags = THING_UNLIT | THING_TRANSLUCENT | THING_NO_DEPTH_TEST | THING_INSIDE_OUT;
    for (int32_t fx : {1, 0}) {
        niceFx = fx;
        GLRecorderClear();
        ThingDrawModel(&t);
        const GLRecordedCall* c = GLRecorderCalls();
        EXPECT_EQ(c[GLRecorderFind("BindTexture")].args[1], 13.0);
        EXPECT_EQ(GLRecorderCount("BlendFunc"), fx); // opaque without nicefx
        const int cullFront = GLRecorderFind("CullFace");
        const int begin = GLRecorderFind("Begin");
        EXPECT_EQ(c[cullFront].args[0], GL_FRONT);
        EXPECT_GT(begin, cullFront);
        EXPECT_EQ(c[GLRecorderFind("CullFace", begin)].args[0], GL_BACK);
        bool depthBackOn = false;
        for (int i = GLRecorderFind("Enable", begin); i >= 0; i = GLRecorderFind("Enable", i + 1))
            depthBackOn = depthBackOn || c[i].args[0] == GL_DEPTH_TEST;
        EXPECT_TRUE(depthBackOn);
    }
    niceFx = 1;
}
