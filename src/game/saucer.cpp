// Saucers, saucer shots and pick-ups.
#include "game/saucer.h"

#include "audio/wave.h"
#include "foundation/mem.h"
#include "game/explosion.h"
#include "game/game.h"
#include "game/player.h"
#include "game/rock.h"
#include "game/thing.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/texture.h"

namespace {

constexpr float SAUCER_SHOT_SPEED = 20.0f;
constexpr float SAUCER_SHOT_LIFETIME = 2.0f;
constexpr float SAUCER_WRECK_TIME = 1.0f; // drift after the hit before it is gone
constexpr float SPIN_RATE = 180.0f;       // shots and pick-ups

using SparkleFn = void (*)(const Vec3*, const Vec3*, float, float, float&);

struct PickupKind {
    int32_t texture;
    float red, green, blue; // light colour
    SparkleFn sparkle;
    int32_t weapon; // granted on touch
    float seconds;  // added to weaponTimer
};

// By kind, from PICKUP_RAIL on.
constexpr PickupKind PICKUP_KINDS[PICKUP_RAPID - PICKUP_RAIL + 1] = {
    {TEXTURE_BULLET2, 0.01f, 0.7f, 0.01f, ParticleSparkleGreen, WEAPON_RAIL, 35.0f},
    {TEXTURE_BULLET, 0.0f, 0.7f, 0.7f, ParticleSparkleCyan, WEAPON_SPREAD, 30.0f},
    {TEXTURE_BULLET3, 0.7f, 0.0f, 0.7f, ParticleSparkleMagenta, WEAPON_RAPID, 25.0f},
};

// The one check of a pick-up kind: out of range is rail.
int32_t PickupKindValid(int32_t kind) {
    return (kind >= PICKUP_RAIL && kind <= PICKUP_RAPID) ? kind : PICKUP_RAIL;
}

const PickupKind& PickupKindOf(const Thing* pickup) {
    return PICKUP_KINDS[pickup->pickup - PICKUP_RAIL];
}

void SaucerFire(Thing* saucer) {
    Thing* shot = ThingCreate();
    Vec3 v = {0.0f, 0.0f, SAUCER_SHOT_SPEED};
    VecRotateY(&v, saucer->yaw);
    VecAdd(&v, &saucer->vel);
    shot->vel = v;
    Vec3 p = {0.0f, 0.0f, 1.0f};
    VecRotateY(&p, saucer->yaw);
    VecAdd(&p, &saucer->pos);
    shot->pos = p;
    shot->model = unitSphere;
    shot->texture = &textures[TEXTURE_BULLET2];
    shot->scale = 0.15f;
    shot->flags = THING_TRANSLUCENT;
    shot->think = SaucerShotThink;
    shot->draw = ThingDrawModel;
    shot->touch = SaucerShotTouch;
    shot->owner = saucer->id;
    shot->lifetime = SAUCER_SHOT_LIFETIME;
    WavePlayAt(SND_SHOOT, 255, &saucer->pos, 3000.0f);
    saucer->reload = GameDifficultyRules().saucerReload;
}

// Now and then the saucer swings toward the ship, always erring to the same side.
void SaucerSteer(Thing* saucer) {
    if (RandomRange(0, GameDifficultyRules().saucerTurnOdds) != 0) return;
    if (thingIndex.count == 0 || player == nullptr) return;
    Vec3 d = player->pos;
    VecSub(&d, &saucer->pos);
    d.y = 0.0f;
    // Straight above or below the ship there is no direction to take.
    if (d.x == 0.0f && d.z == 0.0f) return;
    VecNormalize(&d);
    VecScale(&d, SAUCER_HUNT_SPEED * GameDifficultyRules().saucerSpeed);
    // 0..30 degrees to one side: the draw has always raised its -30 to 0, and the habit was kept.
    VecRotateY(&d, RandomRange(0, 30));
    saucer->vel = d;
}

} // namespace

Thing* SaucerCreate(const Vec3* pos, const Vec3* vel) {
    Thing* saucer = ThingCreate();
    saucer->pos = *pos;
    saucer->vel = *vel;
    saucer->model = saucerModel;
    saucer->texture = &textures[TEXTURE_SAUCER2];
    saucer->think = SaucerThink;
    saucer->draw = ThingDrawModel;
    saucer->touch = RockTouch;
    saucer->hit = SaucerHit;
    saucer->reload = 1.0f;
    return saucer;
}

Thing* PickupCreate(int32_t kind, const Vec3* pos, const Vec3* vel) {
    Thing* pickup = ThingCreate();
    pickup->pickup = static_cast<uint8_t>(PickupKindValid(kind));
    const PickupKind& k = PickupKindOf(pickup);
    pickup->pos = *pos;
    pickup->vel = *vel;
    pickup->model = unitSphere;
    pickup->texture = &textures[k.texture];
    pickup->scale = 0.4f;
    pickup->flags = THING_TRANSLUCENT;
    pickup->think = PickupThink;
    pickup->draw = ThingDrawModel;
    pickup->touch = PickupTouch;
    return pickup;
}

void SaucerThink(Thing* saucer, float dt) {
    saucer->yaw = GameAngleWrap(saucer->yaw + SAUCER_SPIN_RATE * dt);
    ThingMove(saucer, dt);
    GameLight(&saucer->pos, 400.0f, 0.0f, 0.35f, 0.0f);
    if (saucer->lifetime > 0.0f) {
        saucer->age += dt;
        if (saucer->age > saucer->lifetime) saucer->flags |= THING_DEAD;
        return;
    }
    ThingBounce(saucer);
    saucer->steerClock += dt;
    if (saucer->steerClock > 1.0f) {
        saucer->steerClock = 0.0f;
        SaucerSteer(saucer);
    }
    saucer->reload -= dt;
    const bool shipVisible = player != nullptr && player->draw != nullptr;
    if (level >= GameDifficultyRules().saucerFireLevel && shipVisible && saucer->reload <= 0.0f)
        SaucerFire(saucer);
}

void SaucerHit(Thing* saucer, int32_t kind) {
    GameCount(GAME_EVENT_SAUCER);
    saucer->lifetime = SAUCER_WRECK_TIME;
    AddScore(SAUCER_POINTS);
    saucer->hit = nullptr;
    saucer->touch = nullptr;
    ExplosionBlast(&saucer->pos, &saucer->vel, EXPLOSION_SAUCER, true);
    PickupCreate(RandomRange(PICKUP_RAIL, PICKUP_RAPID), &saucer->pos, &saucer->vel);
}

void SaucerShotThink(Thing* shot, float dt) {
    ThingMove(shot, dt);
    ParticleTrailGreen(&shot->pos, &shot->vel, 15.0f, dt, shot->emitCarry);
    GameLight(&shot->pos, 49.0f, 0.0f, 0.6f, 0.0f);
    shot->yaw = GameAngleWrap(shot->yaw + SPIN_RATE * dt);
    shot->age += dt;
    if (shot->age > shot->lifetime) shot->flags |= THING_DEAD;
}

void SaucerShotTouch(Thing* shot, Thing* other) {
    if (other->id == shot->owner) return;
    shot->flags |= THING_DEAD;
    ThingHit(other, THING_HIT_SAUCER_SHOT);
}

void PickupThink(Thing* pickup, float dt) {
    const PickupKind& kind = PickupKindOf(pickup);
    ThingMove(pickup, dt);
    ThingBounce(pickup);
    GameLight(&pickup->pos, 400.0f, kind.red, kind.green, kind.blue);
    pickup->yaw = GameAngleWrap(pickup->yaw + SPIN_RATE * dt);
    kind.sparkle(&pickup->pos, &pickup->vel, 35.0f, dt, pickup->emitCarry);
}

void PickupTouch(Thing* pickup, Thing* other) {
    if (other != player) return;
    const PickupKind& kind = PickupKindOf(pickup);
    pickup->flags |= THING_DEAD;
    GameGrantWeapon(kind.weapon, kind.seconds);
    WavePlay(SND_PICKUP, 255);
    AddScore(PICKUP_POINTS);
}
