// Thing engine: pool and ids, deferred death, draw order, bounce; the collision pass:
// broad spheres, both strategies, callbacks (the rail shot's spheres are played through in
// tests/unit/test_game_things.cpp).
#include "game/collision.h"
#include "game_fixture.h"
#include "gl_recorder.h"

#include <algorithm>
#include <utility>
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

TEST(Thing, OpaqueFirstThenTranslucentFarToNearAndEmptyPoolsStillSetTheirState) {
    GameScope scope;
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

namespace {

using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;
Pairs touches;
void RecordTouch(Thing* a, Thing* b) {
    touches.emplace_back(a->id, b->id);
}
void KillBothTouch(Thing* a, Thing* b) {
    RecordTouch(a, b);
    a->flags |= THING_DEAD;
    b->flags |= THING_DEAD;
}
void UsedUpTouch(Thing* shot, Thing* other) { // used up by its first contact
    RecordTouch(shot, other);
    shot->flags |= THING_DEAD;
}
void SpawnTouch(Thing* a, Thing* b) {
    RecordTouch(a, b);
    a->touch = RecordTouch;
    Thing* t = ThingCreate();
    t->model = b->model;
    t->pos = a->pos;
    t->touch = RecordTouch;
}

struct Body {
    float x, z, radius, scale;
    ThingTouchFn touch;
    uint32_t flags;
};

void Make(const std::vector<Body>& bodies) {
    static Model spheres[] = {SphereModel(1.0f), SphereModel(20.0f)};
    for (const Body& b : bodies) {
        Thing* t = ThingCreate();
        t->model = b.radius > 0 ? &spheres[b.radius > 1] : nullptr;
        t->pos = {b.x, 0.0f, b.z};
        t->scale = b.scale;
        t->touch = b.touch;
        t->flags = b.flags;
    }
}

} // namespace

// Both strategies (zpart 0 and 1) give the same touches, except beyond the sweep's window.
TEST(Collision, WhoTouchesWhomInBothStrategies) {
    const ThingTouchFn R = RecordTouch, S = UsedUpTouch, N = nullptr;
    const uint32_t OFF = THING_NO_COLLIDE;
    // Groups far apart in x. Squared radii add up: unit spheres touch below root 2 apart (1, 2),
    // not above (3, 4); scale multiplies the radius (5, 6 touch, 7, 8 do not); no-collide things
    // neither touch nor are touched (9 to 11); a shot used up by its first contact still strikes
    // both rocks it overlaps (12 to 14); the sweep skips pairs more than 12 apart in z (17, 18).
    const std::vector<Body> bodies = {
        {0, 0, 1, 1, R, 0},      {1.40f, 0.1f, 1, 1, R, 0},   {20, 0, 1, 1, R, 0},
        {21.42f, 0, 1, 1, R, 0}, {40, -0.01f, 1, 2.3f, R, 0}, {42.5f, 0, 1, 1, R, 0},
        {60, 0, 1, 1, R, 0},     {62.5f, 0, 1, 1, R, 0},      {80, 0, 1, 1, R, OFF},
        {80.5f, 0, 1, 1, R, 0},  {80.5f, 0, 0, 1, R, OFF},    {100, 0, 1, 1, S, 0},
        {100.8f, 0, 1, 1, N, 0}, {99.2f, 0.1f, 1, 1, N, 0},   {200, 11.9f, 20, 1, R, 0},
        {200, 0, 20, 1, R, 0},   {300, 13, 20, 1, R, 0},      {300, 0, 20, 1, R, 0}};
    for (int32_t sweep : {0, 1}) {
        GameScope scope;
        zpart = sweep;
        Make(bodies);
        touches.clear();
        CollideAll();
        Pairs want = {{1, 2}, {2, 1}, {5, 6}, {6, 5}, {12, 13}, {12, 14}, {15, 16}, {16, 15}};
        if (!sweep) want.insert(want.end(), {{17, 18}, {18, 17}});
        std::sort(touches.begin(), touches.end());
        EXPECT_EQ(touches, want) << "zpart " << sweep;
    }
    zpart = 0;
}

TEST(Collision, DeadThingsAreStillTestedAndNewOnesJoinTheSamePass) {
    GameScope scope;
    Make({{0, 0, 1, 1, KillBothTouch, 0}, {0.5f, 0, 1, 1, RecordTouch, 0}});
    touches.clear();
    CollideAll();
    EXPECT_EQ(touches, (Pairs{{1, 2}, {2, 1}})); // both callbacks run after a death
    CollideAll();                                // both dead, not yet freed: still reported
    EXPECT_EQ(touches.size(), 4u);
    ThingUpdateAll(0.01f);
    Make({{20, 0, 1, 1, SpawnTouch, 0}, {20.5f, 0, 1, 1, RecordTouch, 0}});
    touches.clear();
    CollideAll();
    // (3,4) makes 5 at thing 3; then (3,5) and (4,5) are tested in the same pass.
    EXPECT_EQ(touches, (Pairs{{3, 4}, {4, 3}, {3, 5}, {5, 3}, {4, 5}, {5, 4}}));
}
