// The player's ship and its shots, driven through the game slice and the
// control words.
#include "game/player.h"
#include "game/rock.h"
#include "game_fixture.h"

namespace {

constexpr float DT = 0.01f;

double Speed(const Thing* t) {
    return VecLength(&t->vel);
}

TEST(Player, ThrustFromRestReachesTopSpeedAfterSixTenthsAndStaysThere) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    CommandExecute("+forward");
    GameRun(59, DT);
    EXPECT_LT(Speed(ship), 12.0 - 0.1);
    GameRun(1, DT);
    EXPECT_NEAR(Speed(ship), 12.0, 1e-3);
    GameRun(50, DT);
    // Along the nose: yaw 180 flies toward -z.
    EXPECT_LT(ship->vel.z, -11.9f);
    CommandExecute("-forward");
    CommandExecute("+backward");
    GameRun(60, DT); // 10 units/s^2 for 0.6 s
    EXPECT_NEAR(Speed(ship), 6.0, 1e-2);
    GameRun(100, DT);
    EXPECT_EQ(Speed(ship), 0.0);
    CommandExecute("-backward");
}

TEST(Player, BankCapsAtSeventyAndLevelsAtOneFortyPerSecond) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    CommandExecute("+left");
    float passed = -1.0f;
    for (int i = 1; i <= 100 && passed < 0.0f; i++) {
        GameSlice(DT);
        if (ship->roll < -60.0f) passed = i * DT;
    }
    EXPECT_NEAR(passed, 0.43f, 0.011f);
    EXPECT_FLOAT_EQ(ship->roll, -70.0f);
    CommandExecute("-left");
    GameRun(25, DT);
    EXPECT_NEAR(ship->roll, -35.0f, 0.01f);
    GameRun(35, DT);
    EXPECT_EQ(ship->roll, 0.0f); // levelled, not swung past
    // Right banks the other way and turns the nose clockwise.
    const float yaw = ship->yaw;
    CommandExecute("+right");
    GameRun(50, DT);
    EXPECT_FLOAT_EQ(ship->roll, 70.0f);
    EXPECT_NEAR(GameAngleWrap(ship->yaw - yaw), -90.0f, 0.01f);
    CommandExecute("-right");
}

// Times (in slices from the first) at which new ship shots appear while fire is
// held.
std::vector<int> FireTimes(int32_t weapon, int slices) {
    weaponKind = weapon;
    std::vector<int> times;
    CommandExecute("+attack");
    int last = 0;
    for (int i = 0; i < slices; i++) {
        GameSlice(DT);
        const int now = GameCountThink(ShotThink);
        if (now > last) times.push_back(i);
        last = now;
    }
    CommandExecute("-attack");
    return times;
}

TEST(Player, NormalFireEveryHalfSecondRapidEveryQuarter) {
    {
        GameScope scope;
        GameBareLevel(1);
        const std::vector<int> t = FireTimes(WEAPON_NORMAL, 161);
        ASSERT_EQ(t.size(), 4u);
        for (size_t i = 1; i < t.size(); i++)
            EXPECT_NEAR(t[i] - t[i - 1], 50, 1);
    }
    {
        GameScope scope;
        GameBareLevel(1);
        const std::vector<int> t = FireTimes(WEAPON_RAPID, 111);
        ASSERT_EQ(t.size(), 5u);
        for (size_t i = 1; i < t.size(); i++)
            EXPECT_NEAR(t[i] - t[i - 1], 25, 1);
    }
    {
        GameScope scope;
        GameBareLevel(1);
        const std::vector<int> t = FireTimes(WEAPON_RAIL, 211);
        ASSERT_EQ(t.size(), 3u);
        EXPECT_NEAR(t[1] - t[0], 100, 1);
    }
}

TEST(Player, SpreadVolleyIsThreeShotsThreeDegreesApartFromOnePoint) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    ship->yaw = 90.0f;
    weaponKind = WEAPON_SPREAD;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    ASSERT_EQ(GameCountThink(ShotThink), 3);
    double headings[3];
    for (int k = 0; k < 3; k++) {
        Thing* shot = GameFindThink(ShotThink, k);
        EXPECT_EQ(shot->owner, ship->id);
        EXPECT_NEAR(Speed(shot), 20.0, 1e-3);
        headings[k] = VecHeading(&shot->vel);
        // Every shot left one unit ahead of the nose and moved by one slice of
        // flight.
        Vec3 start = shot->pos;
        Vec3 step = shot->vel;
        VecScale(&step, DT);
        VecSub(&start, &step);
        EXPECT_NEAR(start.x, 1.0f, 1e-4);
        EXPECT_NEAR(start.z, 0.0f, 1e-4);
    }
    std::sort(headings, headings + 3);
    EXPECT_NEAR(headings[0], 87.0, 1e-3);
    EXPECT_NEAR(headings[1], 90.0, 1e-3);
    EXPECT_NEAR(headings[2], 93.0, 1e-3);
}

TEST(Player, RespawnsAfterTwoSecondsAtTheOriginFacing180) {
    GameScope scope;
    Thing* ship = GameBareLevel(1, 3);
    ship->yaw = 40.0f;
    CommandExecute("+forward");
    GameRun(30, DT);
    CommandExecute("-forward");
    ThingHit(ship, THING_HIT_RAMMED);
    EXPECT_EQ(lives, 2);
    // A second ram during the explosion does nothing.
    ThingHit(ship, THING_HIT_RAMMED);
    EXPECT_EQ(lives, 2);
    GameRun(121, DT); // 1.21 s: hidden, still drifting
    EXPECT_EQ(ship->draw, nullptr);
    EXPECT_GT(Speed(ship), 1.0);
    GameRun(78, DT); // 1.99 s: not yet back
    EXPECT_GT(ship->lifetime, 0.0f);
    GameRun(2, DT);
    EXPECT_EQ(ship->hit, PlayerHit);
    EXPECT_NE(ship->draw, nullptr);
    EXPECT_FLOAT_EQ(ship->yaw, 180.0f);
    EXPECT_EQ(Speed(ship), 0.0);
    EXPECT_EQ(ship->pos.x, 0.0f);
}

TEST(Player, ExplodingShipNeitherSteersNorFires) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    ThingHit(ship, THING_HIT_SAUCER_SHOT);
    CommandExecute("+attack");
    CommandExecute("+left");
    GameRun(50, DT);
    CommandExecute("-attack");
    CommandExecute("-left");
    EXPECT_EQ(GameCountThink(ShotThink), 0);
    EXPECT_FLOAT_EQ(ship->yaw, 180.0f);
}

TEST(Player, LastShipStaysHiddenAndTheGameEndsThreeSecondsLater) {
    GameScope scope;
    GameStartLevel(1, 1);
    Thing* ship = player;
    ThingHit(ship, THING_HIT_RAMMED);
    GameRun(299, DT);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(ship->draw, nullptr);
    GameRun(2, DT);
    EXPECT_EQ(level, 0); // attract mode
}

TEST(Player, ShotsIgnoreTheirShipAndEachOtherAndStrikeOthers) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    weaponKind = WEAPON_SPREAD;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    // The three shots overlap each other and the ship: nothing happens.
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(ShotThink), 3);
    EXPECT_EQ(ship->lifetime, 0.0f);
    // A medium rock in their path is struck by the first and the shots that touch
    // it are used up.
    const Vec3 pos = {0.0f, 0.0f, -3.0f};
    const Vec3 still = {0.0f, 0.0f, 0.0f};
    Thing* rock = RockCreateMedium(&pos, &still);
    GameRun(20, DT);
    EXPECT_GT(rock->lifetime, 0.0f);
    EXPECT_EQ(score, 20);
}

TEST(Player, RailShotPassesThroughAndStrikesEveryRockOnItsLine) {
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    const Vec3 still = {0.0f, 0.0f, 0.0f};
    Thing* rocks[3];
    for (int k = 0; k < 3; k++) {
        const Vec3 pos = {0.0f, 0.0f, -10.0f - 10.0f * k};
        rocks[k] = RockCreateMedium(&pos, &still);
    }
    weaponKind = WEAPON_RAIL;
    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    Thing* rail = GameFindThink(ShotThink);
    ASSERT_NE(rail, nullptr);
    EXPECT_FLOAT_EQ(rail->yaw, ship->yaw);
    GameRun(30, DT);
    for (Thing* rock : rocks)
        EXPECT_GT(rock->lifetime, 0.0f);
    EXPECT_EQ(score, 60);
    EXPECT_FALSE(rail->flags & THING_DEAD);
}

} // namespace
