// The player's ship and its shots: steering, banking, thrust, brake, the four weapons, the
// explosion and the return at the arena centre; shots with their trails and lights.
#pragma once

#include <cstdint>

struct Thing;

// Thing fields. Ship: reload (to the next shot), emitCarry (exhaust), age and lifetime (the
// explosion countdown, lifetime 0 while flying), grace (protection left after a return). Shot:
// owner (the ship), weapon, age and lifetime, emitCarry (trail or helix), struck.

// Weapon kinds (weaponKind, a shot's weapon field).
constexpr int32_t WEAPON_NORMAL = 0;
constexpr int32_t WEAPON_RAIL = 1;
constexpr int32_t WEAPON_SPREAD = 2;
constexpr int32_t WEAPON_RAPID = 3;
constexpr int32_t WEAPON_KINDS = 4;

// One weapon kind: its shots, and the icon the HUD shows while it is the bonus weapon.
struct Weapon {
    float muzzleSpeed;
    float scale;
    float lifetime;
    float reload;
    float trailRate; // particles per second of the shot's trail
    int32_t hudIcon; // index into textures, or -1: no icon (the normal weapon is no bonus)
};
// The row of a weapon kind; a kind without a row (weaponKind is a plain global) is the normal
// weapon.
const Weapon& PlayerWeapon(int32_t kind);

constexpr float PLAYER_TOP_SPEED = 12.0f;
constexpr float PLAYER_THRUST = 20.0f;       // units per second squared along the nose
constexpr float PLAYER_BRAKE = 10.0f;        // units per second squared against the motion
constexpr float PLAYER_TURN_RATE = 180.0f;   // degrees per second
constexpr float PLAYER_BANK_RATE = 140.0f;   // degrees per second, banking and levelling
constexpr float PLAYER_RESPAWN_DELAY = 2.0f; // seconds from the hit to the return
constexpr float PLAYER_FINAL_DELAY = 3.0f;   // seconds from the last ship's hit to game over
constexpr float PLAYER_HIDE_AGE = 1.2f;      // the wreck disappears this long after the hit
constexpr float PLAYER_BLINK_TIME = 0.1f;    // shown and hidden in turn while protected

// A thing with the ship's model: the ship in play (or the attract mode's invisible stand-in, which
// never collides). Rocks and saucers ram it.
bool PlayerIsShip(const Thing* thing);

// The ship at the origin, at rest, facing yaw 180; called by the level builder.
Thing* PlayerCreate();
// The ship's think callback: explosion countdown and return, or steering, thrust, brake and fire.
// A ship that returns while shipGrace is above 0 is untouchable for that long, or until it fires:
// it has no hit callback (rocks and saucers pass through it, saucer shots are used up on it
// harmlessly; it still collects pick-ups) and it blinks.
void PlayerThink(Thing* ship, float dt);
// The protected ship's draw callback: drawn in every other PLAYER_BLINK_TIME of its grace.
void PlayerDrawBlinking(Thing* ship);
// The ship's hit callback (any kind): explosion, one ship less, countdown of 2 s (3 s for the
// last).
void PlayerHit(Thing* ship, int32_t kind);
// A shot's touch callback: ignores its shooter and the shooter's shots, else strikes (kind 1);
// all but rail shots are used up by the strike.
void ShotTouch(Thing* shot, Thing* other);

// Tests only (tests find shots by it):
// A shot's think callback: age, flight, trail, and for visible shots spin and light.
void ShotThink(Thing* shot, float dt);
