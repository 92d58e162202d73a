// The player's ship and its shots.
#include "game/player.h"

#include "audio/wave.h"
#include "console/command.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "game/explosion.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/texture.h"

namespace {

constexpr float BANK_TRIGGER = 60.0f; // once the bank passes this it jumps to the cap
constexpr float BANK_CAP = 70.0f;
constexpr float SHOT_SPIN_RATE = 180.0f;
constexpr float SPREAD_ANGLE = 3.0f;
// A pad with motors gives a short, strong pulse when the ship is destroyed.
constexpr uint16_t PLAYER_RUMBLE_STRENGTH = 0xFFFF;
constexpr uint32_t PLAYER_RUMBLE_MS = 400;

constexpr Weapon WEAPONS[WEAPON_KINDS] = {
    {20.0f, 0.15f, 2.0f, 0.5f, 15.0f, -1},              // normal
    {200.0f, 0.9f, 0.7f, 1.0f, 400.0f, TEXTURE_SHOT1I}, // rail: a helix, no body
    {20.0f, 0.15f, 2.0f, 0.5f, 10.0f, TEXTURE_SHOT2I},  // spread
    {20.0f, 0.15f, 2.5f, 0.25f, 10.0f, TEXTURE_SHOT3I}, // rapid
};

// The one check of a weapon kind: out of range is the normal weapon.
int32_t WeaponKindOf(int32_t kind) {
    return (kind >= 0 && kind < WEAPON_KINDS) ? kind : WEAPON_NORMAL;
}

// A ship point given in model coordinates, in the world.
Vec3 ShipPoint(const Thing* ship, float x, float y, float z) {
    Vec3 p = {x, y, z};
    VecScale(&p, ship->scale);
    VecRotateZ(&p, ship->roll);
    VecRotateY(&p, ship->yaw);
    VecAdd(&p, &ship->pos);
    return p;
}

// A shot leaving one unit ahead of the ship, heading yaw, carrying the ship's own velocity.
Thing* ShotCreate(const Thing* ship, float yaw, int32_t weapon, float lifetime) {
    const Weapon& spec = WEAPONS[weapon];
    Thing* shot = ThingCreate();
    Vec3 v = {0.0f, 0.0f, spec.muzzleSpeed};
    VecRotateY(&v, yaw);
    VecAdd(&v, &ship->vel);
    shot->vel = v;
    Vec3 p = {0.0f, 0.0f, 1.0f};
    VecRotateY(&p, ship->yaw);
    VecAdd(&p, &ship->pos);
    shot->pos = p;
    shot->texture = &textures[TEXTURE_BULLET];
    shot->flags = THING_TRANSLUCENT;
    shot->think = ShotThink;
    shot->touch = ShotTouch;
    shot->owner = ship->id;
    shot->weapon = static_cast<uint8_t>(weapon);
    shot->scale = spec.scale;
    shot->lifetime = lifetime;
    GameCount(GAME_EVENT_SHOT);
    if (weapon == WEAPON_RAIL) {
        shot->model = railShotModel;
        shot->yaw = ship->yaw;
    } else {
        shot->model = unitSphere;
        shot->draw = ThingDrawModel;
    }
    return shot;
}

void PlayerFire(Thing* ship, float dt) {
    const int32_t weapon = WeaponKindOf(weaponKind);
    const Weapon& spec = WEAPONS[weapon];
    Thing* shot = ShotCreate(ship, ship->yaw, weapon, spec.lifetime);
    // Visible shots start one slice young so that their first think brings them to age 0.
    if (weapon != WEAPON_RAIL) shot->age = -dt;
    WavePlay(SND_SHOOT3, 255);
    ship->reload = spec.reload;
    if (weapon == WEAPON_SPREAD) {
        ShotCreate(ship, ship->yaw - SPREAD_ANGLE, WEAPON_SPREAD, spec.lifetime);
        ShotCreate(ship, ship->yaw + SPREAD_ANGLE, WEAPON_SPREAD, spec.lifetime);
    }
}

void PlayerThrust(Thing* ship, float dt) {
    Vec3 a = {0.0f, 0.0f, PLAYER_THRUST};
    VecRotateY(&a, ship->yaw);
    VecScale(&a, dt);
    VecAdd(&ship->vel, &a);
    if (VecDot(&ship->vel, &ship->vel) > PLAYER_TOP_SPEED * PLAYER_TOP_SPEED) {
        VecNormalize(&ship->vel);
        VecScale(&ship->vel, PLAYER_TOP_SPEED);
    }
    if (lights >= 3) {
        const Vec3 p = ShipPoint(ship, 0.0f, 0.05f, -0.25f);
        GameLight(&p, 64.0f, 0.7f, 0.25f, 0.0f);
    }
}

void PlayerBrake(Thing* ship, float dt) {
    const double s = VecLength(&ship->vel);
    if (s == 0.0) return;
    const double b = PLAYER_BRAKE * dt;
    if (b <= s) {
        Vec3 d = ship->vel;
        VecScale(&d, b / s);
        VecSub(&ship->vel, &d);
    } else {
        VecSet(&ship->vel, 0.0, 0.0, 0.0);
    }
}

// Turning banks the ship; without a turn the bank levels out at the same rate.
void PlayerTurn(Thing* ship, float dt, bool steer) {
    if (steer && GameInputHeld(CONTROL_LEFT)) {
        ship->yaw = GameAngleWrap(ship->yaw + PLAYER_TURN_RATE * dt);
        ship->roll -= PLAYER_BANK_RATE * dt;
        if (ship->roll < -BANK_TRIGGER) ship->roll = -BANK_CAP;
    } else if (steer && GameInputHeld(CONTROL_RIGHT)) {
        ship->yaw = GameAngleWrap(ship->yaw - PLAYER_TURN_RATE * dt);
        ship->roll += PLAYER_BANK_RATE * dt;
        if (ship->roll > BANK_TRIGGER) ship->roll = BANK_CAP;
    } else if (ship->roll > 0.0f) {
        ship->roll -= PLAYER_BANK_RATE * dt;
        if (ship->roll < 0.0f) ship->roll = 0.0f;
    } else if (ship->roll < 0.0f) {
        ship->roll += PLAYER_BANK_RATE * dt;
        if (ship->roll > 0.0f) ship->roll = 0.0f;
    }
}

// The explosion countdown; at its end the ship is back at the centre if ships are left.
void PlayerWreck(Thing* ship, float dt) {
    ship->age += dt;
    if (ship->age > PLAYER_HIDE_AGE) ship->draw = nullptr;
    if (ship->age <= ship->lifetime) return;
    VecSet(&ship->pos, 0.0, 0.0, 0.0);
    VecSet(&ship->vel, 0.0, 0.0, 0.0);
    SceneSetCameraYaw(0.0f);
    ship->yaw = 180.0f;
    if (lives != 0) {
        ship->lifetime = 0.0f;
        ship->age = 0.0f;
        ship->grace = shipGrace;
        ship->hit = ship->grace > 0.0f ? nullptr : PlayerHit;
        ship->draw = ship->grace > 0.0f ? PlayerDrawBlinking : ThingDrawModel;
    }
}

// The end of the protection, by time or by the ship's first shot.
void PlayerEndGrace(Thing* ship) {
    ship->grace = 0.0f;
    ship->hit = PlayerHit;
    ship->draw = ThingDrawModel;
}

} // namespace

const Weapon& PlayerWeapon(int32_t kind) {
    return WEAPONS[WeaponKindOf(kind)];
}

bool PlayerIsShip(const Thing* thing) {
    return thing->model != nullptr && thing->model == shipModel;
}

Thing* PlayerCreate() {
    Thing* ship = ThingCreate();
    ship->model = shipModel;
    ship->texture = &textures[TEXTURE_SHIP];
    ship->yaw = 180.0f;
    ship->think = PlayerThink;
    ship->draw = ThingDrawModel;
    ship->hit = PlayerHit;
    return ship;
}

void PlayerThink(Thing* ship, float dt) {
    if (ship->lifetime > 0.0f) PlayerWreck(ship, dt);
    const bool alive = ship->lifetime <= 0.0f;
    if (alive && GameInputHeld(CONTROL_FORWARD)) PlayerThrust(ship, dt);
    if (alive && GameInputHeld(CONTROL_BACKWARD)) PlayerBrake(ship, dt);
    PlayerTurn(ship, dt, alive);
    ship->reload -= dt;
    if (alive && GameInputHeld(CONTROL_ATTACK) && ship->reload <= 0.0f) {
        PlayerFire(ship, dt);
        if (ship->grace > 0.0f) PlayerEndGrace(ship); // a ship that fires is in the fight again
    }
    if (alive && ship->grace > 0.0f) {
        ship->grace -= dt;
        if (ship->grace <= 0.0f) PlayerEndGrace(ship);
    }
    ThingMove(ship, dt);
    if (ship->lifetime <= 0.0f) ThingBounce(ship);
    if (alive && GameInputHeld(CONTROL_FORWARD)) {
        const Vec3 p = ShipPoint(ship, 0.0f, 0.05f, -0.2f);
        ParticleExhaust(&p, &ship->vel, 100.0f, dt, ship->emitCarry);
    }
}

void PlayerDrawBlinking(Thing* ship) {
    if (static_cast<int32_t>(ship->grace / PLAYER_BLINK_TIME) % 2 == 0) ThingDrawModel(ship);
}

void PlayerHit(Thing* ship, int32_t kind) {
    ExplosionBlast(&ship->pos, &ship->vel, EXPLOSION_SHIP, true);
    ship->hit = nullptr;
    InputRumble(PLAYER_RUMBLE_STRENGTH, PLAYER_RUMBLE_STRENGTH, PLAYER_RUMBLE_MS);
    ship->lifetime = GameLoseShip() >= 1 ? PLAYER_RESPAWN_DELAY : PLAYER_FINAL_DELAY;
}

void ShotThink(Thing* shot, float dt) {
    shot->age += dt;
    if (shot->age > shot->lifetime) shot->flags |= THING_DEAD;
    ThingMove(shot, dt);
    if (shot->weapon == WEAPON_RAIL) {
        ParticleRailSpiral(&shot->pos, &shot->vel, 400.0f, dt, shot->emitCarry, shot->age);
        return;
    }
    ParticleTrailCyan(&shot->pos, &shot->vel, PlayerWeapon(shot->weapon).trailRate, dt,
                      shot->emitCarry);
    shot->yaw = GameAngleWrap(shot->yaw + SHOT_SPIN_RATE * dt);
    if (darkLevel)
        GameLight(&shot->pos, 100.0f, 0.0f, 0.6f, 0.6f);
    else
        GameLight(&shot->pos, 49.0f, 0.0f, 0.5f, 0.5f);
}

void ShotTouch(Thing* shot, Thing* other) {
    if (other->id == shot->owner || other->owner == shot->owner) return;
    if (shot->weapon != WEAPON_RAIL) shot->flags |= THING_DEAD;
    // A rail shot passing through several targets is one shot that hit.
    if (other->hit && !shot->struck) {
        shot->struck = 1;
        GameCount(GAME_EVENT_HIT);
    }
    ThingHit(other, THING_HIT_SHIP_SHOT);
}
