// Saucers, their shots and the pick-ups.
#include "game/player.h"
#include "game/rock.h"
#include "game/saucer.h"
#include "game_fixture.h"

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

// A shot as the game fires one: small, two seconds to live.
Thing* MakeShot(const Vec3& pos, ThingThinkFn think, ThingTouchFn touch, uint32_t owner) {
    Thing* shot = ThingCreate();
    shot->pos = pos;
    shot->model = unitSphere;
    shot->scale = 0.15f;
    shot->think = think;
    shot->touch = touch;
    shot->owner = owner;
    shot->lifetime = 2.0f;
    return shot;
}

Thing* FarSaucer() {
    const Vec3 pos = {40.0f, 0.07f, 40.0f};
    return SaucerCreate(&pos, &STILL);
}

TEST(Saucer, NeverFiresOnLevelOne) {
    GameScope scope;
    GameBareLevel(1);
    FarSaucer();
    GameRun(500, DT);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
}

TEST(Saucer, FiresEveryHalfSecondFromLevelTwoWhileTheShipIsVisible) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    Thing* saucer = FarSaucer();
    GameRun(99, DT);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0); // first shot after 1 s
    GameRun(2, DT);
    ASSERT_EQ(GameCountThink(SaucerShotThink), 1);
    // Along its spinning heading, one unit out, at muzzle speed 20 plus its own
    // motion.
    Thing* shot = GameFindThink(SaucerShotThink);
    EXPECT_EQ(shot->owner, saucer->id);
    EXPECT_NEAR(VecLength(&shot->vel), 20.0, 1e-3);
    EXPECT_NEAR(GameAngleWrap(static_cast<float>(VecHeading(&shot->vel)) - saucer->yaw), 0.0f,
                1.0f);
    GameRun(102, DT); // 2.03 s: shots at 1.0, 1.5 and 2.0 s
    EXPECT_EQ(GameCountThink(SaucerShotThink), 3);
    // Hidden ship: no more shots; the old ones expire after 2 s.
    ship->draw = nullptr;
    GameRun(250, DT);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
}

TEST(Saucer, ASaucerShotDestroysAnotherSaucerAndLeavesAPickup) {
    GameScope scope;
    GameBareLevel(2);
    Thing* shooter = FarSaucer();
    const Vec3 pos = {-30.0f, 0.07f, -30.0f};
    Thing* target = SaucerCreate(&pos, &STILL);
    Thing* shot = MakeShot(target->pos, SaucerShotThink, SaucerShotTouch, shooter->id);
    GameSlice(DT);
    EXPECT_TRUE(shot->flags & THING_DEAD);
    EXPECT_EQ(score, 100);
    EXPECT_EQ(target->hit, nullptr);
    const int pickups = GameCountThink(PickupThinkRail) + GameCountThink(PickupThinkSpread) +
                        GameCountThink(PickupThinkRapid);
    EXPECT_EQ(pickups, 1);
    GameRun(101, DT);
    EXPECT_TRUE(target->flags & THING_DEAD);
    EXPECT_FALSE(shooter->flags & THING_DEAD);
}

TEST(Saucer, OwnShotsPassAndSaucerRamsTheShip) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    Thing* saucer = FarSaucer();
    Thing* shot = MakeShot(saucer->pos, SaucerShotThink, SaucerShotTouch, saucer->id);
    GameSlice(DT);
    EXPECT_FALSE(shot->flags & THING_DEAD);
    saucer->pos = {0.5f, 0.0f, 0.0f};
    GameSlice(DT);
    EXPECT_GT(ship->lifetime, 0.0f);
    EXPECT_EQ(lives, 4);
}

TEST(Saucer, ShipShotAndSaucerShotCancel) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    Thing* saucer = FarSaucer();
    const Vec3 pos = {0.0f, 0.0f, -20.0f};
    Thing* theirs = MakeShot(pos, SaucerShotThink, SaucerShotTouch, saucer->id);
    Thing* ours = MakeShot(pos, ShotThink, ShotTouch, ship->id);
    GameSlice(DT);
    EXPECT_TRUE(theirs->flags & THING_DEAD);
    EXPECT_TRUE(ours->flags & THING_DEAD);
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(score, 0);
}

TEST(Pickup, DurationsAddAcrossKindsAndTheBonusRunsOut) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    sliceHook = GameCheck;
    const Vec3 far = {30.0f, 0.0f, 30.0f};
    RockCreateMedium(&far, &STILL); // keeps the level from being cleared
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 10.0f;
    Thing* rail = PickupCreate(PICKUP_RAIL, &ship->pos, &STILL);
    GameSlice(DT);
    EXPECT_TRUE(rail->flags & THING_DEAD);
    EXPECT_EQ(weaponKind, WEAPON_RAIL);
    EXPECT_NEAR(weaponTimer, 45.0f - DT, 1e-4);
    EXPECT_EQ(score, 50);
    Thing* rapid = PickupCreate(PICKUP_RAPID, &ship->pos, &STILL);
    GameSlice(DT);
    EXPECT_TRUE(rapid->flags & THING_DEAD);
    EXPECT_EQ(weaponKind, WEAPON_RAPID);
    EXPECT_NEAR(weaponTimer, 70.0f - 2 * DT, 1e-4);
    EXPECT_EQ(score, 100);
    // The bonus runs out: back to the normal weapon.
    weaponTimer = 0.05f;
    GameRun(4, DT);
    EXPECT_EQ(weaponKind, WEAPON_RAPID);
    GameRun(2, DT);
    EXPECT_EQ(weaponKind, WEAPON_NORMAL);
}

TEST(Pickup, BonusEndsWhenTheTimerLandsExactlyOnZero) {
    GameScope scope;
    GameBareLevel(1);
    sliceHook = GameCheck;
    const Vec3 far = {30.0f, 0.0f, 30.0f};
    RockCreateMedium(&far, &STILL);
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 0.5f;
    GameRun(4, 0.125f); // exact binary steps
    EXPECT_EQ(weaponKind, WEAPON_NORMAL);
}

TEST(Pickup, ShipShotIsUsedUpAndThePickupStays) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    const Vec3 pos = {0.0f, 0.0f, -10.0f};
    Thing* pickup = PickupCreate(PICKUP_SPREAD, &pos, &STILL);
    Thing* shot = MakeShot(pos, ShotThink, ShotTouch, ship->id);
    GameSlice(DT);
    EXPECT_TRUE(shot->flags & THING_DEAD);
    EXPECT_FALSE(pickup->flags & THING_DEAD);
    EXPECT_EQ(weaponKind, WEAPON_NORMAL);
}

TEST(Saucer, HuntingSaucerKeepsSpeedSixAndErrsToOneSide) {
    GameScope scope;
    GameBareLevel(1);
    int turns = 0;
    for (int attempt = 0; attempt < 40 && turns < 5; attempt++) {
        Thing* saucer = FarSaucer();
        for (int i = 0; i < 2000 && VecLength(&saucer->vel) == 0.0; i++)
            GameSlice(DT);
        if (VecLength(&saucer->vel) == 0.0) continue;
        turns++;
        EXPECT_NEAR(VecLength(&saucer->vel), 6.0, 1e-3);
        Vec3 toShip = player->pos;
        VecSub(&toShip, &saucer->pos);
        // The course lies 0 to 30 degrees to one side of the line to the ship.
        float off =
            GameAngleWrap(static_cast<float>(VecHeading(&saucer->vel) - VecHeading(&toShip)));
        EXPECT_GE(off, -0.5f);
        EXPECT_LE(off, 30.5f);
        saucer->flags |= THING_DEAD;
    }
    EXPECT_GE(turns, 1);
}

} // namespace
