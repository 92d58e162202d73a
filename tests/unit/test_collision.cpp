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

TEST(Collision, UnitSpheresTouchBelowRootTwoNotBelowTwo) {
    for (int32_t sweep : {0, 1}) {
        WorldScope world;
        zpart = sweep;
        Model unit = SphereModel(1.0f);
        Make(&unit, {0, 0, 0});
        Make(&unit, {1.40f, 0, 0.1f}); // 1.97 < 2
        Make(&unit, {20, 0, 0});
        Make(&unit, {21.42f, 0, 0});
        touches.clear();
        CollideAll();
        EXPECT_EQ(touches, (Pairs{{1, 2}, {2, 1}})) << "zpart " << sweep;
    }
}

TEST(Collision, ScaleMultipliesTheRadii) {
    WorldScope world;
    Model unit = SphereModel(1.0f);
    Thing* a = Make(&unit, {0, 0, 0});
    Make(&unit, {2.5f, 0, 0});
    touches.clear();
    CollideAll();
    EXPECT_TRUE(touches.empty());
    a->scale = 2.3f; // 5.29 + 1 > 6.25
    CollideAll();
    EXPECT_EQ(touches.size(), 2u);
}

TEST(Collision, NoCollideThingsAreNeverTouchedNorTouch) {
    for (int32_t sweep : {0, 1}) {
        WorldScope world;
        zpart = sweep;
        Model unit = SphereModel(1.0f);
        Thing* ghost = Make(&unit, {0, 0, 0});
        ghost->flags |= THING_NO_COLLIDE;
        Make(&unit, {0.5f, 0, 0});
        Thing* ghost2 = Make(nullptr, {0.5f, 0, 0}); // no model: must carry the flag
        ghost2->flags |= THING_NO_COLLIDE;
        touches.clear();
        CollideAll();
        EXPECT_TRUE(touches.empty()) << "zpart " << sweep;
    }
}

TEST(Collision, SweepNeverTestsPairsBeyondTwelveUnitsOfZ) {
    Model huge = SphereModel(20.0f);
    for (float gap : {11.9f, 13.0f}) {
        for (int32_t sweep : {0, 1}) {
            WorldScope world;
            zpart = sweep;
            Make(&huge, {0, 0, gap});
            Make(&huge, {0, 0, 0});
            touches.clear();
            CollideAll();
            bool expected = gap < 12.0f || sweep == 0;
            EXPECT_EQ(touches.size(), expected ? 2u : 0u) << "gap " << gap << " zpart " << sweep;
            if (sweep && expected) {
                EXPECT_EQ(touches[0].first, 2u); // sorted by z: the lower z comes first
            }
        }
    }
}

TEST(Collision, RailShotTouchesThroughItsSpheresOnly) {
    WorldScope world;
    RailModel rail;
    Model rock = SphereModel(1.0f);
    Thing shot{};
    shot.model = &rail.model;
    shot.scale = 1.0f;
    Thing r{};
    r.model = &rock;
    r.scale = 1.0f;

    r.pos = {1.3f, 0, 7.9f}; // 1.70 from the sphere at z = 8: below 1 + 1
    EXPECT_TRUE(CollideTest(&shot, &r));
    EXPECT_TRUE(CollideTest(&r, &shot)); // the sphere side may be either
    r.pos = {1.5f, 0, 7.0f};             // inside the broad sphere, 3.25 from the nearest centres
    EXPECT_FALSE(CollideTest(&shot, &r));
    EXPECT_FALSE(CollideTest(&r, &shot));

    // Yaw turns the spheres: at 90 degrees the shot lies along x.
    r.pos = {8.0f, 0, 1.3f};
    EXPECT_FALSE(CollideTest(&shot, &r));
    shot.yaw = 90.0f;
    EXPECT_TRUE(CollideTest(&shot, &r));
    EXPECT_TRUE(CollideTest(&r, &shot));

    // Scale moves the centres in and shrinks their radii: centres at z = 4, 3, ..., q = 0.25.
    shot.yaw = 0.0f;
    shot.scale = 0.5f;
    r.pos = {1.1f, 0, 4.0f}; // 1.21 < 0.25 + 1
    EXPECT_TRUE(CollideTest(&shot, &r));
    r.pos = {1.2f, 0, 4.0f}; // 1.44 > 1.25
    EXPECT_FALSE(CollideTest(&shot, &r));
    r.pos = {1.1f, 0, 7.0f}; // beyond the scaled shot's end
    EXPECT_FALSE(CollideTest(&shot, &r));

    // Two sphere models: centre to centre.
    Thing other{};
    other.model = &rail.model;
    other.scale = 1.0f;
    shot.scale = 1.0f;
    other.pos = {1.9f, 0, 10.0f}; // its sphere at (1.9, 0, 8): 3.61, not below 1 + 1
    EXPECT_FALSE(CollideTest(&shot, &other));
    other.pos = {1.4f, 0, 10.0f}; // 1.96 < 2
    EXPECT_TRUE(CollideTest(&shot, &other));
    other.pos = {1.4f, 0, 16.0f}; // end to end: the broad test (81 + 81) already fails
    EXPECT_FALSE(CollideTest(&shot, &other));
}

TEST(Collision, BothCallbacksRunAfterADeathAndDeadThingsAreStillTested) {
    WorldScope world;
    Model unit = SphereModel(1.0f);
    Make(&unit, {0, 0, 0}, KillBothTouch);
    Make(&unit, {0.5f, 0, 0});
    touches.clear();
    CollideAll();
    EXPECT_EQ(touches, (Pairs{{1, 2}, {2, 1}}));
    touches.clear();
    CollideAll(); // both dead, not yet freed: still reported
    EXPECT_EQ(touches.size(), 2u);
    ThingUpdateAll(0.01f);
    touches.clear();
    CollideAll();
    EXPECT_TRUE(touches.empty());
}

TEST(Collision, AShotOverlappingTwoRocksStrikesBoth) {
    for (int32_t sweep : {0, 1}) {
        WorldScope world;
        zpart = sweep;
        Model unit = SphereModel(1.0f);
        Make(&unit, {0, 0, 0}, ShotTouch);
        Make(&unit, {0.8f, 0, 0}, nullptr);
        Make(&unit, {-0.8f, 0, 0.1f}, nullptr);
        touches.clear();
        CollideAll();
        EXPECT_EQ(touches, (Pairs{{1, 2}, {1, 3}})) << "zpart " << sweep;
    }
}

TEST(Collision, ThingsCreatedByATouchTakePartInTheSamePass) {
    WorldScope world;
    Model unit = SphereModel(1.0f);
    spawnModel = &unit;
    Make(&unit, {0, 0, 0}, SpawnTouch);
    Make(&unit, {0.5f, 0, 0});
    touches.clear();
    CollideAll();
    // (1,2) spawns 3 at thing 1; then (1,3) and (2,3) are tested in the same pass.
    EXPECT_EQ(touches, (Pairs{{1, 2}, {2, 1}, {1, 3}, {3, 1}, {2, 3}, {3, 2}}));
}
