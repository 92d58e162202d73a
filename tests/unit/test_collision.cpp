// Collision pass: broad spheres, the rail shot's collision spheres, both strategies, callbacks.
#include "game/collision.h"
#include "world_fixture.h"

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<uint32_t, uint32_t>> touches;
void RecordTouch(Thing* a, Thing* b) {
    touches.emplace_back(a->id, b->id);
}
void KillBothTouch(Thing* a, Thing* b) {
    RecordTouch(a, b);
    a->flags |= THING_DEAD;
    b->flags |= THING_DEAD;
}
// A shot used up by its first contact.
void ShotTouch(Thing* shot, Thing* other) {
    RecordTouch(shot, other);
    shot->flags |= THING_DEAD;
}
Model* spawnModel = nullptr;
void SpawnTouch(Thing* a, Thing* b) {
    RecordTouch(a, b);
    a->touch = RecordTouch;
    Thing* t = ThingCreate();
    t->model = spawnModel;
    t->pos = a->pos;
    t->touch = RecordTouch;
}

Thing* Make(Model* model, Vec3 pos, ThingTouchFn touch = RecordTouch) {
    Thing* t = ThingCreate();
    t->model = model;
    t->pos = pos;
    t->touch = touch;
    return t;
}

// The rail shot's collision spheres: 9 centres along z from 8 to -8, each of squared radius 1.
struct RailModel {
    Vec3 points[9];
    float q[9];
    Model model{};
    RailModel() {
        for (int k = 0; k < 9; ++k) {
            points[k] = {0.0f, 0.0f, 8.0f - 2.0f * k};
            q[k] = 1.0f;
        }
        model.radius = 9.0f;
        model.radiusSq = 81.0f;
        model.pointCount = 9;
        model.points = points;
        model.pointRadiusSq = q;
    }
};

using Pairs = std::vector<std::pair<uint32_t, uint32_t>>;

} // namespace

// Both strategies (zpart 0 and 1) give the same touches, except beyond the sweep's window.
TEST(Collision, WhoTouchesWhomInBothStrategies) {
    struct Body {
        Vec3 pos;
        float radius, scale;
        ThingTouchFn touch;
        uint32_t flags;
    };
    struct Case {
        const char* what;
        std::vector<Body> things;
        Pairs want, wantSweep;
    };
    const ThingTouchFn R = RecordTouch;
    const Case cases[] = {
        {"below 2 apart, not below root 2",
         {{{0, 0, 0}, 1, 1, R, 0},
          {{1.40f, 0, 0.1f}, 1, 1, R, 0},
          {{20, 0, 0}, 1, 1, R, 0},
          {{21.42f, 0, 0}, 1, 1, R, 0}},
         {{1, 2}, {2, 1}},
         {{1, 2}, {2, 1}}},
        {"scale multiplies the radius",
         {{{0, 0, -0.01f}, 1, 2.3f, R, 0},
          {{2.5f, 0, 0}, 1, 1, R, 0},
          {{10, 0, 0}, 1, 1, R, 0},
          {{12.5f, 0, 0}, 1, 1, R, 0}},
         {{1, 2}, {2, 1}},
         {{1, 2}, {2, 1}}},
        {"no-collide things neither touch nor are touched",
         {{{0, 0, 0}, 1, 1, R, THING_NO_COLLIDE},
          {{0.5f, 0, 0}, 1, 1, R, 0},
          {{0.5f, 0, 0}, 0, 1, R, THING_NO_COLLIDE}},
         {},
         {}},
        {"a shot overlapping two rocks strikes both",
         {{{0, 0, 0}, 1, 1, ShotTouch, 0},
          {{0.8f, 0, 0}, 1, 1, nullptr, 0},
          {{-0.8f, 0, 0.1f}, 1, 1, nullptr, 0}},
         {{1, 2}, {1, 3}},
         {{1, 2}, {1, 3}}},
        {"the sweep skips pairs 12 apart in z, the lower z first",
         {{{0, 0, 11.9f}, 20, 1, R, 0},
          {{0, 0, 0}, 20, 1, R, 0},
          {{50, 0, 13}, 20, 1, R, 0},
          {{50, 0, 0}, 20, 1, R, 0}},
         {{1, 2}, {2, 1}, {3, 4}, {4, 3}},
         {{2, 1}, {1, 2}}},
    };
    for (const Case& c : cases) {
        for (int32_t sweep : {0, 1}) {
            WorldScope world;
            zpart = sweep;
            std::vector<Model> models;
            models.reserve(c.things.size());
            for (const Body& m : c.things) {
                models.push_back(SphereModel(m.radius));
                Thing* t = ThingCreate();
                t->model = m.radius > 0 ? &models.back() : nullptr;
                t->pos = m.pos;
                t->scale = m.scale;
                t->touch = m.touch;
                t->flags = m.flags;
            }
            touches.clear();
            CollideAll();
            EXPECT_EQ(touches, sweep ? c.wantSweep : c.want) << c.what << ", zpart " << sweep;
        }
    }
}

TEST(Collision, RailShotTouchesThroughItsSpheresOnly) {
    struct Case {
        float yaw, scale;
        Vec3 pos;
        bool rail, touch;
    };
    const Case cases[] = {
        {0, 1, {1.3f, 0, 7.9f}, false, true},  // 1.70 from the sphere at z = 8: below 1 + 1
        {0, 1, {1.5f, 0, 7.0f}, false, false}, // inside the broad sphere, between two centres
        {0, 1, {8.0f, 0, 1.3f}, false, false}, // yaw turns the spheres ...
        {90, 1, {8.0f, 0, 1.3f}, false, true}, // ... along x at 90 degrees
        {0,
         0.5f,
         {1.1f, 0, 4.0f},
         false,
         true}, // scale moves the centres in, q = 0.25: 1.21 < 1.25
        {0, 0.5f, {1.2f, 0, 4.0f}, false, false}, // 1.44 > 1.25
        {0, 0.5f, {1.1f, 0, 7.0f}, false, false}, // beyond the scaled shot's end
        {0, 1, {1.9f, 0, 10.0f}, true, false},    // two rails: sphere to sphere, 3.61 >= 2
        {0, 1, {1.4f, 0, 10.0f}, true, true},     // 1.96 < 2
        {0, 1, {1.4f, 0, 16.0f}, true, false},    // end to end: the broad test fails
    };
    RailModel rail;
    Model rock = SphereModel(1.0f);
    for (const Case& c : cases) {
        Thing shot{}, other{};
        shot.model = &rail.model;
        shot.yaw = c.yaw;
        shot.scale = c.scale;
        other.model = c.rail ? &rail.model : &rock;
        other.scale = 1.0f;
        other.pos = c.pos;
        EXPECT_EQ(CollideTest(&shot, &other), c.touch) << c.pos.x << " " << c.pos.z;
        EXPECT_EQ(CollideTest(&other, &shot), c.touch) << c.pos.x << " " << c.pos.z;
    }
}

TEST(Collision, DeadThingsAreStillTestedAndNewOnesJoinTheSamePass) {
    WorldScope world;
    Model unit = SphereModel(1.0f);
    spawnModel = &unit;
    Make(&unit, {0, 0, 0}, KillBothTouch);
    Make(&unit, {0.5f, 0, 0});
    touches.clear();
    CollideAll();
    EXPECT_EQ(touches, (Pairs{{1, 2}, {2, 1}})); // both callbacks run after a death
    touches.clear();
    CollideAll(); // both dead, not yet freed: still reported
    EXPECT_EQ(touches.size(), 2u);
    ThingUpdateAll(0.01f);
    Make(&unit, {20, 0, 0}, SpawnTouch);
    Make(&unit, {20.5f, 0, 0});
    touches.clear();
    CollideAll();
    // (3,4) makes 5 at thing 3; then (3,5) and (4,5) are tested in the same pass.
    EXPECT_EQ(touches, (Pairs{{3, 4}, {4, 3}, {3, 5}, {5, 3}, {4, 5}, {5, 4}}));
}
