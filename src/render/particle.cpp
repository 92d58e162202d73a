// Particles: pool, recycling, motion, emitters and the two draw styles.
#include "render/particle.h"

#include "core/ini.h"
#include "core/log.h"
#include "foundation/mem.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/texture.h"

#include <cmath>

Particle particleList[PARTICLE_MAX];
Index particleIndex;
Index particleFreeIndex;
Index particleSortIndex;
float particleDensity = 1.0f;
int32_t particleTextured = 1;
int32_t recycleCursor = -1;

namespace {

// pdensity is a percentage in vantor.ini and a factor in play; a double carries the factor's float
// through the percentage and back unchanged.
const Setting PARTICLE_SETTING_ROWS[] = {
    {"pdensity", SETTING_INT, 100, nullptr, 0, 10000, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(particleDensity) * 100.0; },
     [](double v) { ParticleSetDensity(static_cast<float>(v / 100.0)); }},
    {"ptexture", SETTING_INT, 1, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(particleTextured); }, [](double v) { ParticleSetTextured(int32_t(v)); }},
};

} // namespace

const SettingTable particleSettings = SettingTableOf("particle", PARTICLE_SETTING_ROWS);

namespace {

constexpr int32_t PARTICLE_INDEX_BYTES = 1024;

// Quad half-sizes: textured quads show only their bright core, flat ones are solid.
constexpr float TEXTURED_HALF_BIG = 0.3f;
constexpr float TEXTURED_HALF_SMALL = 0.1f;
constexpr float FLAT_HALF_BIG = 0.045f;
constexpr float FLAT_HALF_SMALL = 0.05f;
constexpr float FADE_LIFE = 0.4f; // the textured core shrinks away over the last 0.4 s
constexpr float ALPHA_CUT = 0.5f;

Particle* ParticleAt(const Index* index, int32_t i) {
    return static_cast<Particle*>(index->items[i]);
}

// Pool indexes hold the whole pool in storage reserved at start-up: appends never grow them.
void ParticleAppend(Index* index, Particle* particle) {
    index->items[index->count++] = particle;
}

void ParticleRelease(Particle* particle) {
    IndexDelete(&particleIndex, particle, nullptr);
    ParticleAppend(&particleFreeIndex, particle);
}

uint8_t Byte(int32_t value) {
    return static_cast<uint8_t>(value);
}

// The shared count rule: carry += dt, n = floor(carry * r). Returns n and the spacing in seconds.
// A density or rate of 0 (or below) emits nothing and keeps carry finite.
int32_t ParticleCount(float rate, float dt, float& carry, float& spacing, bool byDivision) {
    float r = particleDensity * rate;
    carry += dt;
    if (!(r > 0.0f)) {
        spacing = 0.0f;
        return 0;
    }
    spacing = 1.0f / r;
    return static_cast<int32_t>(byDivision ? carry / spacing : carry * r);
}

// The start of the path travelled during carry: particles of a trail are spread along it.
Vec3 PathStart(const Vec3* point, const Vec3* velocity, float carry) {
    Vec3 start = *point;
    Vec3 back = *velocity;
    VecScale(&back, carry);
    VecSub(&start, &back);
    return start;
}

Vec3 PathPoint(const Vec3& start, const Vec3* velocity, float along) {
    Vec3 pos = *velocity;
    VecScale(&pos, along);
    VecAdd(&pos, &start);
    return pos;
}

// Sideways drift of trail and exhaust particles plus a share of the emitter's velocity.
Vec3 DriftVelocity(int32_t speedLo, int32_t speedHi, const Vec3* velocity) {
    Vec3 vel = {RandomRange(speedLo, speedHi) * 0.1f, 0.0f, 0.0f};
    VecRotateZ(&vel, RandomRange(0, 359));
    Vec3 carried = *velocity;
    VecScale(&carried, 0.6);
    VecAdd(&vel, &carried);
    return vel;
}

// One burst of an explosion: particles (before the density), odds of a big one, and the ranges of
// life (tenths of a second), speed (tenths of a unit per second) and upward tilt (degrees).
struct BurstShape {
    double count;
    int32_t bigOdds;
    int32_t lifeLo, lifeHi;
    int32_t speedLo, speedHi;
    int32_t tiltLo, tiltHi;
};

// A round burst, then a nearly flat, fast ring. The ring tilts 0..10 degrees: the draw has always
// raised its -10 to 0, and the look was kept.
constexpr BurstShape EXPLOSION_BURSTS[2] = {
    {20.0, 3, 8, 14, 15, 30, 0, 360},
    {30.0, 4, 14, 18, 22, 24, 0, 10},
};

void ExplosionBurst(const Vec3* origin, const Vec3* velocity, const BurstShape& shape) {
    // In double precision, as the constants are written: in single precision pdensity 10 gives
    // 0.099999994 and a burst of 1 instead of 2.
    int32_t n = static_cast<int32_t>(static_cast<double>(particleDensity) * shape.count);
    for (int32_t i = 0; i < n; ++i) {
        Particle* p = ParticleAlloc();
        p->big = Byte(RandomRange(1, shape.bigOdds) / shape.bigOdds);
        p->life = RandomRange(shape.lifeLo, shape.lifeHi) * 0.1f;
        p->pos = *origin;
        p->red = 255;
        p->green = Byte(RandomRange(10, 150));
        p->blue = 0;
        p->think = nullptr;
        p->vel = {0.0f, 0.0f, RandomRange(shape.speedLo, shape.speedHi) * 0.1f};
        VecRotateX(&p->vel, RandomRange(shape.tiltLo, shape.tiltHi));
        VecRotateY(&p->vel, RandomRange(0, 360));
        if (velocity) VecAdd(&p->vel, velocity);
    }
}

using TrailColour = void (*)(Particle* p);

void TrailColourCyan(Particle* p) {
    p->red = 0;
    p->green = Byte(RandomRange(100, 160));
    p->blue = Byte(RandomRange(100, 160));
}

void TrailColourGreen(Particle* p) {
    p->red = Byte(RandomRange(20, 160));
    p->green = 255;
    p->blue = Byte(RandomRange(20, 160));
}

void ParticleTrail(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry,
                   TrailColour colour) {
    float spacing;
    int32_t n = ParticleCount(rate, dt, carry, spacing, false);
    Vec3 start = PathStart(point, velocity, carry);
    for (int32_t i = 0; i < n; ++i) {
        Particle* p = ParticleAlloc();
        p->big = 0;
        colour(p);
        p->think = nullptr;
        p->pos = PathPoint(start, velocity, static_cast<float>(i) * spacing);
        p->life = 0.6f;
        p->vel = DriftVelocity(4, 6, velocity);
    }
    carry -= static_cast<float>(n) * spacing;
}

void SparkleColourGreen(Particle* p) {
    p->red = Byte(RandomRange(0, 50));
    p->green = Byte(RandomRange(80, 255));
    p->blue = Byte(RandomRange(0, 50));
}

void SparkleColourCyan(Particle* p) {
    p->red = 0;
    p->green = Byte(RandomRange(60, 255));
    p->blue = Byte(RandomRange(60, 255));
}

void SparkleColourMagenta(Particle* p) {
    p->red = Byte(RandomRange(10, 255));
    p->green = 0;
    p->blue = Byte(RandomRange(10, 255));
}

void ParticleSparkle(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry,
                     TrailColour colour) {
    float spacing;
    int32_t n = ParticleCount(rate, dt, carry, spacing, false);
    for (int32_t i = 0; i < n; ++i) {
        Particle* p = ParticleAlloc();
        p->pos = *point;
        p->big = 1;
        colour(p);
        p->think = nullptr;
        p->life = 1.2f;
        p->vel = {0.0f, 0.0f, RandomRange(12, 14) * 0.1f};
        // 0..10 degrees upward: the draw has always raised its -10 to 0, and the look was kept.
        VecRotateX(&p->vel, RandomRange(0, 10));
        VecRotateY(&p->vel, RandomRange(0, 360));
        VecAdd(&p->vel, velocity);
    }
    carry -= static_cast<float>(n) * spacing;
}

// Step 1 and 2 of both draw styles: the visible particles sorted far to near.
void ParticleSortVisible() {
    IndexClear(&particleSortIndex);
    gl.LoadIdentity();
    for (int32_t i = 0; i < particleIndex.count; ++i) {
        Particle* p = ParticleAt(&particleIndex, i);
        Vec3 rel = p->pos;
        VecSub(&rel, &cameraPos);
        p->viewDistSq = static_cast<float>(VecDot(&rel, &rel));
        VecRotateY(&rel, -cameraYaw);
        VecRotateX(&rel, -cameraPitch);
        if (rel.z <= 0.0f) IndexInsertFixed(&particleSortIndex, p, ParticleCompareDepth);
    }
}

// A quad's half-axes in world space: the local X and Y axes after turning by the heading about Y
// and then by minus the pitch about X, so that the quad faces the camera. The corners are worked
// out here rather than by a model-view matrix per particle, so that all the particles go to GL
// as one batch of quads instead of one draw each.
struct QuadAxes {
    Vec3 right;
    Vec3 up;
};

QuadAxes ParticleFaceCamera(const Particle* p, float half) {
    Vec3 rel = p->pos;
    VecSub(&rel, &cameraPos);
    const double heading = VecHeading(&rel);
    VecRotateY(&rel, -heading);
    const double pitch = VecPitch(&rel);
    const double a = heading * M_PI / 180.0, b = -pitch * M_PI / 180.0;
    const auto ca = static_cast<float>(std::cos(a)), sa = static_cast<float>(std::sin(a));
    const auto cb = static_cast<float>(std::cos(b)), sb = static_cast<float>(std::sin(b));
    return {{half * ca, 0.0f, -half * sa}, {half * sa * sb, half * cb, half * ca * sb}};
}

// The corner (sx, sy) of the quad, each -1 or 1.
void ParticleCorner(const Vec3& pos, const QuadAxes& q, float sx, float sy) {
    gl.Vertex3f(pos.x + sx * q.right.x + sy * q.up.x, pos.y + sx * q.right.y + sy * q.up.y,
                pos.z + sx * q.right.z + sy * q.up.z);
}

void ParticleDrawTextured() {
    gl.Enable(GL_TEXTURE_2D);
    gl.AlphaFunc(GL_GREATER, ALPHA_CUT);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.Enable(GL_BLEND);
    gl.BindTexture(GL_TEXTURE_2D, textures[TEXTURE_FLARE].glName);
    ParticleSortVisible();
    gl.Disable(GL_BLEND);
    gl.Enable(GL_ALPHA_TEST);
    gl.Begin(GL_QUADS);
    for (int32_t i = 0; i < particleSortIndex.count; ++i) {
        const Particle* p = ParticleAt(&particleSortIndex, i);
        const QuadAxes q = ParticleFaceCamera(p, p->big ? TEXTURED_HALF_BIG : TEXTURED_HALF_SMALL);
        float r = p->red / 255.0f, g = p->green / 255.0f, b = p->blue / 255.0f;
        if (p->life >= FADE_LIFE)
            gl.Color3f(r, g, b);
        else
            gl.Color4f(r, g, b, p->life * 2.5f);
        gl.TexCoord2f(0.0f, 0.0f);
        ParticleCorner(p->pos, q, -1.0f, -1.0f);
        gl.TexCoord2f(0.0f, 1.0f);
        ParticleCorner(p->pos, q, -1.0f, 1.0f);
        gl.TexCoord2f(1.0f, 1.0f);
        ParticleCorner(p->pos, q, 1.0f, 1.0f);
        gl.TexCoord2f(1.0f, 0.0f);
        ParticleCorner(p->pos, q, 1.0f, -1.0f);
    }
    gl.End();
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_ALPHA_TEST);
}

void ParticleDrawFlat() {
    ParticleSortVisible();
    gl.Disable(GL_TEXTURE_2D);
    gl.Disable(GL_ALPHA_TEST);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_DEPTH_TEST); // far-to-near order alone decides what covers what
    gl.Begin(GL_QUADS);
    for (int32_t i = 0; i < particleSortIndex.count; ++i) {
        const Particle* p = ParticleAt(&particleSortIndex, i);
        const QuadAxes q = ParticleFaceCamera(p, p->big ? FLAT_HALF_BIG : FLAT_HALF_SMALL);
        gl.Color3f(p->red / 255.0f, p->green / 255.0f, p->blue / 255.0f);
        ParticleCorner(p->pos, q, -1.0f, -1.0f);
        ParticleCorner(p->pos, q, -1.0f, 1.0f);
        ParticleCorner(p->pos, q, 1.0f, 1.0f);
        ParticleCorner(p->pos, q, 1.0f, -1.0f);
    }
    gl.End();
    gl.Enable(GL_DEPTH_TEST);
}

} // namespace

void ParticleInit() {
    Log(LOG_BOOT, "Initing particle indexes\n");
    IndexFree(&particleIndex);
    IndexFree(&particleFreeIndex);
    IndexFree(&particleSortIndex);
    MemZero(particleList, sizeof(particleList));
    IndexCreate(&particleIndex, PARTICLE_INDEX_BYTES, "particleIndex", 0);
    IndexCreate(&particleFreeIndex, PARTICLE_INDEX_BYTES, "particleFreeIndex", 0);
    IndexCreate(&particleSortIndex, PARTICLE_INDEX_BYTES, "particleSortIndex",
                INDEX_ALLOW_DUPLICATES);
    for (Particle& particle : particleList)
        IndexAdd(&particleFreeIndex, &particle);
    IndexResize(&particleIndex, PARTICLE_MAX);
    IndexResize(&particleSortIndex, PARTICLE_MAX);
    recycleCursor = -1;
    int32_t density = SettingReadInt(particleSettings, "pdensity");
    if (density < 0) {
        Log(LOG_ERROR, "ParticleInit: pdensity below 0, using 0\n");
        density = 0;
    }
    particleDensity = static_cast<float>(density * 0.01);
    particleTextured = SettingReadInt(particleSettings, "ptexture");
}

void ParticleSetTextured(int32_t textured) {
    particleTextured = textured;
}

void ParticleClearAll() {
    while (particleIndex.count > 0)
        ParticleRelease(ParticleAt(&particleIndex, 0));
}

Particle* ParticleAlloc() {
    if (particleFreeIndex.count == 0) {
        recycleCursor += 1;
        if (recycleCursor >= particleIndex.count) recycleCursor = 0;
        ParticleRelease(ParticleAt(&particleIndex, recycleCursor));
    }
    Particle* p = ParticleAt(&particleFreeIndex, 0);
    IndexDelete(&particleFreeIndex, p, nullptr);
    ParticleAppend(&particleIndex, p);
    return p;
}

void ParticleUpdate(float dt) {
    int32_t i = 0;
    while (i < particleIndex.count) {
        Particle* p = ParticleAt(&particleIndex, i);
        if (p->think) p->think(p, dt);
        p->pos.x += p->vel.x * dt;
        p->pos.y += p->vel.y * dt;
        p->pos.z += p->vel.z * dt;
        p->life -= dt;
        if (p->life < 0.0f) {
            ParticleRelease(p); // the last live particle moves into slot i and is handled next
            continue;
        }
        ++i;
    }
}

void ParticleDraw() {
    if (particleTextured)
        ParticleDrawTextured();
    else
        ParticleDrawFlat();
}

int ParticleCompareDepth(const Index*, const void* a, const void* b) {
    float da = static_cast<const Particle*>(a)->viewDistSq;
    float db = static_cast<const Particle*>(b)->viewDistSq;
    if (da > db) return -1;
    if (da < db) return 1;
    return 0;
}

void ParticleExplosion(const Vec3* origin, const Vec3* velocity) {
    for (const BurstShape& shape : EXPLOSION_BURSTS)
        ExplosionBurst(origin, velocity, shape);
}

void ParticleExhaust(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry) {
    if (!particleTextured) return;
    float spacing;
    int32_t n = ParticleCount(rate, dt, carry, spacing, false);
    Vec3 start = PathStart(point, velocity, carry);
    for (int32_t i = 0; i < n; ++i) {
        Particle* p = ParticleAlloc();
        p->big = 1;
        p->red = 255;
        p->green = Byte(RandomRange(10, 150));
        p->blue = 0;
        p->think = nullptr;
        p->pos = PathPoint(start, velocity, static_cast<float>(i) * spacing);
        p->life = 0.3f;
        p->vel = DriftVelocity(5, 10, velocity);
    }
    carry -= static_cast<float>(n) * spacing;
}

void ParticleTrailCyan(const Vec3* point, const Vec3* velocity, float rate, float dt,
                       float& carry) {
    ParticleTrail(point, velocity, rate, dt, carry, TrailColourCyan);
}

void ParticleTrailGreen(const Vec3* point, const Vec3* velocity, float rate, float dt,
                        float& carry) {
    ParticleTrail(point, velocity, rate, dt, carry, TrailColourGreen);
}

void ParticleRailSpiral(const Vec3* point, const Vec3* velocity, float rate, float dt, float& carry,
                        float phase) {
    float spacing;
    int32_t n = ParticleCount(rate, dt, carry, spacing, true);
    float offset = phase - carry;
    double heading = VecHeading(velocity);
    Vec3 start = PathStart(point, velocity, carry);
    // Helix: 8 turns a second of flight, its angle following the shot's age.
    for (int32_t i = 0; i < n; ++i) {
        Particle* p = ParticleAlloc();
        p->big = 0;
        TrailColourCyan(p);
        p->think = nullptr;
        float along = static_cast<float>(i) * spacing;
        p->pos = PathPoint(start, velocity, along);
        Vec3 radial = {0.7f, 0.0f, 0.0f};
        VecRotateZ(&radial, (along + offset) * 2880.0);
        VecRotateY(&radial, heading);
        VecAdd(&p->pos, &radial);
        p->vel = radial;
        VecScale(&p->vel, 0.5);
        p->life = 0.8f;
    }
    // Grey core, every second step.
    for (int32_t i = 0; i < n; i += 2) {
        Particle* p = ParticleAlloc();
        p->big = 0;
        uint8_t grey = Byte(RandomRange(100, 160));
        p->red = p->green = p->blue = grey;
        p->think = nullptr;
        p->pos = PathPoint(start, velocity, static_cast<float>(i) * spacing);
        p->vel = {0.2f, 0.0f, 0.0f};
        VecRotateZ(&p->vel, RandomRange(0, 359));
        VecRotateY(&p->vel, heading);
        p->life = 0.7f;
    }
    carry -= static_cast<float>(n) * spacing;
}

void ParticleSparkleGreen(const Vec3* point, const Vec3* velocity, float rate, float dt,
                          float& carry) {
    ParticleSparkle(point, velocity, rate, dt, carry, SparkleColourGreen);
}

void ParticleSparkleCyan(const Vec3* point, const Vec3* velocity, float rate, float dt,
                         float& carry) {
    ParticleSparkle(point, velocity, rate, dt, carry, SparkleColourCyan);
}

void ParticleSparkleMagenta(const Vec3* point, const Vec3* velocity, float rate, float dt,
                            float& carry) {
    ParticleSparkle(point, velocity, rate, dt, carry, SparkleColourMagenta);
}

void ParticleSetDensity(float density) {
    particleDensity = density;
}
