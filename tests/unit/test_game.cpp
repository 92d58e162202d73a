// Game flow: score and extra ships, the levels, the end of a game, difficulty and the chase
// camera. Play itself is pinned end to end by the shipped demos' replay.
#include "console/gameinput.h"
#include "game/rock.h"
#include "game/saucer.h"
#include "game_fixture.h"
#include "ui/screens.h"

#include <cmath>

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

TEST(Game, ExtraShipsAtOneThousandThenEveryTwoThousand) {
    GameScope scope;
    struct Case {
        int32_t from, points, ships;
    };
    for (const Case& c : {Case{990, 20, 1}, Case{1990, 20, 1}, Case{900, 1200, 2}, Case{999, 1, 1},
                          Case{1000, 999, 0}, Case{3999, 1, 1}, Case{2010, 1980, 0}}) {
        score = c.from;
        lives = 3;
        AddScore(c.points);
        EXPECT_EQ(lives, 3 + c.ships) << c.from << " + " << c.points;
    }
}

TEST(Game, LevelsAttractModeAndDifficulty) {
    GameScope scope;
    struct Case {
        int32_t level, diff, big, saucers;
        bool dark;
        double speed;
    };
    for (const Case& c :
         {Case{1, 0, 3, 1, false, 5.0}, Case{3, 0, 5, 1, true, 5.0}, Case{4, 0, 6, 2, false, 5.0},
          Case{7, -2, 9, 2, true, 5.0}, Case{8, 0, 10, 3, false, 5.0},
          Case{63, 9, 40, 10, true, 8.75}, Case{1, 1, 3, 2, false, 6.25}}) {
        difficulty = c.diff;
        GameStartLevel(c.level);
        GameSlice(DT);
        EXPECT_EQ(GameCountThink(BigRockThink), c.big) << c.level;
        EXPECT_EQ(GameCountThink(SaucerThink), c.saucers) << c.level;
        EXPECT_EQ(darkLevel != 0, c.dark) << c.level;
        EXPECT_EQ(viewerLight.red, c.dark ? 0.0f : 0.5f) << c.level;
        Thing* rock = GameFindThink(BigRockThink);
        EXPECT_NEAR(std::hypot(rock->pos.x, rock->pos.z), 25.0, 0.1);
        EXPECT_NEAR(VecLength(&rock->vel), c.speed, 1e-3);
    }
    // The harder rows fire on level 1 already; a shot spares its saucer, even from a step too
    // short to carry it clear.
    Thing* saucer = GameFindThink(SaucerThink);
    saucer->reload = 0.0f;
    GameSlice(0.0f);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 1);
    EXPECT_EQ(saucer->lifetime, 0.0f);
    GameRun(110, DT);
    EXPECT_GT(GameCountThink(SaucerShotThink), 1);
    ScreensInit();
    AttractMode();
    EXPECT_EQ(level, 0);
    EXPECT_NE(GuiFindScreen(MenuScreen), nullptr);
    GameRun(1000, DT); // nothing fires, nothing scores
    EXPECT_EQ(GameCountThink(BigRockThink), 12);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
    EXPECT_EQ(score, 0);
    GuiInit(); // the title menu closed
    // Without nicefx: no big rocks; menurocks is not capped below the pool.
    niceFx = 0;
    menuRocks = 100;
    AttractMode();
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(BigRockThink), 0);
    EXPECT_EQ(GameCountThink(MedRockThink), 100);
}

TEST(Game, NewGameBannerLevelsAndTheEnd) {
    GameScope scope;
    startLevel = 3;
    AttractMode();
    GuiInit(); // the title menu closed
    score = 77;
    NewGame();
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(score, 0);
    sliceHook = LevelBannerCountdown;
    bannerTimer = 1.5f;
    ThingKillAll();
    GameRun(149, DT);
    EXPECT_EQ(sliceHook, LevelBannerCountdown);
    GameRun(2, DT);
    EXPECT_EQ(sliceHook, GameCheck);
    EXPECT_EQ(level, 3);
    // The last ship lost while the last rock explodes: no next level, attract mode 3 s later.
    for (int k = 0; Thing* rock = GameFindThink(BigRockThink, k); k++)
        rock->flags |= THING_DEAD;
    const Vec3 pos = {20.0f, 0.0f, 0.0f};
    ThingHit(RockCreateMedium(&pos, &STILL), THING_HIT_SHIP_SHOT);
    lives = 1;
    ThingHit(player, THING_HIT_RAMMED);
    for (int i = 0; i < 299; i++) {
        GameSlice(DT);
        ASSERT_EQ(level, 3);
    }
    EXPECT_EQ(player->draw, nullptr);
    GameRun(2, DT);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(lives, 0);
}

// The chase camera after one slice, ship at (10, 0, 5): its yaw, and its place behind the ship (or
// in the cockpit) turned by that yaw. Easing turns 720 degrees a second unless snapped.
TEST(Camera, ModesEasingLookBackAndMouseLook) {
    const float NO_MOUSE = 999.0f;
    // Camera mode, ship yaw, ship speed along z, snap, mouse yaw, the camera's yaw.
    const float cases[][6] = {
        {0, 90, 0, 1, NO_MOUSE, -90},   // resting: behind the nose
        {0, -120, 5, 1, NO_MOUSE, 180}, // moving: behind the flight
        {7, -120, 5, 1, NO_MOUSE, 180}, // a mode of no meaning flies as 0
        {3, -120, 5, 1, NO_MOUSE, 60},  // the cockpit, on the nose
        {1, 90, 5, 1, NO_MOUSE, -135},  // halfway between the flight and the nose
        {0, 180, 3, 0, NO_MOUSE, 7.2f}, // eased toward the flight behind it
        {0, 180, 0, 0, 30, -150},       // mouse look: no easing
    };
    for (const auto& c : cases) {
        GameScope scope;
        Thing* ship = GameBareLevel(1);
        ship->pos = {10.0f, 0.0f, 5.0f};
        ship->yaw = c[1];
        ship->vel = {0.0f, 0.0f, c[2]};
        gameInput.state.cameraMode = int32_t(c[0]);
        cameraYaw = 0.0f;
        gameInput.state.cameraSnap = int32_t(c[3]);
        gameInput.state.controls[CONTROL_MOUSELOOK] = c[4] != NO_MOUSE;
        gameInput.state.mouseYaw = c[4];
        GameSlice(DT);
        EXPECT_NEAR(cameraYaw, c[5], 1e-3) << c[0] << " " << c[1];
        Vec3 offset = c[0] == 3 ? Vec3{0.0f, 0.5f, 0.2f} : Vec3{0.0f, 2.0f, -4.0f};
        VecRotateY(&offset, c[5] + 180.0f);
        EXPECT_NEAR(cameraPos.x, ship->pos.x + offset.x, 1e-3) << c[0];
        EXPECT_NEAR(cameraPos.z, ship->pos.z + offset.z, 1e-3) << c[0];
    }
    GameScope scope;
    GameBareLevel(1)->yaw = 180.0f;
    GameSlice(DT);
    CommandExecute("+lookback");
    GameSlice(DT);
    EXPECT_NEAR(std::fabs(cameraYaw), 180.0f, 1e-3); // straight round, no easing
    CommandExecute("-lookback");
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, 0.0f, 1e-3); // and straight back
}

} // namespace
