// Particles: small camera-facing quads that fly straight and die after a fixed life (fire,
// exhaust, shot trails, the rail helix, pick-up sparkles). One fixed pool of 800 serves every
// effect; when it is exhausted live particles are taken back in turn, so emitters never fail.
#pragma once

#include "core/settings.h"

#include "foundation/index.h"
#include "foundation/vec.h"

#include <cstdint>

struct Particle;
using ParticleThinkFn = void (*)(Particle* particle, float dt);

constexpr int32_t PARTICLE_MAX = 800;

struct Particle {
    Vec3 pos;
    Vec3 vel; // units per second
    uint8_t red, green, blue;
    float life;            // seconds left; freed once it drops below 0
    ParticleThinkFn think; // called every slice before the motion step, or null
    uint8_t big;           // 1 = the larger quad
    float viewDistSq;      // written by the draw for sorting
};

extern Particle particleList[PARTICLE_MAX];
extern Index particleIndex;      // live particles, unordered
extern Index particleFreeIndex;  // free records
extern Index particleSortIndex;  // one frame's draw order, farthest first
extern float particleDensity;    // vantor.ini "pdensity" / 100: scales every emitter's count
extern int32_t particleTextured; // vantor.ini "ptexture": textured (non-zero) or flat quads
extern int32_t recycleCursor;    // live slot taken back last when the pool ran dry; starts at -1

// Start-up, after the textures. Running it again empties the pool.
void ParticleInit();
// Textured (non-zero) or flat quads; the timing test's verdict may switch the texture off.
void ParticleSetTextured(int32_t textured);
// Sets the emitters' count scale (pdensity / 100).
void ParticleSetDensity(float density);
// vantor.ini pdensity and ptexture.
extern const SettingTable particleSettings;
// Every live particle back to the free pool (new game, back to the menu).
void ParticleClearAll();
// Once per game slice after the collision pass: motion, life, death.
void ParticleUpdate(float dt);
// Once per frame after the things, camera on the projection matrix, model-view current.
void ParticleDraw();
// Farthest first.
int ParticleCompareDepth(const Index* index, const void* a, const void* b);

// Emitters, called from think callbacks. rate is particles per second before density scaling;
// carry is the caller's accumulator of seconds not yet turned into particles (starts at 0).
// Explosion: two bursts at origin; velocity may be null.
void ParticleExplosion(const Vec3* origin, const Vec3* velocity);
// Fire behind a thrusting ship; does nothing at all (carry untouched) in the flat style.
void ParticleExhaust(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry);
// Trails spread along the path travelled since the last particle.
void ParticleTrailCyan(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry);
void ParticleTrailGreen(const Vec3* point, const Vec3* velocity, float rate, float dt,
                        float& carry);
// The rail shot's helix and grey core; phase is the shot's age, so the helix is continuous.
void ParticleRailSpiral(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry,
                        float phase);
// Pick-up sparkles, all from point.
void ParticleSparkleGreen(const Vec3* point, const Vec3* velocity, float rate, float dt,
                          float& carry);
void ParticleSparkleCyan(const Vec3* point, const Vec3* velocity, float rate, float dt,
                         float& carry);
void ParticleSparkleMagenta(const Vec3* point, const Vec3* velocity, float rate, float dt,
                            float& carry);

// Tests and the benchmark only (the emitters take records through it):
// A record for an emitter, recycling a live one when none is free. The caller sets every field.
Particle* ParticleAlloc();
