// Game flow: the state of a game (score, ships, level, weapon bonus, the player's ship) and its
// changes: the attract mode behind the title menu, a new game, the level banner, the building of a
// level, cleared levels, the end of a game and extra ships. Also the game slice, one update step
// of the world, and the chase camera that follows the ship.
#pragma once

#include "foundation/vec.h"

#include "core/settings.h"

#include <cstdint>

struct Thing;

// Arena, reset at every level start.
extern int32_t arenaPosts; // posts on each side of the arena
extern float arenaSize;    // side length
extern float arenaBound;   // half-width at which ThingBounce turns things back
// Non-zero on dimly lit levels (level mod 4 = 3): no viewer light, one faint far light instead.
extern int32_t darkLevel;
// Whether level n is one of them (known before it starts, while its banner shows).
bool GameLevelDark(int32_t n);

// The state of a game, read by the HUD and the screens.
extern int32_t score;      // points of the current game
extern int32_t lives;      // ships left, counting the one in play; 0 in attract mode
extern int32_t level;      // current level; 0 in attract mode
extern int32_t weaponKind; // WEAPON_NORMAL, WEAPON_RAIL, WEAPON_SPREAD or WEAPON_RAPID
extern float weaponTimer;  // bonus weapon seconds left (0: none), up to GAME_WEAPON_TIME_MAX
extern Thing* player;      // the ship (invisible in attract mode), or null before the first
extern float bannerTimer;  // seconds until the level starts while the banner shows
// Run at the end of each game slice (LevelBannerCountdown, GameCheck), or null.
extern void (*sliceHook)(float dt);
// Settings (vantor.ini diff, easy, level, menurocks, grace).
extern int32_t difficulty;  // row of GAME_DIFFICULTY, clamped by GameDifficultyLevel
extern int32_t easyOffered; // vantor.ini easy: `diff` -1 is the Easy row
extern int32_t startLevel;  // first level of a new game, at least 1
extern int32_t menuRocks;   // rocks of each size behind the title menu
extern float shipGrace; // seconds a returning ship is untouchable (0: none), up to GAME_GRACE_MAX

// Bumped with every change that makes a recorded game play differently (a rule, a speed, a
// random draw): a demo of other rules is refused rather than played out of step.
constexpr uint32_t GAME_RULES_VERSION = 1;

constexpr int32_t GAME_START_LIVES = 5;
constexpr float GAME_ARENA_BOUND = 48.5f; // arenaBound at every level start
constexpr float GAME_BANNER_TIME = 1.5f;
// Bonus time stops growing here, so that the HUD's whole seconds always fit a long.
constexpr float GAME_WEAPON_TIME_MAX = 1e9f;
constexpr float GAME_CAMERA_TURN_RATE = 720.0f; // degrees per second of the easing chase camera
// Rocks and saucers of one level stop growing here, so that no level can exhaust the thing pool.
constexpr int32_t GAME_MAX_BIG_ROCKS = 40;
constexpr int32_t GAME_MAX_SAUCERS = 10;
constexpr float GAME_GRACE_MAX = 10.0f;

// What the `diff` setting changes. Row 0 is the standard game; negative settings use row 0 (or
// Easy while `easy` offers it) and settings above the last row use the last row.
struct GameDifficulty {
    const char* name;        // as the title, the options, the HUD and the results show it
    float rockSpeed;         // factor on the speed of new and split rocks
    int32_t extraRocks;      // big rocks per level beyond level + 2
    int32_t extraSaucers;    // saucers per level beyond level / 4 + 1
    int32_t saucerFireLevel; // first level on which saucers fire
    float saucerReload;      // seconds between a saucer's shots
    int32_t saucerTurnOdds;  // a saucer turns toward the ship when RandomRange(0, odds) is 0
    float saucerSpeed;       // factor on the saucers' speed
};
constexpr int32_t GAME_DIFFICULTY_LEVELS = 4;
inline constexpr GameDifficulty GAME_DIFFICULTY[GAME_DIFFICULTY_LEVELS] = {
    {"Standard", 1.0f, 0, 0, 2, 0.5f, 10, 1.0f},
    {"Hard", 1.25f, 0, 1, 1, 0.4f, 7, 1.0f},
    {"Harder", 1.5f, 0, 2, 1, 0.3f, 4, 1.0f},
    {"Hardest", 1.75f, 0, 3, 1, 0.25f, 2, 1.0f},
};
// The gentle row below Standard, `diff` -1, offered while the `easy` setting is on: slower and
// fewer rocks, slower saucers that hold their fire until level 3 and seldom hunt.
constexpr int32_t GAME_DIFFICULTY_EASY = -1;
inline constexpr GameDifficulty GAME_DIFFICULTY_EASY_ROW = {"Easy", 0.7f, -1, 0, 3, 0.8f, 15, 0.7f};

// What one game did, for the results after it: fixed counters, cleared by NewGame.
struct GameStats {
    int32_t difficulty;   // the easiest difficulty level played during the game
    int32_t firstLevel;   // the level it started at
    int32_t levelReached; // the level it ended on
    int32_t rocks;        // rocks shot (big and medium)
    int32_t saucers;      // saucers destroyed
    int32_t shotsFired;   // the ship's shots; a spread volley is three
    int32_t shotsHit;     // shots that struck a rock or a saucer, each shot once
};
extern GameStats gameStats;
enum GameEvent : int32_t { GAME_EVENT_ROCK, GAME_EVENT_SAUCER, GAME_EVENT_SHOT, GAME_EVENT_HIT };
// One more of the event in gameStats, during a game only (saturating).
void GameCount(GameEvent event);

// What the screens show at the turns of the game flow. The user interface sits above the game and
// installs them at its start-up; until then the game flow opens no screen and draws no overlay.
struct GameScreens {
    void (*titleOverlay)();  // the 2-D overlay of the attract mode
    void (*bannerOverlay)(); // the 2-D overlay while the level banner counts down
    void (*hudOverlay)();    // the 2-D overlay during play
    // The attract mode is built: no row of the high-score list highlighted, the title menu open.
    void (*attract)();
    // A game ended with this score and the attract mode is built: the name entry when it
    // qualifies.
    void (*gameOver)(int32_t finalScore);
};
void GameSetScreens(const GameScreens* screens); // null: none
// What the player may be told in passing: an extra ship earned (detail: how many) and a bonus
// weapon picked up (detail: its WEAPON_* kind). The user interface installs the hook; null: none.
enum GameNote : int32_t { GAME_NOTE_EXTRA_SHIP, GAME_NOTE_WEAPON };
void GameSetNoteHook(void (*note)(GameNote what, int32_t detail));

// The settings' setters; a start level below 1 is taken as 1, a grace time outside 0 to
// GAME_GRACE_MAX the nearest end.
void GameSetDifficulty(int32_t diff);
void GameSetGrace(float seconds);
void GameSetStartLevel(int32_t firstLevel);
void GameSetMenuRocks(int32_t rocks);
void GameSetEasy(int32_t on);
// vantor.ini level, menurocks, diff, easy and grace.
extern const SettingTable gameSettings;
// The lowest difficulty level: GAME_DIFFICULTY_EASY while `easy` is on, else 0.
int32_t GameDifficultyLowest();
// The difficulty level the `diff` setting selects: it brought into [lowest, last row].
int32_t GameDifficultyLevel();
// The rules of a difficulty level (GAME_DIFFICULTY_EASY or a row of GAME_DIFFICULTY; others
// clamped to the table).
const GameDifficulty& GameDifficultyOf(int32_t difficultyLevel);
// The rules in force: GameDifficultyOf(GameDifficultyLevel()).
const GameDifficulty& GameDifficultyRules();
// Shorthand for GameDifficultyRules().rockSpeed.
float GameRockSpeedFactor();

// An angle brought into [-180, 180] by whole turns.
float GameAngleWrap(float degrees);
// LightCreate for a game thing; a slice that has used every light record goes without the rest,
// rather than ending the program.
void GameLight(const Vec3* pos, float radius, float red, float green, float blue);
// The ship is in the world: player set, its record live and not dead-flagged.
bool GamePlayerPresent();

// One game step of dt seconds, called by the frame loop for each step of a frame: lights cleared,
// think pass, collision pass, particles, the slice hook, the chase camera, the scene light.
void GameSlice(float dt);
// Adds points; an extra ship at 1000, then at every 2000 (2000, 4000, 6000 ...), with a sound.
void AddScore(int32_t points);
// The scene behind the title menu: drifting rocks, a saucer, two pick-ups, the banner; opens the
// title menu. Called at the end of client start-up and when a game ends.
void AttractMode();
// A new game: 5 ships, the start level, no score, the normal weapon, gameStats cleared. The title
// menu then starts the banner countdown.
void NewGame();
// The player ends the game (the game menu): as when the last ship is gone, the attract mode and
// then the name entry when the score qualifies.
void GameQuit();
// The level banner before a level: its slice hook and overlay, GAME_BANNER_TIME on the clock, the
// world cleared. From the title menu (a new game) and from GameCheck (a cleared level).
void GameBeginBanner();
// The ship touched a pick-up: its weapon, and seconds added to the bonus time (up to
// GAME_WEAPON_TIME_MAX).
void GameGrantWeapon(int32_t kind, float seconds);
// The ship was destroyed: one ship less; returns the ships left.
int32_t GameLoseShip();
// The things of level n: a warp-in explosion, the ship, n + 2 big rocks, n / 4 + 1 saucers.
void SpawnLevel(int32_t n);
// The in-game slice hook: a cleared level, the end of the game, the weapon bonus timer.
void GameCheck(float dt);
// The chase camera (step of GameSlice): writes cameraPos and cameraYaw from the ship and the
// camera mode (CAMERA_MODE_*).
void GameCamera(float dt);

// Tests only (the game flow calls these itself):
// The game state and settings of a fresh program: no game, no hook, the default arena and
// settings (the program starts in this state).
void GameReset();
// The banner's slice hook: counts bannerTimer down and starts the level at 0.
void LevelBannerCountdown(float dt);
// Level n afresh: every thing and particle gone, the arena, scenery, the level's things, the HUD.
void StartLevel(int32_t n);
