// Rocks: the targets of the game. Big rocks split into four medium rocks when shot, medium rocks
// vanish; both drift, tumble, bounce at the arena edge and destroy the ship on contact.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

struct Thing;

// Thing fields of a rock: age and lifetime count from the hit to the split or the end (lifetime 0
// while intact).

// Seconds from the hit to the split (big) or the end (medium).
constexpr float ROCK_BIG_DELAY = 1.2f;
constexpr float ROCK_MED_DELAY = 0.6f;
// Points for shooting a rock.
constexpr int32_t ROCK_BIG_POINTS = 5;
constexpr int32_t ROCK_MED_POINTS = 20;
// Speed of the four pieces of a split big rock (before the difficulty factor).
constexpr float ROCK_SPLIT_SPEED = 10.0f;

// A rock of either size, hit or not: a level is cleared when none is left.
bool RockIsRock(const Thing* thing);

// A big rock at pos moving with vel; called by the level and attract-mode builders.
Thing* RockCreateBig(const Vec3* pos, const Vec3* vel);
// A medium rock at pos moving with vel; called by the builders and by the split of a big rock.
Thing* RockCreateMedium(const Vec3* pos, const Vec3* vel);

// Touch callback of rocks and saucers: a thing with the ship's model is rammed (hit kind 4).
void RockTouch(Thing* rock, Thing* other);
// Hit callbacks: only a ship's shot (kind 1) counts; explosion, points, countdown.
void BigRockHit(Thing* rock, int32_t kind);
void MedRockHit(Thing* rock, int32_t kind);

// Tests only (tests find rocks by them):
// Think callbacks: motion, hit countdown (split or end), bounce while intact, spin.
void BigRockThink(Thing* rock, float dt);
void MedRockThink(Thing* rock, float dt);
