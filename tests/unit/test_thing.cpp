// Thing engine: pool and ids, deferred death, culling, draw order, bounce.
#include "game_fixture.h"
#include "gl_recorder.h"

#include <vector>

namespace {

std::vector<uint32_t> drawn;
int thinkCalls = 0;

Thing* MakeDrawn(Vec3 pos, uint32_t flags = 0) {
    Thing* t = ThingCreate();
    t->pos = pos;
    t->flags = flags;
    t->draw = [](Thing* thing) { drawn.push_back(thing->id); };
    return t;
}

std::vector<uint32_t> DrawAll() {
    drawn.clear();
    ThingDrawAll();
    return drawn;
}

} // namespace

TEST(Thing, PoolIdsDeferredDeathAndThingsMadeDuringThePass) {
    GameScope scope;
    CameraAtOrigin();
    GLRecorderScope rec;
    thinkCalls = 0;
    Thing* a = ThingCreate();
    MakeDrawn({0, 0, -5})->think = [](Thing* t, float) { t->flags |= THING_DEAD; };
    Thing* last = ThingCreate();
    last->think = [](Thing* t, float) { // makes another, which thinks in the same pass
        t->think = [](Thing*, float) { ++thinkCalls; };
        ThingCreate()->think = t->think;
        ++thinkCalls;
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
        GameScope scope;
        CameraAtOrigin();
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
    GameScope scope;
    CameraAtOrigin();
    GLRecorderScope rec;
    ThingDrawAll();
    ParticleDraw();
    EXPECT_EQ(GLRecorderCount("CullFace"), 1);
    EXPECT_EQ(GLRecorderCount("AlphaFunc"), 1);
    Model sphere = SphereModel(1.0f);
    std::vector<Thing*> things;
    for (float z : {-5.0f, -20.0f, -10.0f, -10.0f, -30.0f}) {
        things.push_back(MakeDrawn({0, 0, z}, z > -30.0f ? THING_TRANSLUCENT : 0));
        things.back()->model = &sphere;
    }
    things[2]->scale = 2.0f; // a tie in depth: the smaller first
    things[3]->scale = 0.5f;
    EXPECT_EQ(DrawAll(), (std::vector<uint32_t>{5, 2, 4, 3, 1}));
}

TEST(Thing, BounceTurnsOnlyOutgoingVelocityBeyondTheBound) {
    GameScope scope;
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
        EXPECT_TRUE(VecEqual(&t.vel, &c.after)) << c.pos.x << " " << c.pos.z;
        EXPECT_TRUE(VecEqual(&t.pos, &c.pos));
    }
}
