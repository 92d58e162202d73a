// Game flow, the game slice and the chase camera.
#include "game/game.h"

#include "audio/wave.h"
#include "console/command.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "foundation/mem.h"
#include "game/collision.h"
#include "game/explosion.h"
#include "game/pause.h"
#include "game/player.h"
#include "game/rock.h"
#include "game/saucer.h"
#include "game/thing.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/texture.h"

#include <algorithm>

int32_t arenaPosts = ARENA_POSTS;
float arenaSize = ARENA_SIZE;
float arenaBound = GAME_ARENA_BOUND;
int32_t darkLevel = 0;

int32_t score = 0;
int32_t lives = 0;
int32_t level = 0;
int32_t weaponKind = WEAPON_NORMAL;
float weaponTimer = 0.0f;
Thing* player = nullptr;
float bannerTimer = 0.0f;
void (*sliceHook)(float dt) = nullptr;
int32_t difficulty = 0;
int32_t easyOffered = 0;
int32_t startLevel = 1;
int32_t menuRocks = 12;
GameStats gameStats = {};
float shipGrace = 0.0f;

namespace {

const Setting GAME_SETTING_ROWS[] = {
    {"level", SETTING_INT, 1, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(startLevel); }, [](double v) { GameSetStartLevel(int32_t(v)); }},
    {"menurocks", SETTING_INT, 12, nullptr, 0, 1000, SETTING_PLAY, [] { return double(menuRocks); },
     [](double v) { GameSetMenuRocks(int32_t(v)); }},
    {"diff", SETTING_INT, 0, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(difficulty); }, [](double v) { GameSetDifficulty(int32_t(v)); }},
    {"easy", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAY, [] { return double(easyOffered); },
     [](double v) { GameSetEasy(int32_t(v)); }},
    {"grace", SETTING_FLOAT, 0.0, nullptr, 0.0, GAME_GRACE_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(shipGrace); }, [](double v) { GameSetGrace(float(v)); }},
};

} // namespace

const SettingTable gameSettings = SettingTableOf("game", GAME_SETTING_ROWS);

namespace {

constexpr float VIEWER_INTENSITY = 0.5f;
// The dark level's one faint, far light with a reach that covers the whole
// arena.
constexpr Vec3 DARK_LIGHT_POS = {500.0f, 50.0f, 25.0f};
constexpr float DARK_LIGHT_RADIUS = 1e8f;
constexpr float DARK_LIGHT_LEVEL = 0.08f;

// Things start on a ring around the centre and fly off at spread-out headings.
constexpr float ROCK_START_SPEED = 5.0f;
constexpr float MENU_MEDIUM_SPEED = 7.5f;
constexpr float SAUCER_START_SPEED = 7.0f;
constexpr float SAUCER_RING = 40.0f;
constexpr float SAUCER_HEIGHT = 0.07f;
constexpr float MENU_PICKUP_RING = 20.0f;
constexpr float MENU_PICKUP_SPEED = 5.0f;

constexpr Vec3 CAMERA_IDLE_POS = {0.0f, 2.0f, 4.0f};
constexpr Vec3 CAMERA_BEHIND_OFFSET = {0.0f, 2.0f, -4.0f};
constexpr Vec3 CAMERA_COCKPIT_OFFSET = {0.0f, 0.5f, 0.2f};
// Below this speed the follow camera looks along the nose instead of the
// flight.
constexpr float CAMERA_MIN_FLIGHT_SPEED = 1.0f;

// The light record kept back for the dark level's scene light.
constexpr int32_t SCENE_LIGHT_RESERVE = 1;

constexpr GameScreens NO_SCREENS = {};
const GameScreens* gameScreens = &NO_SCREENS;
void (*noteHook)(GameNote what, int32_t detail) = nullptr;

void GameSceneLight() {
    if (darkLevel) {
        LightSetViewer(&cameraPos, 0.0f);
        if (lightFreeIndex.count > 0)
            LightCreate(&DARK_LIGHT_POS, DARK_LIGHT_RADIUS, DARK_LIGHT_LEVEL, DARK_LIGHT_LEVEL,
                        DARK_LIGHT_LEVEL);
    } else {
        LightSetViewer(&cameraPos, VIEWER_INTENSITY);
    }
}

// (0, 0, distance) turned through degrees.
Vec3 Turned(float distance, double degrees) {
    Vec3 v = {0.0f, 0.0f, distance};
    VecRotateY(&v, degrees);
    return v;
}

// count rocks of one size on a ring of radius arenaSize / 4, heading off at
// spread-out angles.
void RocksOnRing(int32_t count, float speed, Thing* (*create)(const Vec3*, const Vec3*)) {
    const double step = 360.0 / count;
    for (int32_t i = 0; i < count; i++) {
        const Vec3 pos = Turned(arenaSize * 0.25f, i * step);
        const Vec3 vel = Turned(speed, (RandomRange(0, count - 1) + i) * step);
        create(&pos, &vel);
    }
}

void SaucerOnRing(float speed) {
    Vec3 pos = {0.0f, SAUCER_HEIGHT, -SAUCER_RING};
    VecRotateY(&pos, RandomRange(0, 360));
    const Vec3 vel = Turned(speed, RandomRange(0, 360));
    SaucerCreate(&pos, &vel);
}

bool RocksLeft() {
    for (int32_t i = 0; i < thingIndex.count; i++) {
        if (RockIsRock(static_cast<const Thing*>(thingIndex.items[i]))) return true;
    }
    return false;
}

void GameOver() {
    gameStats.levelReached = level;
    AttractMode();
    if (gameScreens->gameOver) gameScreens->gameOver(score);
}

} // namespace

void GameSetScreens(const GameScreens* screens) {
    gameScreens = screens ? screens : &NO_SCREENS;
}

void GameSetNoteHook(void (*note)(GameNote what, int32_t detail)) {
    noteHook = note;
}

void GameSetDifficulty(int32_t diff) {
    difficulty = diff;
    // A game played partly at an easier level counts as one of that level.
    if (level > 0) gameStats.difficulty = std::min(gameStats.difficulty, GameDifficultyLevel());
}

void GameSetEasy(int32_t on) {
    easyOffered = on != 0 ? 1 : 0;
    if (level > 0) gameStats.difficulty = std::min(gameStats.difficulty, GameDifficultyLevel());
}

void GameSetGrace(float seconds) {
    // Written so that a value that is no number ("nan" reads as one) gives no grace.
    shipGrace = seconds > 0.0f ? std::min(seconds, GAME_GRACE_MAX) : 0.0f;
}

void GameSetStartLevel(int32_t firstLevel) {
    startLevel = firstLevel < 1 ? 1 : firstLevel;
}

void GameSetMenuRocks(int32_t rocks) {
    menuRocks = rocks;
}

void GameReset() {
    arenaPosts = ARENA_POSTS;
    arenaSize = ARENA_SIZE;
    arenaBound = GAME_ARENA_BOUND;
    darkLevel = 0;
    score = 0;
    lives = 0;
    level = 0;
    weaponKind = WEAPON_NORMAL;
    weaponTimer = 0.0f;
    player = nullptr;
    bannerTimer = 0.0f;
    sliceHook = nullptr;
    gameStats = {};
    SettingsApplyDefaults(gameSettings);
}

int32_t GameDifficultyLowest() {
    return easyOffered ? GAME_DIFFICULTY_EASY : 0;
}

int32_t GameDifficultyLevel() {
    return std::clamp(difficulty, GameDifficultyLowest(), GAME_DIFFICULTY_LEVELS - 1);
}

const GameDifficulty& GameDifficultyOf(int32_t difficultyLevel) {
    if (difficultyLevel <= GAME_DIFFICULTY_EASY) return GAME_DIFFICULTY_EASY_ROW;
    return GAME_DIFFICULTY[std::clamp(difficultyLevel, 0, GAME_DIFFICULTY_LEVELS - 1)];
}

const GameDifficulty& GameDifficultyRules() {
    return GameDifficultyOf(GameDifficultyLevel());
}

void GameCount(GameEvent event) {
    if (level <= 0) return; // the attract mode's things count for nobody
    int32_t* counter = nullptr;
    switch (event) {
    case GAME_EVENT_ROCK:
        counter = &gameStats.rocks;
        break;
    case GAME_EVENT_SAUCER:
        counter = &gameStats.saucers;
        break;
    case GAME_EVENT_SHOT:
        counter = &gameStats.shotsFired;
        break;
    case GAME_EVENT_HIT:
        counter = &gameStats.shotsHit;
        break;
    }
    if (counter && *counter < INT32_MAX) ++*counter;
}

float GameRockSpeedFactor() {
    return GameDifficultyRules().rockSpeed;
}

float GameAngleWrap(float degrees) {
    while (degrees > 180.0f)
        degrees -= 360.0f;
    while (degrees < -180.0f)
        degrees += 360.0f;
    return degrees;
}

void GameLight(const Vec3* pos, float radius, float red, float green, float blue) {
    if (lightFreeIndex.count > SCENE_LIGHT_RESERVE) LightCreate(pos, radius, red, green, blue);
}

bool GamePlayerPresent() {
    // A freed record is cleared, so its id is 0.
    return player != nullptr && player->id != 0 && !(player->flags & THING_DEAD);
}

void GameSlice(float dt) {
    if (gameInput.state.paused) return; // everything holds, the lights of the last step included
    LightClearAll();
    ThingUpdateAll(dt);
    CollideAll();
    ParticleUpdate(dt);
    if (sliceHook != nullptr) sliceHook(dt);
    GameCamera(dt);
    GameSceneLight();
}

void AddScore(int32_t points) {
    const int32_t old = score;
    const int32_t now = old + points;
    score = now;
    const int32_t gained = old < 1000 ? now / 1000 - old / 1000 : now / 2000 - old / 2000;
    lives += gained;
    if (gained != 0) WavePlay(SND_PICKUP, 255);
    if (gained > 0 && noteHook) noteHook(GAME_NOTE_EXTRA_SHIP, gained);
}

void AttractMode() {
    ThingKillAll();
    ParticleClearAll();
    level = 0;
    lives = 0;
    BuildScenery(1);

    // The invisible reference point at the centre.
    player = ThingCreate();
    player->model = shipModel;
    player->texture = &textures[TEXTURE_SHIP];
    player->yaw = 180.0f;
    player->flags = THING_NO_COLLIDE;

    SaucerOnRing(SAUCER_START_SPEED);
    for (const int32_t kind : {PICKUP_RAIL, PICKUP_SPREAD}) {
        const Vec3 pos = Turned(MENU_PICKUP_RING, RandomRange(0, 359));
        const Vec3 vel = Turned(MENU_PICKUP_SPEED, RandomRange(0, 359));
        PickupCreate(kind, &pos, &vel);
    }
    // As many as menurocks asks: the thing pool is the only limit (documented with the setting).
    if (niceFx) RocksOnRing(menuRocks, ROCK_START_SPEED, RockCreateBig);
    RocksOnRing(menuRocks, MENU_MEDIUM_SPEED, RockCreateMedium);
    BannerCreate();

    sliceHook = nullptr;
    SceneSetOverlay(gameScreens->titleOverlay);
    darkLevel = 0;
    if (gameScreens->attract) gameScreens->attract();
}

void NewGame() {
    lives = GAME_START_LIVES;
    level = startLevel;
    score = 0;
    weaponKind = WEAPON_NORMAL;
    weaponTimer = 0.0f;
    gameStats = {};
    gameStats.difficulty = GameDifficultyLevel();
    gameStats.firstLevel = startLevel;
    gameStats.levelReached = startLevel;
}

void GameQuit() {
    GameOver();
}

void GameBeginBanner() {
    sliceHook = LevelBannerCountdown;
    SceneSetOverlay(gameScreens->bannerOverlay);
    bannerTimer = GAME_BANNER_TIME;
    ThingKillAll();
    ParticleClearAll();
}

void GameGrantWeapon(int32_t kind, float seconds) {
    weaponKind = kind;
    weaponTimer = std::min(weaponTimer + seconds, GAME_WEAPON_TIME_MAX);
    if (noteHook) noteHook(GAME_NOTE_WEAPON, kind);
}

int32_t GameLoseShip() {
    lives -= 1;
    return lives;
}

void LevelBannerCountdown(float dt) {
    bannerTimer -= dt;
    if (bannerTimer <= 0.0f) StartLevel(level);
}

bool GameLevelDark(int32_t n) {
    return n % 4 == 3;
}

void StartLevel(int32_t n) {
    ThingKillAll();
    ParticleClearAll();
    arenaPosts = ARENA_POSTS;
    arenaSize = ARENA_SIZE;
    arenaBound = GAME_ARENA_BOUND;
    BuildScenery(n);
    SpawnLevel(n);
    sliceHook = GameCheck;
    SceneSetOverlay(gameScreens->hudOverlay);
    darkLevel = GameLevelDark(n) ? 1 : 0;
}

void SpawnLevel(int32_t n) {
    const Vec3 origin = {0.0f, 0.0f, 0.0f};
    ExplosionBlast(&origin, nullptr, EXPLOSION_WARP_IN, false);
    player = PlayerCreate();

    const GameDifficulty& rules = GameDifficultyRules();
    const auto rocks = static_cast<int32_t>(
        std::clamp(int64_t{n} + 2 + rules.extraRocks, int64_t{1}, int64_t{GAME_MAX_BIG_ROCKS}));
    RocksOnRing(rocks, ROCK_START_SPEED * rules.rockSpeed, RockCreateBig);

    int32_t saucers = n / 4 + 1 + rules.extraSaucers;
    if (saucers > GAME_MAX_SAUCERS) saucers = GAME_MAX_SAUCERS;
    for (int32_t i = 0; i < saucers; i++)
        SaucerOnRing(SAUCER_START_SPEED * rules.saucerSpeed);
}

void GameCheck(float dt) {
    if (!RocksLeft() && lives >= 1) {
        level += 1;
        GameBeginBanner();
        return;
    }
    if (lives < 1) {
        // The game ends once the last ship's explosion has played out.
        if (!GamePlayerPresent() || player->age > player->lifetime) GameOver();
        return;
    }
    if (weaponTimer > 0.0f) {
        weaponTimer -= dt;
        // A timer that lands exactly on 0 ends the bonus too; otherwise it would
        // never end.
        if (weaponTimer <= 0.0f) {
            weaponTimer = 0.0f;
            weaponKind = WEAPON_NORMAL;
        }
    }
}

void GameCamera(float dt) {
    if (thingIndex.count == 0 || !GamePlayerPresent() || level < 1) {
        SceneSetCamera(&CAMERA_IDLE_POS, 0.0f);
    } else {
        const Thing* ship = player;
        const CameraMode mode = GameInputCameraMode();
        float h = ship->yaw;
        bool ease = false;
        bool moving = false;
        if (GameInputHeld(CONTROL_MOUSELOOK)) {
            h = gameInput.state.mouseYaw;
        } else if (mode == CAMERA_MODE_FLIGHT || mode == CAMERA_MODE_HALFWAY) {
            ease = true;
            moving = VecLength(&ship->vel) >= CAMERA_MIN_FLIGHT_SPEED;
            if (moving) h = static_cast<float>(VecHeading(&ship->vel));
        }
        if (GameInputHeld(CONTROL_LOOKBACK)) h += 180.0f;
        if (mode == CAMERA_MODE_HALFWAY && ease && moving) h += GameAngleWrap(ship->yaw - h) * 0.5f;
        if (ease) {
            if (!GameInputTakeCameraSnap()) {
                const float c = cameraYaw - 180.0f;
                const float delta = GameAngleWrap(h - c);
                const float m = GAME_CAMERA_TURN_RATE * dt;
                if (delta > m)
                    h = c + m;
                else if (delta < -m)
                    h = c - m;
            }
        }
        Vec3 offset = mode == CAMERA_MODE_COCKPIT ? CAMERA_COCKPIT_OFFSET : CAMERA_BEHIND_OFFSET;
        VecRotateY(&offset, h);
        VecAdd(&offset, &ship->pos);
        SceneSetCamera(&offset, GameAngleWrap(h + 180.0f));
    }
}
