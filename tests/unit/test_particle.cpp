// Particles: recycling, life, the emitters' count rule and carry, and both draw styles.
#include "foundation/mem.h"
#include "gl_recorder.h"
#include "world_fixture.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

Particle* Spawn(Vec3 pos, float life) {
    Particle* p = ParticleAlloc();
    p->pos = pos;
    p->vel = {0, 0, 0};
    p->life = life;
    p->think = nullptr;
    p->big = 0;
    return p;
}

// Translatef arguments of the drawn particles, in draw order.
std::vector<Vec3> DrawnPositions() {
    std::vector<Vec3> out;
    const GLRecordedCall* c = GLRecorderCalls();
    for (int i = 0; i < GLRecorderSize(); ++i)
        if (std::string(c[i].name) == "Translatef")
            out.push_back({float(c[i].args[0]), float(c[i].args[1]), float(c[i].args[2])});
    return out;
}

} // namespace

TEST(Particle, FullPoolRecyclesFromSlotZeroThenOnwardAndWraps) {
    WorldScope world;
    for (int i = 0; i < PARTICLE_MAX; ++i)
        Spawn({0, 0, float(i)}, 1.0f);
    EXPECT_EQ(particleFreeIndex.count, 0);
    void* slot0 = particleIndex.items[0];
    void* last = particleIndex.items[PARTICLE_MAX - 1];
    Particle* p = ParticleAlloc();
    EXPECT_EQ(p, slot0); // the record of slot 0 is reused
    EXPECT_EQ(recycleCursor, 0);
    EXPECT_EQ(particleIndex.items[0], last);             // the last live one took its slot
    EXPECT_EQ(particleIndex.items[PARTICLE_MAX - 1], p); // the reused one is appended
    void* slot1 = particleIndex.items[1];
    EXPECT_EQ(ParticleAlloc(), slot1);
    EXPECT_EQ(recycleCursor, 1);
    recycleCursor = PARTICLE_MAX - 1; // at the live count: wraps to 0
    void* again0 = particleIndex.items[0];
    EXPECT_EQ(ParticleAlloc(), again0);
    EXPECT_EQ(recycleCursor, 0);
    EXPECT_EQ(particleIndex.count + particleFreeIndex.count, PARTICLE_MAX);
}

TEST(Particle, LifeExactlyZeroSurvivesTheSlice) {
    WorldScope world;
    Particle* p = Spawn({0, 0, 0}, 0.5f);
    p->vel = {2, 0, 0};
    ParticleUpdate(0.25f);
    ParticleUpdate(0.25f);
    EXPECT_EQ(p->life, 0.0f);
    EXPECT_EQ(particleIndex.count, 1);
    EXPECT_EQ(p->pos.x, 1.0f);
    ParticleUpdate(0.25f);
    EXPECT_EQ(particleFreeIndex.count, PARTICLE_MAX);
}

TEST(Particle, UpdateHandlesTheParticleMovedIntoAFreedSlot) {
    WorldScope world;
    static int thinks;
    thinks = 0;
    Particle* dying = Spawn({0, 0, 0}, 0.01f);
    Particle* moved = Spawn({0, 0, 0}, 5.0f);
    moved->vel = {0, 1, 0};
    for (Particle* p : {dying, moved})
        p->think = [](Particle*, float) { ++thinks; };
    ParticleUpdate(0.5f);
    EXPECT_EQ(thinks, 2);
    EXPECT_EQ(particleIndex.count, 1);
    EXPECT_EQ(moved->pos.y, 0.5f);
}

TEST(Particle, ExplosionCountsFollowDensity) {
    {
        WorldScope world;
        Vec3 o = {1, 2, 3};
        ParticleExplosion(&o, nullptr);
        EXPECT_EQ(particleIndex.count, 50);
    }
    {
        WorldScope world("pdensity = 50\n");
        Vec3 o = {1, 2, 3}, v = {10, 0, 0};
        ParticleExplosion(&o, &v);
        EXPECT_EQ(particleIndex.count, 25);
        // Every particle starts at the origin and carries the given velocity: the burst speeds
        // are at most 3 units a second, so x speed stays within 7..13.
        for (int i = 0; i < particleIndex.count; ++i) {
            const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
            EXPECT_EQ(p->pos.z, 3.0f);
            EXPECT_GE(p->vel.x, 7.0f);
            EXPECT_LE(p->vel.x, 13.0f);
            EXPECT_GE(p->life, 0.8f);
            EXPECT_LE(p->life, 1.8f + 1e-6f);
        }
    }
    {
        WorldScope world("pdensity = 10\n"); // 2 + 3, not one short in single precision
        Vec3 o = {1, 2, 3};
        ParticleExplosion(&o, nullptr);
        EXPECT_EQ(particleIndex.count, 5);
    }
}

TEST(Particle, CarryKeepsTheLongRunRateExact) {
    WorldScope world("pdensity = 50\n");
    float carry = 0.0f;
    Vec3 at = {0, 0, 0}, still = {0, 0, 0};
    int emitted = 0;
    for (int slice = 0; slice < 400; ++slice) { // 20 seconds at 0.05
        int before = particleIndex.count;
        ParticleSparkleGreen(&at, &still, 35.0f, 0.05f, carry);
        emitted += particleIndex.count - before;
        ParticleClearAll();
        EXPECT_GE(carry, -1e-4f);
        EXPECT_LT(carry, 1.0f / 17.5f + 1e-4f);
    }
    EXPECT_NEAR(emitted, 350, 1);
}

TEST(Particle, FlatStyleLeavesExhaustAloneButTrailsStillEmit) {
    WorldScope world("ptexture = 0\n");
    float carry = 0.5f;
    Vec3 at = {0, 0, 0}, v = {0, 0, -10};
    ParticleExhaust(&at, &v, 100.0f, 0.1f, carry);
    EXPECT_EQ(carry, 0.5f);
    EXPECT_EQ(particleIndex.count, 0);
    float trailCarry = 0.0f;
    ParticleTrailCyan(&at, &v, 15.0f, 0.2f, trailCarry);
    EXPECT_EQ(particleIndex.count, 3);
    ParticleSparkleCyan(&at, &v, 35.0f, 0.2f, trailCarry);
    EXPECT_GT(particleIndex.count, 3);
}

TEST(Particle, TrailParticlesAreSpreadAlongThePathTravelled) {
    WorldScope world;
    float carry = 0.0f;
    Vec3 at = {5, 0, 0}, v = {10, 0, 0};
    ParticleTrailGreen(&at, &v, 100.0f, 0.1f, carry);
    ASSERT_EQ(particleIndex.count, 10);
    for (int i = 0; i < 10; ++i) {
        const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
        EXPECT_NEAR(p->pos.x, 4.0f + 0.1f * i, 1e-4) << i; // start = point - v * carry
    }
    EXPECT_NEAR(carry, 0.0f, 1e-5);
}

TEST(Particle, RailSpiralHelixAndCore) {
    WorldScope world;
    float carry = 0.0f;
    Vec3 at = {0, 0, 0}, v = {0, 0, -40};
    ParticleRailSpiral(&at, &v, 400.0f, 0.01f, carry, 0.01f);
    // n = 4: four helix particles, then core particles for i = 0 and 2.
    ASSERT_EQ(particleIndex.count, 6);
    for (int i = 0; i < 4; ++i) {
        const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
        Vec3 rel = p->vel;
        VecScale(&rel, 2.0);
        EXPECT_NEAR(VecLength(&rel), 0.7, 1e-4); // radial of 0.7, velocity half of it
    }
    EXPECT_NEAR(carry, 0.0f, 1e-5);
}

TEST(Particle, DensityZeroEmitsNothingAndKeepsCarryFinite) {
    WorldScope world("pdensity = 0\n");
    float carry = 0.0f;
    Vec3 at = {0, 0, 0}, v = {1, 0, 0};
    ParticleTrailCyan(&at, &v, 15.0f, 0.1f, carry);
    ParticleRailSpiral(&at, &v, 400.0f, 0.1f, carry, 1.0f);
    ParticleExplosion(&at, nullptr);
    EXPECT_EQ(particleIndex.count, 0);
    EXPECT_TRUE(std::isfinite(carry));
}

TEST(Particle, DrawSortsFarToNearAndSkipsThoseBehind) {
    WorldScope world;
    GLRecorderScope rec;
    Spawn({0, 0, -5}, 1.0f);
    Spawn({0, 0, 3}, 1.0f); // behind the camera
    Spawn({1, 0, -20}, 1.0f);
    Spawn({0, 0, 0}, 1.0f); // at the camera plane: drawn
    Spawn({0, 2, -10}, 0.2f)->big = 1;
    ParticleDraw();
    std::vector<Vec3> order = DrawnPositions();
    ASSERT_EQ(order.size(), 4u);
    const float depths[] = {-20.0f, -10.0f, -5.0f, 0.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(order[i].z, depths[i]);
    // Textured: fading particle gets alpha life * 2.5, the others plain colour; sizes by big.
    EXPECT_EQ(GLRecorderCount("Color4f"), 1);
    int fade = GLRecorderFind("Color4f");
    EXPECT_NEAR(GLRecorderCalls()[fade].args[3], 0.5, 1e-6);
    int corner = GLRecorderFind("Vertex3f", fade);
    EXPECT_NEAR(GLRecorderCalls()[corner].args[0], -0.3, 1e-6);
    EXPECT_EQ(GLRecorderCount("BindTexture"), 1);
    int alpha = GLRecorderFind("AlphaFunc");
    EXPECT_EQ(GLRecorderCalls()[alpha].args[0], GL_GREATER);
    EXPECT_EQ(GLRecorderCalls()[alpha].args[1], 0.5);
}

TEST(Particle, FlatDrawTurnsTheDepthTestOffAndBackOn) {
    WorldScope world("ptexture = 0\n");
    GLRecorderScope rec;
    Spawn({0, 0, -5}, 0.1f)->big = 1;
    ParticleDraw();
    const GLRecordedCall* c = GLRecorderCalls();
    int begin = GLRecorderFind("Begin");
    bool depthOff = false;
    for (int i = 0; i < begin; ++i)
        if (std::string(c[i].name) == "Disable" && c[i].args[0] == GL_DEPTH_TEST) depthOff = true;
    EXPECT_TRUE(depthOff);
    EXPECT_EQ(std::string(c[GLRecorderSize() - 1].name), "Enable");
    EXPECT_EQ(c[GLRecorderSize() - 1].args[0], GL_DEPTH_TEST);
    EXPECT_EQ(GLRecorderCount("TexCoord2f"), 0);
    int corner = GLRecorderFind("Vertex3f");
    EXPECT_NEAR(c[corner].args[0], -0.045, 1e-6);
}

TEST(Particle, QuadFacesTheCamera) {
    WorldScope world;
    GLRecorderScope rec;
    cameraPos = {0, 0, 0};
    Spawn({-10, 0, -10}, 1.0f); // 45 degrees to the left, level
    ParticleDraw();
    int rot = GLRecorderFind("Rotatef");
    ASSERT_NE(rot, -1);
    // The quad's normal is turned onto the line of sight (heading 225 from +z toward +x).
    double heading = GLRecorderCalls()[rot].args[0];
    Vec3 facing = {0, 0, 1};
    VecRotateY(&facing, heading);
    EXPECT_NEAR(facing.x, -std::sqrt(0.5), 1e-4);
    EXPECT_NEAR(facing.z, -std::sqrt(0.5), 1e-4);
}
