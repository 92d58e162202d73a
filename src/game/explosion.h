// Explosions and scenery: the growing, fading fireballs (core pieces and shards coloured from the
// Fiery texture, a particle burst, a light, a following sound) and the things that only give the
// game its look: the sky sphere, the level's planet, the arena posts and the title banner.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

struct Thing;

// Thing fields of an explosion piece: age and lifetime (growth and fading), sizeBase and
// sizeGrowth, voice (the core's following sound). Scenery uses none of the kind's own fields.

constexpr int32_t ARENA_POSTS = 10; // posts along each side, corners shared
constexpr float ARENA_SIZE = 100.0f;

// An explosion at pos (moving with vel, or still when vel is null): a core piece that carries the
// sound voice (0 for none), a second core piece with nicefx, shards pieces scattered by spread,
// all scaled by scale, and the particle burst. base is the size at age 0 before scaling.
void ExplosionCreate(const Vec3* pos, const Vec3* vel, int32_t shards, float base, float scale,
                     float spread, uint32_t voice);
// The look of one kind of blast: shards, the size at age 0 before scaling, the scale, the shards'
// scatter.
struct ExplosionKind {
    int32_t shards;
    float base;
    float scale;
    float spread;
};
inline constexpr ExplosionKind EXPLOSION_WARP_IN = {4, 0.0f, 1.0f, 1.0f}; // the ship arrives
inline constexpr ExplosionKind EXPLOSION_SHIP = {4, 0.0f, 1.0f, 1.0f};
inline constexpr ExplosionKind EXPLOSION_SAUCER = {4, 0.06f, 1.9f, 1.5f};
inline constexpr ExplosionKind EXPLOSION_BIG_ROCK = {4, 0.3f, 2.0f, 1.3f};
inline constexpr ExplosionKind EXPLOSION_MED_ROCK = {4, 0.12f, 1.8f, 1.3f};
// The blast sound (following the core from pos when positional, else plain) and an explosion of
// this kind at pos moving with vel (null: still).
void ExplosionBlast(const Vec3* pos, const Vec3* vel, const ExplosionKind& kind, bool positional);

// A piece of an explosion (core or shard), for the cap on pieces alive at once.
bool ExplosionIsPiece(const Thing* thing);
// A piece's think: flight, light, growth, the end of its life, and the following sound.
void ExplosionThink(Thing* piece, float dt);
// A piece's draw: the faces toward the viewer in the Fiery colours of its age, fading at the end.
void ExplosionDraw(Thing* piece);

// The scenery of level n: the sky sphere (with the stars setting), the planet, the arena posts.
void BuildScenery(int32_t n);
// The tilting title banner of the attract mode.
Thing* BannerCreate();

void SkyThink(Thing* sky, float dt);       // keeps the sphere around the viewer
void SkyDraw(Thing* sky);                  // from the backdrop copy while the view holds still
void PlanetThink(Thing* planet, float dt); // fixed offset from the camera, slow turn
void PostThink(Thing* post, float dt);     // spin, and a blue light with lights >= 4
void BannerThink(Thing* banner, float dt); // tumbles over at 30 degrees per second
