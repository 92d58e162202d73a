// Game flow: score and extra ships, the levels, the end of a game, difficulty,
// the chase camera, and a long soak over many simulated levels.
#include "audio/wave.h"
#include "audio_test_files.h"
#include "core/clock.h"
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
    for (const Case& c : {Case{1, 0, 3, 1, false, 5.0}, Case{3, 0, 5, 1, true, 5.0},
                          Case{4, 0, 6, 2, false, 5.0}, Case{7, -2, 9, 2, true, 5.0},
                          Case{8, 0, 10, 3, false, 5.0}, Case{1, 1, 3, 2, false, 6.25}}) {
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
    // The harder rows fire on level 1 already.
    GameRun(110, DT);
    EXPECT_GT(GameCountThink(SaucerShotThink), 0);

    AttractMode();
    EXPECT_EQ(level, 0);
    EXPECT_NE(GuiFindScreen(MenuScreen), nullptr);
    GameRun(1000, DT); // the camera rests, nothing fires, nothing scores
    EXPECT_EQ(GameCountThink(BigRockThink), 12);
    EXPECT_TRUE(player->flags & THING_NO_COLLIDE);
    EXPECT_EQ(cameraPos.z, 4.0f);
    EXPECT_EQ(GameCountThink(SaucerShotThink), 0);
    EXPECT_EQ(score, 0);
    GameScope::CloseScreens();
    // Without nicefx: no big rocks, a still banner; menurocks is not capped below the pool.
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
    GameScope::CloseScreens();
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
    int32_t maxLevel = level;
    for (int i = 0; i < 299; i++) {
        GameSlice(DT);
        maxLevel = std::max(maxLevel, level);
    }
    EXPECT_EQ(maxLevel, 3);
    EXPECT_EQ(player->draw, nullptr);
    GameRun(2, DT);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(lives, 0);
}

// The chase camera, ship at (10, 0, 5): yaw and offset after one slice for each mode.
TEST(Camera, ModesFollowTheNoseOrTheFlight) {
    struct Case {
        int32_t mode;
        float shipYaw, velZ, cameraYaw;
        Vec3 offset; // from the ship, before the ship's yaw
    };
    const Vec3 behind = {0.0f, 2.0f, -4.0f};
    for (const Case& c :
         {Case{0, 90.0f, 0.0f, -90.0f, behind}, Case{7, 90.0f, 0.0f, -90.0f, behind},
          Case{2, -120.0f, 5.0f, 60.0f, behind},
          Case{3, -120.0f, 5.0f, 60.0f, {0.0f, 0.5f, 0.2f}}}) {
        GameScope scope;
        Thing* ship = GameBareLevel(1);
        ship->pos = {10.0f, 0.0f, 5.0f};
        ship->yaw = c.shipYaw;
        ship->vel = {0.0f, 0.0f, c.velZ};
        cameraMode = c.mode;
        cameraSnap = 1;
        GameSlice(DT);
        EXPECT_NEAR(cameraYaw, c.cameraYaw, 1e-3) << c.mode;
        Vec3 offset = c.offset;
        VecRotateY(&offset, c.shipYaw);
        EXPECT_NEAR(cameraPos.x, ship->pos.x + offset.x, 1e-3) << c.mode;
        EXPECT_NEAR(cameraPos.z, ship->pos.z + offset.z, 1e-3) << c.mode;
    }
    // Mode 1 aims halfway between the flight (heading 0) and the nose.
    GameScope scope;
    Thing* ship = GameBareLevel(1);
    ship->yaw = 90.0f;
    ship->vel = {0.0f, 0.0f, 5.0f};
    cameraMode = 1;
    cameraSnap = 1;
    GameSlice(DT);
    EXPECT_NEAR(cameraYaw, GameAngleWrap(45.0f + 180.0f), 1e-3);
}

TEST(Camera, EasesAt720PerSecondSnapsOnLookBackAndFollowsTheMouse) {
    for (bool drift : {true, false}) {
        GameScope scope;
        cameraYaw = 33.0f;
        GameSlice(DT);
        EXPECT_EQ(cameraYaw, 0.0f); // no level: the camera rests at its start
        Thing* ship = GameBareLevel(1);
        ship->yaw = 180.0f;
        GameSlice(DT);
        if (drift) {
            ship->vel = {0.0f, 0.0f, 3.0f}; // backwards: the camera swings round to the flight
            GameSlice(DT);
            EXPECT_NEAR(std::fabs(cameraYaw), 7.2f, 1e-3);
            GameRun(24, DT);
            EXPECT_NEAR(std::fabs(cameraYaw), 180.0f, 1e-3);
            continue;
        }
        CommandExecute("+lookback");
        GameSlice(DT);
        EXPECT_NEAR(std::fabs(cameraYaw), 180.0f, 1e-3); // straight round, no easing
        CommandExecute("-lookback");
        GameSlice(DT);
        EXPECT_NEAR(cameraYaw, 0.0f, 1e-3);
        cmdMouselook = 1;
        mouseYaw = 30.0f;
        GameSlice(DT);
        EXPECT_NEAR(cameraYaw, -150.0f, 1e-3);
    }
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
