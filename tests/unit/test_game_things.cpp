// The things of a level played through the game slice: rocks, saucers and pick-ups, the ship and
// its weapons, explosions and the scenery.
#include "game/explosion.h"
#include "game/player.h"
#include "game/rock.h"
#include "game/saucer.h"
#include "game_fixture.h"
#include "gl_recorder.h"

#include <algorithm>
#include <set>

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

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

Thing* At(Thing* (*create)(const Vec3*, const Vec3*), Vec3 pos, Vec3 vel = STILL) {
    return create(&pos, &vel);
}

// Sorted headings of the things with this think, and checks each moves at speed.
template <typename Fn> std::vector<double> Headings(Fn think, double speed) {
    std::vector<double> headings;
    for (int k = 0; Thing* t = GameFindThink(think, k); k++) {
        EXPECT_NEAR(VecLength(&t->vel), speed, 1e-3);
        headings.push_back(VecHeading(&t->vel));
    }
    std::sort(headings.begin(), headings.end());
    return headings;
}

TEST(Rock, ShotRocksScoreOnceSplitAndTheLevelEndsWithTheLastPiece) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    sliceHook = GameCheck;
    Thing* rock = At(RockCreateBig, {20.0f, 0.0f, 0.0f});
    ThingHit(rock, THING_HIT_SAUCER_SHOT); // only the ship's shots count
    ThingHit(rock, THING_HIT_RAMMED);
    EXPECT_EQ(rock->lifetime, 0.0f);
    MakeShot({19.0f, 0.0f, 0.0f}, ShotThink, ShotTouch, ship->id);
    MakeShot({21.0f, 0.0f, 0.0f}, ShotThink, ShotTouch, ship->id);
    GameSlice(DT);
    EXPECT_EQ(score, 5); // two shots in one slice: one hit
    GameRun(110, DT);
    EXPECT_EQ(GameCountThink(MedRockThink), 0);
    GameRun(20, DT);
    EXPECT_EQ(GameCountThink(BigRockThink), 0);
    const std::vector<double> h = Headings(MedRockThink, 10.0);
    ASSERT_EQ(h.size(), 4u);
    for (int k = 1; k < 4; k++)
        EXPECT_NEAR(h[k] - h[k - 1], 90.0, 1e-3);
    for (int k = 0; k < 4; k++)
        ThingHit(GameFindThink(MedRockThink, k), THING_HIT_SHIP_SHOT);
    EXPECT_EQ(score, 5 + 4 * 20);
    GameRun(50, DT); // medium rocks end 0.6 s after the hit; the level waits for them
    EXPECT_EQ(level, 2);
    GameRun(15, DT);
    EXPECT_EQ(level, 3);
}

TEST(Rock, BouncesUntilHitAndRamsTheShipDuringItsDelay) {
    GameScope scope;
    Thing* ship = GameBareLevel(1, 2);
    const Vec3 out = {5.0f, 0.0f, -5.0f};
    Thing* rock = At(RockCreateBig, {48.4f, 0.0f, 0.0f}, out);
    GameRun(10, DT);
    EXPECT_LT(rock->vel.x, 0.0f);
    rock->pos = {48.4f, 0.0f, 0.0f};
    rock->vel = out;
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    GameRun(10, DT);
    EXPECT_GT(rock->vel.x, 0.0f); // a hit rock leaves the arena
    rock->pos = {1.0f, 0.0f, 0.0f};
    GameSlice(DT);
    EXPECT_EQ(lives, 1);
    EXPECT_FLOAT_EQ(ship->lifetime, 2.0f); // the last spare ship still comes back
}

TEST(Saucer, FiresFromLevelTwoEveryHalfSecondWhileTheShipShows) {
    for (int32_t n : {1, 2}) {
        GameScope scope;
        Thing* ship = GameBareLevel(n);
        Thing* saucer = At(SaucerCreate, {40.0f, 0.07f, 40.0f});
        GameRun(99, DT);
        EXPECT_EQ(GameCountThink(SaucerShotThink), 0); // the first shot after 1 s
        GameRun(104, DT);
        ASSERT_EQ(GameCountThink(SaucerShotThink), n == 1 ? 0 : 3) << n;
        if (n == 1) continue;
        Thing* shot = GameFindThink(SaucerShotThink);
        EXPECT_EQ(shot->owner, saucer->id);
        EXPECT_NEAR(VecLength(&shot->vel), 20.0, 1e-3);
        ship->draw = nullptr; // hidden: no more shots, the old ones end after 2 s
        GameRun(250, DT);
        EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
    }
}

TEST(Saucer, ShotsStrikeOthersAndSaucersRamTheShip) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    Thing* shooter = At(SaucerCreate, {40.0f, 0.07f, 40.0f});
    Thing* target = At(SaucerCreate, {-30.0f, 0.07f, -30.0f});
    Thing* own = MakeShot(shooter->pos, SaucerShotThink, SaucerShotTouch, shooter->id);
    MakeShot(target->pos, SaucerShotThink, SaucerShotTouch, shooter->id);
    // A ship's shot and a saucer's shot cancel each other.
    MakeShot({0.0f, 0.0f, -20.0f}, SaucerShotThink, SaucerShotTouch, shooter->id);
    MakeShot({0.0f, 0.0f, -20.0f}, ShotThink, ShotTouch, ship->id);
    GameSlice(DT);
    EXPECT_FALSE(own->flags & THING_DEAD);
    EXPECT_EQ(score, 100);
    EXPECT_EQ(GameCountThink(PickupThinkRail) + GameCountThink(PickupThinkSpread) +
                  GameCountThink(PickupThinkRapid),
              1);
    GameRun(101, DT);
    EXPECT_EQ(GameCountThink(ShotThink), 0);
    EXPECT_EQ(lives, 5);
    EXPECT_TRUE(target->flags & THING_DEAD);
    shooter->pos = {0.5f, 0.0f, 0.0f};
    GameSlice(DT);
    EXPECT_EQ(lives, 4);
}

TEST(Pickup, BonusTimesAddUpAndEndEvenExactlyOnZero) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    sliceHook = GameCheck;
    At(RockCreateMedium, {30.0f, 0.0f, 30.0f}); // keeps the level going
    // A ship's shot is used up on a pick-up, which stays.
    Thing* spread =
        At([](const Vec3* p, const Vec3* v) { return PickupCreate(PICKUP_SPREAD, p, v); },
           {0.0f, 0.0f, -10.0f});
    Thing* shot = MakeShot(spread->pos, ShotThink, ShotTouch, ship->id);
    GameSlice(DT);
    EXPECT_TRUE(shot->flags & THING_DEAD);
    EXPECT_FALSE(spread->flags & THING_DEAD);
    EXPECT_EQ(weaponKind, WEAPON_NORMAL);
    spread->flags |= THING_DEAD;
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 10.0f;
    PickupCreate(PICKUP_RAIL, &ship->pos, &STILL);
    GameSlice(DT);
    EXPECT_EQ(weaponKind, WEAPON_RAIL);
    EXPECT_NEAR(weaponTimer, 45.0f - DT, 1e-4); // rail's 35 s on top of what was left
    EXPECT_EQ(score, 50);
    weaponTimer = 0.5f;
    GameRun(4, 0.125f); // exact binary steps land on 0
    EXPECT_EQ(weaponKind, WEAPON_NORMAL);
}

TEST(Player, ThrustBrakeBankAndTurn) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    CommandExecute("+forward");
    GameRun(59, DT);
    EXPECT_LT(VecLength(&ship->vel), 11.9);
    GameRun(51, DT);
    EXPECT_NEAR(VecLength(&ship->vel), 12.0, 1e-3); // top speed after 0.6 s
    EXPECT_LT(ship->vel.z, -11.9f);                 // along the nose, yaw 180
    CommandExecute("-forward");
    CommandExecute("+backward");
    GameRun(60, DT);
    EXPECT_NEAR(VecLength(&ship->vel), 6.0, 1e-2);
    GameRun(100, DT);
    EXPECT_EQ(VecLength(&ship->vel), 0.0); // the brake stops, never reverses
    CommandExecute("-backward");
    CommandExecute("+left");
    GameRun(50, DT);
    EXPECT_FLOAT_EQ(ship->roll, -70.0f);
    CommandExecute("-left");
    GameRun(25, DT);
    EXPECT_NEAR(ship->roll, -35.0f, 0.01f);
    GameRun(35, DT);
    EXPECT_EQ(ship->roll, 0.0f); // levelled, not swung past
    const float yaw = ship->yaw;
    CommandExecute("+right");
    GameRun(50, DT);
    CommandExecute("-right");
    EXPECT_FLOAT_EQ(ship->roll, 70.0f);
    EXPECT_NEAR(GameAngleWrap(ship->yaw - yaw), -90.0f, 0.01f);
}

TEST(Player, EachWeaponFiresAtItsRate) {
    struct Case {
        int32_t weapon, slices, shots, gap;
    };
    for (const Case& c : {Case{WEAPON_NORMAL, 161, 4, 50}, Case{WEAPON_RAPID, 111, 5, 25},
                          Case{WEAPON_RAIL, 211, 3, 100}}) {
        GameScope scope;
        GameBareLevel(1);
        weaponKind = c.weapon;
        std::vector<int> times;
        CommandExecute("+attack");
        for (int i = 0, last = 0; i < c.slices; i++) {
            GameSlice(DT);
            const int now = GameCountThink(ShotThink);
            if (now > last) times.push_back(i);
            last = now;
        }
        CommandExecute("-attack");
        ASSERT_EQ(times.size(), size_t(c.shots)) << c.weapon;
        for (size_t i = 1; i < times.size(); i++)
            EXPECT_NEAR(times[i] - times[i - 1], c.gap, 1) << c.weapon;
    }
}

TEST(Player, SpreadShotsFanOutAndPassEachOtherAndTheShip) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    ship->yaw = 90.0f;
    weaponKind = WEAPON_SPREAD;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    const std::vector<double> h = Headings(ShotThink, 20.0);
    ASSERT_EQ(h.size(), 3u);
    EXPECT_NEAR(h[0], 87.0, 1e-3);
    EXPECT_NEAR(h[2], 93.0, 1e-3);
    GameSlice(DT); // overlapping each other and the ship: nothing happens
    EXPECT_EQ(GameCountThink(ShotThink), 3);
    EXPECT_EQ(ship->lifetime, 0.0f);
    Thing* rock = At(RockCreateMedium, {3.0f, 0.0f, 0.0f});
    GameRun(20, DT);
    EXPECT_GT(rock->lifetime, 0.0f);
    EXPECT_EQ(score, 20);
}

TEST(Player, RailShotStrikesEveryRockOnItsLine) {
    GameScope scope;
    GameBareLevel(1);
    Thing* rocks[3];
    for (int k = 0; k < 3; k++)
        rocks[k] = At(RockCreateMedium, {0.0f, 0.0f, -10.0f - 10.0f * k});
    weaponKind = WEAPON_RAIL;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    GameRun(30, DT);
    for (Thing* rock : rocks)
        EXPECT_GT(rock->lifetime, 0.0f);
    EXPECT_EQ(score, 60);
}

TEST(Player, AStruckShipIsHelplessThenReturnsAtTheCentre) {
    GameScope scope;
    Thing* ship = GameBareLevel(1, 3);
    CommandExecute("+forward");
    GameRun(30, DT);
    CommandExecute("-forward");
    ThingHit(ship, THING_HIT_RAMMED);
    ThingHit(ship, THING_HIT_RAMMED); // a second ram during the explosion does nothing
    EXPECT_EQ(lives, 2);
    CommandExecute("+attack");
    CommandExecute("+left");
    GameRun(121, DT);
    CommandExecute("-attack");
    CommandExecute("-left");
    EXPECT_EQ(GameCountThink(ShotThink), 0);
    EXPECT_EQ(ship->draw, nullptr);
    EXPECT_GT(VecLength(&ship->vel), 1.0); // the wreck drifts on
    GameRun(78, DT);
    EXPECT_GT(ship->lifetime, 0.0f);
    GameRun(2, DT);
    EXPECT_NE(ship->draw, nullptr);
    EXPECT_FLOAT_EQ(ship->yaw, 180.0f);
    EXPECT_EQ(VecLength(&ship->vel), 0.0);
    EXPECT_EQ(ship->pos.x, 0.0f);
}

TEST(Explosion, PiecesParticlesLifeAndThePoolCap) {
    GameScope scope;
    const Vec3 pos = {1.0f, 2.0f, 3.0f};
    niceFx = 0;
    ExplosionCreate(&pos, nullptr, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_EQ(GameCountThink(ExplosionThink), 5);
    EXPECT_EQ(particleIndex.count, 50);
    niceFx = 1;
    ExplosionCreate(&pos, nullptr, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_EQ(GameCountThink(ExplosionThink), 11); // a second core piece with nicefx
    GameRun(139, DT);
    EXPECT_GT(GameCountThink(ExplosionThink), 0);
    EXPECT_GT(lightIndex.count, 0);
    GameRun(35, DT); // a core lives 1.4 s, the second one of nicefx 1.7 s
    EXPECT_EQ(GameCountThink(ExplosionThink), 0);
    for (int k = 0; k < 200; k++)
        ExplosionCreate(&pos, nullptr, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_LE(GameCountThink(ExplosionThink), 120);
    GameSlice(DT); // more lights wanted than the pool holds: the rest go without
    EXPECT_LE(lightIndex.count, LIGHT_MAX);
}

TEST(Explosion, FieryThenFadingBlendedOnlyWithNiceFx) {
    GameScope scope;
    const Vec3 pos = {0.0f, 0.0f, -10.0f};
    ExplosionCreate(&pos, nullptr, 0, 0.3f, 1.0f, 1.0f, 0);
    Thing* piece = GameFindThink(ExplosionThink);
    cameraPos = {0.0f, 0.0f, 0.0f};
    GLRecorderScope rec;
    for (float t : {0.5f, 0.9f}) {
        piece->age = t * piece->lifetime;
        for (int32_t fx : {1, 0}) {
            niceFx = fx;
            GLRecorderClear();
            ExplosionDraw(piece);
            EXPECT_EQ(GLRecorderCount("BlendFunc") > 0, fx == 1);
            int colours = 0;
            for (int i = GLRecorderFind("Color4f"); i >= 0; i = GLRecorderFind("Color4f", i + 1)) {
                const GLRecordedCall& c = GLRecorderCalls()[i];
                EXPECT_NEAR(c.args[3], t < 0.8f ? 1.0 : 0.3, 1e-4); // the fade at the end
                if (t > 0.8f) {
                    EXPECT_NEAR(c.args[1], 0.0, 1e-6); // no yellow left
                }
                colours++;
            }
            // The faces toward the viewer only.
            EXPECT_GT(colours, 0);
            EXPECT_LT(colours, explosionModel->triangleCount * 3);
        }
    }
}

TEST(Scenery, PostsOnTheArenaSquareAPlanetAndTheSkyOnlyWithStars) {
    for (int32_t n : {1, 2}) {
        GameScope scope(n == 1 ? "lights = 4\n" : "");
        starsEnabled = n == 1;
        BuildScenery(n);
        EXPECT_EQ(GameCountThink(SkyThink), starsEnabled);
        std::set<std::pair<long, long>> posts;
        for (int k = 0; Thing* t = GameFindThink(PostThink, k); k++) {
            EXPECT_NEAR(std::max(std::fabs(t->pos.x), std::fabs(t->pos.z)), 50.0f, 1e-3);
            posts.insert({std::lround(t->pos.x * 10), std::lround(t->pos.z * 10)});
        }
        EXPECT_EQ(posts.size(), 36u); // corners not doubled
        EXPECT_TRUE(posts.count({-389, -500}));
        GameSlice(DT);
        EXPECT_EQ(lightIndex.count >= 36, n == 1); // only the highest light setting lights them
        Thing* planet = GameFindThink(PlanetThink);
        ASSERT_NE(planet, nullptr);
        const Vec3 before = planet->pos;
        cameraPos.x += 5.0f;
        cameraPos.z += 7.0f;
        ThingUpdateAll(DT);
        EXPECT_FLOAT_EQ(planet->pos.x, before.x + 5.0f); // a fixed offset from the camera
        EXPECT_FLOAT_EQ(planet->pos.z, before.z + 7.0f);
    }
}

} // namespace
