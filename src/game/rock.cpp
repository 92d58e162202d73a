// Rocks: drift, tumble, bounce, split and vanish.
#include "game/rock.h"

#include "audio/wave.h"
#include "console/input.h"
#include "foundation/mem.h"
#include "game/explosion.h"
#include "game/game.h"
#include "game/player.h"
#include "game/thing.h"
#include "render/model.h"
#include "render/texture.h"

namespace {

// Degrees per second of tumbling.
constexpr float BIG_YAW_RATE = 30.0f;
constexpr float BIG_ROLL_RATE = 50.0f;
constexpr float MED_YAW_RATE = 60.0f;
constexpr float MED_ROLL_RATE = 20.0f;
// A rock the ship shot that explodes this close to it gives the pad a light pulse.
constexpr float ROCK_RUMBLE_DISTANCE = 12.0f;
constexpr uint16_t ROCK_RUMBLE_LOW = 0x2000, ROCK_RUMBLE_HIGH = 0x5000;
constexpr uint32_t ROCK_RUMBLE_MS = 150;

Thing* RockCreate(const Vec3* pos, const Vec3* vel) {
    Thing* rock = ThingCreate();
    rock->pos = *pos;
    rock->vel = *vel;
    rock->draw = ThingDrawModel;
    rock->touch = RockTouch;
    return rock;
}

void RockSpin(Thing* rock, float dt, float yawRate, float rollRate) {
    rock->yaw = GameAngleWrap(rock->yaw + yawRate * dt);
    rock->roll = GameAngleWrap(rock->roll + rollRate * dt);
}

// A shot rock's blast, and a light rumble when it bursts close to the ship.
void RockExplode(Thing* rock, const ExplosionKind& kind) {
    ExplosionBlast(&rock->pos, &rock->vel, kind, true);
    if (!GamePlayerPresent()) return;
    Vec3 apart = rock->pos;
    VecSub(&apart, &player->pos);
    if (VecLength(&apart) < ROCK_RUMBLE_DISTANCE)
        InputRumble(ROCK_RUMBLE_LOW, ROCK_RUMBLE_HIGH, ROCK_RUMBLE_MS);
}

// Four medium rocks flying off 90 degrees apart in a random direction.
void BigRockSplit(Thing* rock) {
    Vec3 d = {0.0f, 0.0f, ROCK_SPLIT_SPEED * GameRockSpeedFactor()};
    VecRotateY(&d, RandomRange(0, 359));
    for (int i = 0; i < 4; i++) {
        RockCreateMedium(&rock->pos, &d);
        VecRotateY(&d, 90.0);
    }
    rock->flags |= THING_DEAD;
}

} // namespace

bool RockIsRock(const Thing* thing) {
    return thing->model != nullptr && (thing->model == bigRock || thing->model == medRock);
}

Thing* RockCreateBig(const Vec3* pos, const Vec3* vel) {
    Thing* rock = RockCreate(pos, vel);
    rock->model = bigRock;
    rock->texture = &textures[TEXTURE_PLUTO];
    rock->think = BigRockThink;
    rock->hit = BigRockHit;
    return rock;
}

Thing* RockCreateMedium(const Vec3* pos, const Vec3* vel) {
    Thing* rock = RockCreate(pos, vel);
    rock->model = medRock;
    rock->texture = &textures[TEXTURE_VENUS];
    rock->think = MedRockThink;
    rock->hit = MedRockHit;
    return rock;
}

void BigRockThink(Thing* rock, float dt) {
    ThingMove(rock, dt);
    if (rock->lifetime > 0.0f) {
        rock->age += dt;
        if (rock->age > rock->lifetime) BigRockSplit(rock);
    } else {
        ThingBounce(rock);
    }
    RockSpin(rock, dt, BIG_YAW_RATE, BIG_ROLL_RATE);
}

void MedRockThink(Thing* rock, float dt) {
    ThingMove(rock, dt);
    if (rock->lifetime > 0.0f) {
        rock->age += dt;
        if (rock->age > rock->lifetime) rock->flags |= THING_DEAD;
    } else {
        ThingBounce(rock);
    }
    RockSpin(rock, dt, MED_YAW_RATE, MED_ROLL_RATE);
}

void RockTouch(Thing* rock, Thing* other) {
    if (PlayerIsShip(other)) ThingHit(other, THING_HIT_RAMMED);
}

void BigRockHit(Thing* rock, int32_t kind) {
    if (kind != THING_HIT_SHIP_SHOT) return;
    rock->lifetime = ROCK_BIG_DELAY;
    RockExplode(rock, EXPLOSION_BIG_ROCK);
    AddScore(ROCK_BIG_POINTS);
    GameCount(GAME_EVENT_ROCK);
    // The touch stays: a rock counting down still destroys the ship.
    rock->hit = nullptr;
}

void MedRockHit(Thing* rock, int32_t kind) {
    if (kind != THING_HIT_SHIP_SHOT) return;
    rock->lifetime = ROCK_MED_DELAY;
    RockExplode(rock, EXPLOSION_MED_ROCK);
    AddScore(ROCK_MED_POINTS);
    GameCount(GAME_EVENT_ROCK);
    rock->hit = nullptr;
    rock->touch = nullptr;
}
