// Game flow: score and extra ships, the levels, the end of a game, difficulty,
// the chase camera, and a long soak over many simulated levels.
#include "audio/wave.h"
#include "audio_test_files.h"
#include "core/clock.h"
#include "game/explosion.h"
#include "game/player.h"
#include "game/rock.h"
#include "game/saucer.h"
#include "game_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float DT = 0.01f;
const Vec3 STILL = {0.0f, 0.0f, 0.0f};

TEST(Game, ExtraShipsAtOneThousandThenEveryTwoThousand) {
    GameScope scope;
    struct Case {
        int32_t from, points, ships;
    };
    const Case cases[] = {{990, 20, 1}, {1990, 20, 1}, {900, 1200, 2},
                          {0, 999, 0},  {999, 1, 1},   {1000, 999, 0},
                          {3999, 1, 1}, {5990, 20, 1}, {2010, 1980, 0}};
    for (const Case& c : cases) {
        score = c.from;
        lives = 3;
        AddScore(c.points);
        EXPECT_EQ(score, c.from + c.points);
        EXPECT_EQ(lives, 3 + c.ships) << c.from << " + " << c.points;
    }
}

TEST(Game, LevelsHaveTheirRocksSaucersAndScenery) {
    GameScope scope;
    struct Case {
        int32_t level, big, saucers;
    };
    for (const Case& c : {Case{1, 3, 1}, Case{3, 5, 1}, Case{4, 6, 2}, Case{8, 10, 3}}) {
        GameStartLevel(c.level);
        GameSlice(DT);
        EXPECT_EQ(GameCountThink(BigRockThink), c.big) << c.level;
        EXPECT_EQ(GameCountThink(SaucerThink), c.saucers) << c.level;
        EXPECT_EQ(GameCountThink(PostThink), 36);
        EXPECT_EQ(GameCountThink(PlayerThink), 1);
        // Big rocks start on a ring of radius 25 at speed 5.
        Thing* rock = GameFindThink(BigRockThink);
        EXPECT_NEAR(std::hypot(rock->pos.x, rock->pos.z), 25.0, 0.1);
        EXPECT_NEAR(VecLength(&rock->vel), 5.0, 1e-3);
    }
}

TEST(Game, EveryFourthLevelFromThreeIsDark) {
    GameScope scope;
    for (int32_t n = 1; n <= 12; n++) {
        GameStartLevel(n);
        GameSlice(DT);
        const bool dark = n == 3 || n == 7 || n == 11;
        EXPECT_EQ(darkLevel != 0, dark) << n;
        EXPECT_EQ(viewerLight.red, dark ? 0.0f : 0.5f) << n;
    }
}

TEST(Game, NewGameBannerAndLevelStart) {
    GameScope scope("level=3\n");
    startLevel = 3;
    AttractMode();
    GameScope::CloseScreens();
    score = 77;
    NewGame();
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(score, 0);
    sliceHook = LevelBannerCountdown;
    bannerTimer = 1.5f;
    ThingKillAll();
    GameRun(149, DT);
    EXPECT_EQ(sliceHook, LevelBannerCountdown);
    GameRun(2, DT);
    EXPECT_EQ(sliceHook, GameCheck);
    EXPECT_EQ(GameCountThink(BigRockThink), 5);
    EXPECT_NE(darkLevel, 0);
}

TEST(Game, LosingTheLastShipWhileTheLastRockExplodesEndsTheGame) {
    GameScope scope;
    GameStartLevel(1);
    for (int k = 0; k < 3; k++)
        GameFindThink(BigRockThink, k)->flags |= THING_DEAD;
    const Vec3 pos = {20.0f, 0.0f, 0.0f};
    Thing* rock = RockCreateMedium(&pos, &STILL);
    lives = 1;
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    ThingHit(player, THING_HIT_RAMMED);
    int32_t maxLevel = level;
    for (int i = 0; i < 310; i++) {
        GameSlice(DT);
        if (level > maxLevel) maxLevel = level;
    }
    EXPECT_EQ(maxLevel, 1);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(lives, 0);
}

TEST(Game, AttractModeScene) {
    GameScope scope;
    AttractMode();
    EXPECT_EQ(level, 0);
    EXPECT_EQ(lives, 0);
    EXPECT_NE(GuiFindScreen(MenuScreen), nullptr);
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(BigRockThink), 12);
    EXPECT_EQ(GameCountThink(BannerThink), 1);
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->flags & THING_NO_COLLIDE);
    // The camera rests at its start point; nothing fires and the attract scene
    // runs on.
    GameRun(1000, DT);
    EXPECT_EQ(cameraPos.z, 4.0f);
    EXPECT_EQ(cameraYaw, 0.0f);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
    EXPECT_EQ(score, 0);
    GameScope::CloseScreens();
    // Without nicefx: no big rocks, a fixed banner; menurocks is not capped below the pool.
    niceFx = 0;
    menuRocks = 100;
    AttractMode();
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(BigRockThink), 0);
    EXPECT_EQ(GameCountThink(MedRockThink), 100);
    EXPECT_EQ(GameCountThink(BannerThink), 0);
}

TEST(Game, DifficultyRows) {
    GameScope scope;
    difficulty = -4;
    EXPECT_EQ(&GameDifficultyRules(), &GAME_DIFFICULTY[0]);
    difficulty = 99;
    EXPECT_EQ(&GameDifficultyRules(), &GAME_DIFFICULTY[GAME_DIFFICULTY_LEVELS - 1]);
    // Each row is at least as hard as the one before.
    for (int d = 1; d < GAME_DIFFICULTY_LEVELS; d++) {
        EXPECT_GT(GAME_DIFFICULTY[d].rockSpeed, GAME_DIFFICULTY[d - 1].rockSpeed);
        EXPECT_LT(GAME_DIFFICULTY[d].saucerReload, GAME_DIFFICULTY[d - 1].saucerReload);
    }
}

TEST(Game, HarderLevelsHaveFasterRocksMoreSaucersAndEarlierFire) {
    GameScope scope;
    difficulty = 1;
    GameStartLevel(1);
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(SaucerThink), 2);
    EXPECT_NEAR(VecLength(&GameFindThink(BigRockThink)->vel), 6.25, 1e-3);
    GameRun(110, DT);
    EXPECT_GT(GameCountThink(SaucerShotThink), 0); // level 1 already
    // Split pieces are faster too.
    Thing* rock = GameFindThink(BigRockThink);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    GameRun(121, DT);
    EXPECT_NEAR(VecLength(&GameFindThink(MedRockThink)->vel), 12.5, 1e-3);

    difficulty = -2; // as 0
    GameStartLevel(1);
    GameSlice(DT);
    EXPECT_EQ(GameCountThink(SaucerThink), 1);
    EXPECT_NEAR(VecLength(&GameFindThink(BigRockThink)->vel), 5.0, 1e-3);
}

// Camera helpers: a level in play with the ship at a known place.
Thing* CameraLevel() {
    Thing* ship = GameBareLevel(1);
    ship->pos = {10.0f, 0.0f, 5.0f};
    return ship;
}

TEST(Camera, IdleWithoutALevel) {
    GameScope scope;
    cameraPos = {9.0f, 9.0f, 9.0f};
    cameraYaw = 33.0f;
    GameSlice(DT);
    EXPECT_EQ(cameraPos.z, 4.0f);
    EXPECT_EQ(cameraYaw, 0.0f);
}

TEST(Camera, ModesZeroAndOneLookAlongTheNoseAtRest) {
    for (int32_t mode : {0, 1, 7, -1}) {
        GameScope scope;
        Thing* ship = CameraLevel();
        cameraMode = mode;
        ship->yaw = 90.0f; // nose toward +x
        cameraYaw = 90.0f - 180.0f;
        GameSlice(DT);
        // Four behind the nose and two above.
        EXPECT_NEAR(cameraPos.x, 10.0f - 4.0f, 1e-4) << mode;
        EXPECT_NEAR(cameraPos.z, 5.0f, 1e-4);
        EXPECT_NEAR(cameraYaw, -90.0f, 1e-4);
    }
}

TEST(Camera, FollowCameraTurnsAtMost720DegreesPerSecondTowardTheDrift) {
    GameScope scope;
    Thing* ship = CameraLevel();
    ship->yaw = 180.0f;
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, 0.0f, 1e-4);
    ship->vel = {0.0f, 0.0f, 3.0f}; // drifting backwards
    GameSlice(DT);
    EXPECT_NEAR(std::fabs(cameraYaw), 7.2f, 1e-3);
    GameRun(23, DT);
    EXPECT_NEAR(std::fabs(cameraYaw), 172.8f, 1e-2);
    GameRun(2, DT);
    EXPECT_NEAR(std::fabs(cameraYaw), 180.0f, 1e-3);
    // Behind the flight now: the camera sits at lower z than the ship.
    EXPECT_NEAR(cameraPos.z, ship->pos.z - 4.0f, 1e-3);
}

TEST(Camera, ModeOneAimsHalfwayBetweenFlightAndNose) {
    GameScope scope;
    Thing* ship = CameraLevel();
    cameraMode = 1;
    ship->yaw = 90.0f;
    ship->vel = {0.0f, 0.0f, 5.0f}; // flying toward +z, heading 0
    cameraSnap = 1;
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, GameAngleWrap(45.0f + 180.0f), 1e-3);
}

TEST(Camera, NoseAndCockpitModesFollowTheNoseAtOnce) {
    GameScope scope;
    Thing* ship = CameraLevel();
    ship->vel = {0.0f, 0.0f, 5.0f};
    ship->yaw = -120.0f;
    cameraMode = 2;
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, 60.0f, 1e-3);
    Vec3 behind = {0.0f, 2.0f, -4.0f};
    VecRotateY(&behind, -120.0);
    EXPECT_NEAR(cameraPos.x, ship->pos.x + behind.x, 1e-3);
    EXPECT_NEAR(cameraPos.z, ship->pos.z + behind.z, 1e-3);
    cameraMode = 3;
    GameSlice(DT);
    Vec3 cockpit = {0.0f, 0.5f, 0.2f};
    VecRotateY(&cockpit, -120.0);
    EXPECT_NEAR(cameraPos.x, ship->pos.x + cockpit.x, 1e-3);
    EXPECT_NEAR(cameraPos.z, ship->pos.z + cockpit.z, 1e-3);
}

TEST(Camera, LookBackSnapsAndMouseLookFollowsTheMouse) {
    GameScope scope;
    Thing* ship = CameraLevel();
    ship->yaw = 180.0f;
    GameSlice(DT);
    CommandExecute("+lookback");
    EXPECT_EQ(cameraSnap, 1);
    GameSlice(DT);
    EXPECT_EQ(cameraSnap, 0);
    EXPECT_NEAR(std::fabs(cameraYaw), 180.0f, 1e-3); // straight round, no easing
    CommandExecute("-lookback");
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, 0.0f, 1e-3);
    cmdMouselook = 1;
    mouseYaw = 30.0f;
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, -150.0f, 1e-3);
    cmdMouselook = 0;
}

// Random controls over many levels: the pools never run out and nothing
// non-finite appears.
bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

TEST(GameSoak, HundredsOfLevelsWithRandomControls) {
    GameScope scope("lights = 4\n");
    int32_t maxThings = 0, maxLights = 0, games = 0;
    for (int32_t round = 0; round < 240; round++) {
        difficulty = round % 5 - 1;
        niceFx = (round % 7) != 0;
        starsEnabled = (round % 3) != 0;
        cameraMode = round % 5;
        lives = 1 + round % 3;
        GameStartLevel(1 + (round * 7) % 16, lives);
        for (int32_t i = 0; i < 250; i++) {
            if (i % 10 == 0) {
                cmdForward = RandomRange(0, 1);
                cmdBackward = RandomRange(0, 4) == 0;
                cmdLeft = RandomRange(0, 1);
                cmdRight = RandomRange(0, 1);
                cmdAttack = RandomRange(0, 2) != 0;
                cmdLookback = RandomRange(0, 9) == 0;
                cmdMouselook = RandomRange(0, 9) == 0;
                mouseYaw = static_cast<float>(RandomRange(0, 720)) - 360.0f;
                if (RandomRange(0, 20) == 0) {
                    weaponKind = RandomRange(0, 3);
                    weaponTimer = 5.0f;
                }
            }
            // Now and then a rock or saucer is struck wherever it is, for more
            // explosions.
            if (i % 15 == 0 && thingIndex.count > 0) {
                Thing* t =
                    static_cast<Thing*>(thingIndex.items[RandomRange(0, thingIndex.count - 1)]);
                ThingHit(t, THING_HIT_SHIP_SHOT);
            }
            GameSlice(static_cast<float>(RandomRange(5, 40)) * 0.001f);
            maxThings = std::max(maxThings, thingIndex.count);
            maxLights = std::max(maxLights, lightIndex.count);
            for (int32_t k = 0; k < thingIndex.count; k++) {
                const Thing* t = static_cast<const Thing*>(thingIndex.items[k]);
                ASSERT_TRUE(Finite(t->pos) && Finite(t->vel) && std::isfinite(t->scale))
                    << "round " << round;
            }
            for (int32_t k = 0; k < particleIndex.count; k++)
                ASSERT_TRUE(Finite(static_cast<const Particle*>(particleIndex.items[k])->pos));
            ASSERT_TRUE(Finite(cameraPos) && std::isfinite(cameraYaw));
            if (level == 0) { // the game ended: back in attract mode
                games++;
                GameScope::CloseScreens();
                break;
            }
        }
    }
    cmdForward = cmdBackward = cmdLeft = cmdRight = cmdAttack = cmdLookback = cmdMouselook = 0;
    EXPECT_LT(maxThings, THING_MAX);
    EXPECT_LT(maxLights, LIGHT_MAX + 1);
    EXPECT_GT(games, 0);
}

// The game's sounds through the real mixer on SDL's dummy driver, each sample
// told apart by its length.

constexpr uint32_t SOUND_BASE_FRAMES = 40000;

int32_t VoicesOf(int32_t sample, bool positional, int32_t volume) {
    int32_t n = 0;
    for (int32_t i = 0; i < WaveVoiceCount(); i++) {
        const Voice v = WaveVoiceGet(i);
        const uint8_t level = v.positional ? v.baseVolume : v.volume;
        if (v.sample->dataLength == SOUND_BASE_FRAMES + 1000u * sample &&
            (v.positional != 0) == positional && level == volume)
            n++;
    }
    return n;
}

TEST(GameSound, EveryGameSoundPlaysItsSampleAtItsVolume) {
    GameScope scope("channels = 8\n");
    const char* names[] = {"sound/shoot3.wav", "sound/shoot.wav", "sound/explode.wav",
                           "sound/pickup.wav", "sound/menu.wav"};
    for (int32_t i = 0; i < 5; i++)
        AudioWriteFile(names[i],
                       AudioMakeWav(std::vector<uint8_t>(SOUND_BASE_FRAMES + 1000u * i, 140)));
    ClockInit();
    cameraPos = {0.0f, 0.0f, 0.0f};
    WaveInit();
    ASSERT_GT(voiceChannels, 0);

    GameStartLevel(2);
    EXPECT_EQ(VoicesOf(SND_EXPLODE, false, 255), 1); // the warp-in

    CommandExecute("+attack");
    GameSlice(DT);
    CommandExecute("-attack");
    EXPECT_EQ(VoicesOf(SND_SHOOT3, false, 255), 1);

    const Vec3 pos = {5.0f, 0.0f, 5.0f};
    Thing* rock = RockCreateBig(&pos, &STILL);
    ThingHit(rock, THING_HIT_SHIP_SHOT);
    EXPECT_EQ(VoicesOf(SND_EXPLODE, true, 255), 1);

    score = 990;
    AddScore(20);
    EXPECT_EQ(VoicesOf(SND_PICKUP, false, 255), 1);

    // A saucer fires from level 2: its shot sounds at the saucer.
    Thing* saucer = GameFindThink(SaucerThink);
    ASSERT_NE(saucer, nullptr);
    saucer->reload = 0.0f;
    GameSlice(DT);
    EXPECT_EQ(VoicesOf(SND_SHOOT, true, 255), 1);
    WaveUnInit();
}

} // namespace
