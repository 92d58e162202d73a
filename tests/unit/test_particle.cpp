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

// The corners of the drawn quads, in draw order.
std::vector<Vec3> DrawnCorners() {
    std::vector<Vec3> out;
    const GLRecordedCall* c = GLRecorderCalls();
    for (int i = 0; i < GLRecorderSize(); ++i)
        if (std::string(c[i].name) == "Vertex3f")
            out.push_back({float(c[i].args[0]), float(c[i].args[1]), float(c[i].args[2])});
    return out;
}

// Each quad's centre (the mean of its four corners), in draw order.
std::vector<Vec3> DrawnPositions() {
    std::vector<Vec3> corners = DrawnCorners(), out;
    for (size_t i = 0; i + 3 < corners.size(); i += 4) {
        Vec3 sum = {0, 0, 0};
        for (size_t k = 0; k < 4; ++k)
            VecAdd(&sum, &corners[i + k]);
        VecScale(&sum, 0.25);
        out.push_back(sum);
    }
    return out;
}

// Half the diagonal of quad q: its half-size times the square root of 2.
float HalfDiagonal(int q) {
    std::vector<Vec3> corners = DrawnCorners();
    Vec3 d = corners[q * 4 + 2];
    VecSub(&d, &corners[q * 4]);
    return float(VecLength(&d)) / 2.0f;
}

} // namespace

TEST(Particle, FullPoolRecyclesAndTheUpdateEndsLivesAfterZero) {
    WorldScope world;
    for (int i = 0; i < PARTICLE_MAX; ++i)
        Spawn({0, 0, float(i)}, 1.0f);
    void* slot0 = particleIndex.items[0];
    void* last = particleIndex.items[PARTICLE_MAX - 1];
    Particle* p = ParticleAlloc();
    EXPECT_EQ(p, slot0);                                 // the record of slot 0 is reused
    EXPECT_EQ(particleIndex.items[0], last);             // the last live one took its slot
    EXPECT_EQ(particleIndex.items[PARTICLE_MAX - 1], p); // the reused one is appended
    void* slot1 = particleIndex.items[1];
    EXPECT_EQ(ParticleAlloc(), slot1);
    recycleCursor = PARTICLE_MAX - 1; // at the live count: wraps to 0
    void* again0 = particleIndex.items[0];
    EXPECT_EQ(ParticleAlloc(), again0);
    ParticleClearAll();

    static int thinks;
    thinks = 0;
    Particle* dying = Spawn({0, 0, 0}, 0.01f);
    Particle* moved = Spawn({0, 0, 0}, 0.5f); // moves into the dying one's slot
    moved->vel = {2, 0, 0};
    for (Particle* q : {dying, moved})
        q->think = [](Particle*, float) { ++thinks; };
    ParticleUpdate(0.25f);
    EXPECT_EQ(thinks, 2);
    ParticleUpdate(0.25f);
    EXPECT_EQ(moved->life, 0.0f); // exactly zero survives the slice
    EXPECT_EQ(moved->pos.x, 1.0f);
    EXPECT_EQ(particleIndex.count, 1);
    ParticleUpdate(0.25f);
    EXPECT_EQ(particleFreeIndex.count, PARTICLE_MAX);
}

TEST(Particle, EmitterCountsFollowDensityAndCarry) {
    struct Case {
        const char* ini;
        int explosion;
    };
    // 2 + 3 at pdensity 10, not one short in single precision.
    for (const Case& c : {Case{"", 50}, Case{"pdensity = 50\n", 25}, Case{"pdensity = 10\n", 5},
                          Case{"pdensity = 0\n", 0}}) {
        WorldScope world(c.ini);
        Vec3 o = {1, 2, 3}, v = {10, 0, 0};
        ParticleExplosion(&o, &v);
        EXPECT_EQ(particleIndex.count, c.explosion) << c.ini;
        for (int i = 0; i < particleIndex.count; ++i) {
            const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
            EXPECT_EQ(p->pos.z, 3.0f);
            EXPECT_NEAR(p->vel.x, 10.0f, 3.0f); // the burst's own speed is at most 3
        }
        // The carry keeps the long-run rate exact: 35 a second for 20 s at half density.
        float carry = 0.0f;
        int emitted = 0;
        for (int slice = 0; slice < 400; ++slice) {
            ParticleClearAll();
            ParticleSparkleGreen(&o, &v, 35.0f, 0.05f, carry);
            emitted += particleIndex.count;
            ASSERT_TRUE(std::isfinite(carry));
        }
        if (c.explosion == 25) {
            EXPECT_NEAR(emitted, 350, 1);
        }
        if (c.explosion == 0) {
            EXPECT_EQ(emitted, 0);
        }
    }
}

TEST(Particle, TrailsSpreadAlongThePathAndFlatStyleDropsTheExhaust) {
    {
        WorldScope world;
        float carry = 0.0f;
        Vec3 at = {5, 0, 0}, v = {10, 0, 0};
        ParticleTrailGreen(&at, &v, 100.0f, 0.1f, carry);
        ASSERT_EQ(particleIndex.count, 10);
        for (int i = 0; i < 10; ++i) // from the point less one slice of flight
            EXPECT_NEAR(static_cast<Particle*>(particleIndex.items[i])->pos.x, 4.0f + 0.1f * i,
                        1e-4);
        ParticleClearAll();
        Vec3 down = {0, 0, -40};
        ParticleRailSpiral(&at, &down, 400.0f, 0.01f, carry, 0.01f);
        EXPECT_EQ(particleIndex.count, 6); // a helix of four and two on the core
    }
    WorldScope world("ptexture = 0\n");
    float carry = 0.5f;
    Vec3 at = {0, 0, 0}, v = {0, 0, -10};
    ParticleExhaust(&at, &v, 100.0f, 0.1f, carry);
    EXPECT_EQ(carry, 0.5f);
    EXPECT_EQ(particleIndex.count, 0);
    carry = 0.0f;
    ParticleTrailCyan(&at, &v, 15.0f, 0.2f, carry); // trails still emit
    EXPECT_EQ(particleIndex.count, 3);
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
        EXPECT_NEAR(order[i].z, depths[i], 1e-5);
    // Textured: fading particle gets alpha life * 2.5, the others plain colour; sizes by big.
    EXPECT_EQ(GLRecorderCount("Color4f"), 1);
    int fade = GLRecorderFind("Color4f");
    EXPECT_NEAR(GLRecorderCalls()[fade].args[3], 0.5, 1e-6);
    EXPECT_NEAR(HalfDiagonal(1), 0.3f * std::sqrt(2.0f), 1e-5); // the big one, second drawn
    EXPECT_NEAR(HalfDiagonal(0), 0.1f * std::sqrt(2.0f), 1e-5);
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
    EXPECT_NEAR(HalfDiagonal(0), 0.045f * std::sqrt(2.0f), 1e-6);
}

TEST(Particle, QuadFacesTheCamera) {
    WorldScope world;
    GLRecorderScope rec;
    cameraPos = {0, 0, 0};
    Spawn({-10, 0, -10}, 1.0f); // 45 degrees to the left, level
    ParticleDraw();
    // The quad's normal lies on the line of sight (45 degrees to the left, level).
    std::vector<Vec3> corners = DrawnCorners();
    ASSERT_EQ(corners.size(), 4u);
    Vec3 e1 = corners[1], e2 = corners[3], n;
    VecSub(&e1, &corners[0]);
    VecSub(&e2, &corners[0]);
    VecCross(&n, &e1, &e2);
    VecNormalize(&n);
    Vec3 sight = {-1, 0, -1};
    VecNormalize(&sight);
    EXPECT_NEAR(std::fabs(VecDot(&n, &sight)), 1.0, 1e-4);
}
