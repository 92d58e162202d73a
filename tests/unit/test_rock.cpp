// Rocks: hits, splits, scores, bounces, and the ship they destroy.
#include "game/explosion.h"
#include "game/player.h"
#include "game/rock.h"
#include "game_fixture.h"

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

// A ship's normal shot at pos, at rest, fired by owner.
Thing* TestShot(const Vec3& pos, uint32_t owner) {
    Thing* shot = ThingCreate();
    shot->pos = pos;
    shot->model = unitSphere;
    shot->scale = 0.15f;
    shot->flags = THING_TRANSLUCENT;
    shot->think = ShotThink;
    shot->touch = ShotTouch;
    shot->owner = owner;
    shot->lifetime = 2.0f;
    return shot;
}

TEST(Rock, BigRockShotTwiceInOneSliceScoresOnce) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    const Vec3 pos = {20.0f, 0.0f, 0.0f};
    Thing* rock = RockCreateBig(&pos, &STILL);
    Thing* a = TestShot({19.0f, 0.0f, 0.0f}, ship->id);
    Thing* b = TestShot({21.0f, 0.0f, 0.0f}, ship->id);
    GameSlice(DT);
    EXPECT_EQ(score, 5);
    EXPECT_EQ(rock->touch, RockTouch); // still dangerous
    EXPECT_TRUE(a->flags & THING_DEAD);
    EXPECT_TRUE(b->flags & THING_DEAD);
}

TEST(Rock, BigRockSplitsIntoFourMediumRocksAfterItsDelay) {
    GameScope scope;
    GameBareLevel(1);
    const Vec3 pos = {20.0f, 0.0f, 10.0f};
    const Vec3 vel = {1.0f, 0.0f, 0.0f};
    Thing* rock = RockCreateBig(&pos, &vel);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    GameRun(119, DT);
    EXPECT_EQ(GameCountThink(MedRockThink), 0);
    EXPECT_FALSE(rock->flags & THING_DEAD);
    GameRun(2, DT);
    ASSERT_EQ(GameCountThink(MedRockThink), 4);
    EXPECT_TRUE(rock->flags & THING_DEAD);
    double headings[4];
    for (int k = 0; k < 4; k++) {
        Thing* piece = GameFindThink(MedRockThink, k);
        EXPECT_NEAR(VecLength(&piece->vel), 10.0, 1e-3);
        headings[k] = VecHeading(&piece->vel);
    }
    std::sort(headings, headings + 4);
    for (int k = 1; k < 4; k++)
        EXPECT_NEAR(headings[k] - headings[k - 1], 90.0, 1e-3);
}

TEST(Rock, MediumRockScoresTwentyAndVanishes) {
    GameScope scope;
    GameBareLevel(1);
    const Vec3 pos = {20.0f, 0.0f, 10.0f};
    Thing* rock = RockCreateMedium(&pos, &STILL);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    EXPECT_EQ(score, 20);
    EXPECT_EQ(rock->touch, nullptr);
    GameRun(59, DT);
    EXPECT_FALSE(rock->flags & THING_DEAD);
    GameRun(2, DT);
    EXPECT_TRUE(rock->flags & THING_DEAD);
}

TEST(Rock, SaucerShotsAndRamsLeaveRocksWhole) {
    GameScope scope;
    const Vec3 pos = {20.0f, 0.0f, 10.0f};
    Thing* big = RockCreateBig(&pos, &STILL);
    Thing* med = RockCreateMedium(&pos, &STILL);
    for (int32_t kind : {THING_HIT_SAUCER_SHOT, THING_HIT_RAMMED}) {
        ThingHit(big, kind);
        ThingHit(med, kind);
    }
    EXPECT_EQ(big->lifetime, 0.0f);
    EXPECT_EQ(med->lifetime, 0.0f);
    EXPECT_EQ(score, 0);
}

TEST(Rock, HitBigRockStillDestroysTheShip) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    const Vec3 pos = {8.0f, 0.0f, 0.0f};
    Thing* rock = RockCreateBig(&pos, &STILL);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    rock->pos = {1.0f, 0.0f, 0.0f}; // drifts onto the ship during its delay
    GameSlice(DT);
    EXPECT_EQ(lives, 4);
    EXPECT_FLOAT_EQ(ship->lifetime, 2.0f);
}

TEST(Rock, RocksBounceAtTheArenaEdgeUntilHitAndTumble) {
    GameScope scope;
    const Vec3 pos = {48.4f, 0.0f, 0.0f};
    const Vec3 vel = {5.0f, 0.0f, -5.0f};
    Thing* rock = RockCreateBig(&pos, &vel);
    GameRun(10, DT);
    EXPECT_LT(rock->vel.x, 0.0f);
    GameRun(400, DT); // 4.1 s of spin: yaw 123, roll 205 -> -155
    EXPECT_NEAR(rock->yaw, 123.0f, 1e-2);
    EXPECT_NEAR(rock->roll, -155.0f, 1e-2);
    // A hit rock no longer bounces.
    rock->pos = {48.4f, 0.0f, 0.0f};
    rock->vel = vel;
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    GameRun(10, DT);
    EXPECT_GT(rock->vel.x, 0.0f);
}

TEST(Rock, LevelIsNotClearedWhileAHitRockCountsDown) {
    GameScope scope;
    GameBareLevel(2);
    sliceHook = GameCheck;
    const Vec3 pos = {30.0f, 0.0f, 30.0f};
    Thing* rock = RockCreateBig(&pos, &STILL);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    GameRun(121, DT);
    EXPECT_EQ(level, 2);
    ASSERT_EQ(GameCountThink(MedRockThink), 4);
    for (int k = 0; k < 4; k++)
        ThingHit(GameFindThink(MedRockThink, k), THING_HIT_SHIP_SHOT);
    GameRun(55, DT);
    EXPECT_EQ(level, 2);
    GameRun(10, DT);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(score, 5 + 4 * 20);
}

} // namespace
