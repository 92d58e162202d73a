// Saucers, their shots and the weapon pick-ups they leave behind. Saucers cruise and spin, now
// and then swing toward the ship, fire along their spinning heading from level 2 on and ram the
// ship like rocks; a pick-up drifts until the ship touches it and grants a timed weapon.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

struct Thing;

// Thing fields. Saucer: reload (to the next shot), steerClock (to the next steering decision), age
// and lifetime (the wreck's drift after the hit). Saucer shot: owner (the saucer), age and
// lifetime, emitCarry (trail). Pick-up: pickup (its kind), emitCarry (sparkles).

// Pick-up kinds (a pick-up's pickup field); each grants one bonus weapon.
constexpr int32_t PICKUP_RAIL = 1;
constexpr int32_t PICKUP_SPREAD = 2;
constexpr int32_t PICKUP_RAPID = 3;

constexpr int32_t SAUCER_POINTS = 100;
constexpr int32_t PICKUP_POINTS = 50;
constexpr float SAUCER_SPIN_RATE = 45.0f; // degrees per second
constexpr float SAUCER_HUNT_SPEED = 6.0f; // speed after a turn toward the ship
constexpr float SAUCER_RELOAD = 0.5f;     // seconds between shots at difficulty 0

// A saucer at pos moving with vel, first shot after 1 s; called by the level and attract builders.
Thing* SaucerCreate(const Vec3* pos, const Vec3* vel);
// A pick-up of kind (PICKUP_*) at pos moving with vel; another kind is taken as rail.
Thing* PickupCreate(int32_t kind, const Vec3* pos, const Vec3* vel);

// Any kind: 100 points, explosion, 1 s more drift without touch or hit, a random pick-up.
void SaucerHit(Thing* saucer, int32_t kind);
// Ignores its own saucer; anything else is struck with kind 2 and the shot is used up.
void SaucerShotTouch(Thing* shot, Thing* other);

// The pick-up's callbacks; its pickup field picks the light, sparkle, weapon and time.
void PickupThink(Thing* pickup, float dt);
// Only the ship takes a pick-up: its weapon, bonus seconds, a sound and 50 points.
void PickupTouch(Thing* pickup, Thing* other);

// Tests only (tests find saucers and their shots by them): the think callbacks.
void SaucerThink(Thing* saucer, float dt);
void SaucerShotThink(Thing* shot, float dt);
