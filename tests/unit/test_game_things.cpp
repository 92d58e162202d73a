// The rules of a level's things that the shipped demos would not notice quickly: spread shots pass
// each other, rocks score once and by their size, the level waits for the last piece, even the
// last spare ship comes back, a returned ship's grace, and bonus times add up and end exactly on
// zero.
#include "game/rock.h"
#include "game/saucer.h"
#include "game_fixture.h"

#include <algorithm>
#include <vector>

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

Thing* At(Thing* (*create)(const Vec3*, const Vec3*), Vec3 pos) {
    // The thing copies the position: nothing points at pos after the return.
    // cppcheck-suppress returnDanglingLifetime
    return create(&pos, &STILL);
}

// Fires one round of the weapon; returns the point 10 units ahead of the ship along the shots.
Vec3 Fire(int32_t weapon) {
    weaponKind = weapon;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    Vec3 ahead = GameFindThink(ShotThink)->vel;
    VecScale(&ahead, 10.0 / VecLength(&ahead));
    return ahead;
}

TEST(Rock, SpreadShotsPassEachOtherRocksScoreOnceByTheirSizeAndTheLevelWaitsForTheLastPiece) {
    GameScope scope;
    Thing* ship = GameBareLevel(2);
    sliceHook = GameCheck;
    ship->yaw = 90.0f;
    Thing* rock = At(RockCreateBig, {40.0f, 0.0f, 40.0f});
    ThingHit(rock, THING_HIT_SAUCER_SHOT); // only the ship's shots count
    ThingHit(rock, THING_HIT_RAMMED);
    EXPECT_EQ(rock->lifetime, 0.0f);
    rock->pos = Fire(WEAPON_SPREAD);
    std::vector<double> headings;
    for (int k = 0; Thing* t = GameFindThink(ShotThink, k); k++)
        headings.push_back(VecHeading(&t->vel));
    std::sort(headings.begin(), headings.end());
    ASSERT_EQ(headings.size(), 3u);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(headings[size_t(k)], 87.0 + 3 * k, 1e-3);
    GameSlice(DT); // overlapping each other and the ship: nothing happens
    EXPECT_EQ(GameCountThink(ShotThink), 3);
    EXPECT_EQ(ship->lifetime, 0.0f);
    GameRun(180, DT);
    EXPECT_EQ(score, 5); // three shots: one hit of a big rock
    ASSERT_EQ(GameCountThink(MedRockThink), 4);
    for (int k = 0; k < 4; k++)
        ThingHit(GameFindThink(MedRockThink, k), THING_HIT_SHIP_SHOT);
    EXPECT_EQ(score, 5 + 4 * 20);
    GameRun(50, DT); // medium rocks end 0.6 s after the hit; the level waits for them
    EXPECT_EQ(level, 2);
    GameRun(15, DT);
    EXPECT_EQ(level, 3);
}

// A struck ship is helpless (no second loss, no shots) and even the last spare one comes back.
TEST(Player, AStruckShipIsHelplessThenEvenTheLastSpareOneReturnsAtTheCentre) {
    GameScope scope;
    Thing* ship = GameBareLevel(1, 2);
    ship->vel = {0.0f, 0.0f, -3.0f};
    ThingHit(At(RockCreateMedium, STILL), THING_HIT_SHIP_SHOT); // breaking up: harmless
    GameSlice(DT);
    ASSERT_EQ(lives, 2);
    ThingHit(At(RockCreateBig, {1.0f, 0.0f, 0.0f}), THING_HIT_SHIP_SHOT); // still rams in its delay
    GameSlice(DT);
    ThingHit(ship, THING_HIT_RAMMED);
    EXPECT_EQ(lives, 1);
    EXPECT_FLOAT_EQ(ship->lifetime, 2.0f);
    CommandExecute("+attack");
    GameRun(121, DT);
    EXPECT_EQ(GameCountThink(ShotThink), 0);
    EXPECT_EQ(ship->draw, nullptr);
    GameRun(80, DT);
    EXPECT_NE(ship->draw, nullptr);
    EXPECT_EQ(ship->pos.z, 0.0f);
}

// A rock resting on the centre rams the ship the moment it is back: without grace at once, with
// grace only once the grace is over or the ship has fired.
TEST(Player, AReturnedShipRidesOutItsGraceUnlessItFires) {
    GameScope scope;
    Thing* ship = GameBareLevel(1, 4);
    At(RockCreateBig, STILL);
    GameSlice(DT);
    ASSERT_EQ(lives, 3);
    GameRun(195, DT);
    EXPECT_EQ(lives, 3);
    GameRun(10, DT); // back after 2 s, and rammed at once
    EXPECT_EQ(lives, 2);
    GameSetGrace(1.0f);
    GameRun(205, DT);
    ASSERT_EQ(ship->lifetime, 0.0f) << "not back yet";
    GameRun(90, DT);
    EXPECT_EQ(lives, 2) << "rammed during its grace";
    GameRun(15, DT);
    EXPECT_EQ(lives, 1) << "still untouchable after its grace";
    GameRun(205, DT);
    ASSERT_EQ(ship->lifetime, 0.0f) << "not back yet";
    CommandExecute("+attack");
    GameSlice(DT);
    EXPECT_EQ(lives, 0) << "still untouchable after firing";
}

TEST(Pickup, BonusTimesAddUpAndEndEvenExactlyOnZero) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    sliceHook = GameCheck;
    At(RockCreateMedium, {30.0f, 0.0f, 30.0f}); // keeps the level going
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
    // Fire held for a second: the rapid gun shoots every quarter second, the normal one every half.
    for (auto [weapon, shots] : {std::pair{WEAPON_RAPID, 4}, {WEAPON_NORMAL, 2}}) {
        weaponKind = weapon;
        weaponTimer = 5.0f;
        gameStats.shotsFired = 0;
        CommandExecute("+attack");
        GameRun(100, DT);
        CommandExecute("-attack");
        GameRun(50, DT);
        EXPECT_EQ(gameStats.shotsFired, shots) << weapon;
    }
}

// What the results after a game show: rocks and saucers destroyed, each shot fired and each shot
// that struck (a rail shot through three targets once, one used up on a pick-up not at all),
// cleared by a new game; the easiest difficulty played is the game's. And the Easy row's level.
TEST(GameStats, AGameCountsItsKillsAndShotsAndKeepsItsEasiestDifficulty) {
    GameScope scope;
    startLevel = 2;
    difficulty = 1;
    NewGame();
    GameBeginBanner();
    GameRun(151, DT);
    ASSERT_EQ(sliceHook, GameCheck);
    for (int32_t i = 0; i < thingIndex.count; i++)
        if (thingIndex.items[i] != player)
            static_cast<Thing*>(thingIndex.items[i])->flags |= THING_DEAD;
    At(RockCreateBig, {-40.0f, 0.0f, -40.0f}); // keeps the level going
    player->yaw = 90.0f;
    At(RockCreateMedium, {8.0f, 0.0f, 0.0f});
    At(RockCreateMedium, {14.0f, 0.0f, 0.0f});
    At(SaucerCreate, {20.0f, 0.0f, 0.0f});
    Fire(WEAPON_RAIL);
    GameRun(100, DT);
    EXPECT_EQ(gameStats.rocks, 2);
    EXPECT_EQ(gameStats.saucers, 1);
    EXPECT_EQ(gameStats.shotsFired, 1);
    EXPECT_EQ(gameStats.shotsHit, 1);
    Fire(WEAPON_SPREAD); // toward the saucer's pick-up, which uses a shot up
    GameRun(60, DT);
    At(RockCreateBig, {6.0f, 0.0f, 0.0f});
    Fire(WEAPON_NORMAL);
    GameRun(30, DT);
    EXPECT_EQ(gameStats.rocks, 3);
    EXPECT_EQ(gameStats.shotsFired, 5);
    EXPECT_EQ(gameStats.shotsHit, 2);
    EXPECT_EQ(gameStats.difficulty, 1);
    GameSetDifficulty(0); // lowered during the game: it counts as a Standard game
    GameSetDifficulty(3);
    EXPECT_EQ(gameStats.difficulty, 0);
    NewGame();
    EXPECT_EQ(gameStats.rocks + gameStats.saucers + gameStats.shotsFired + gameStats.shotsHit, 0);
    EXPECT_EQ(gameStats.difficulty, 3);
    EXPECT_EQ(gameStats.firstLevel, 2);

    // diff -1 is Standard until the easy setting offers Easy: one rock fewer, slower.
    for (int32_t easy : {0, 1}) {
        GameSetEasy(easy);
        difficulty = -1;
        GameStartLevel(1);
        GameSlice(DT);
        EXPECT_EQ(GameCountThink(BigRockThink), easy ? 2 : 3);
        EXPECT_NEAR(VecLength(&GameFindThink(BigRockThink)->vel), easy ? 3.5 : 5.0, 1e-3);
    }
}

} // namespace
