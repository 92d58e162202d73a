// Particles: recycling, life, the emitters' count rule and carry, and both draw styles.
#include "game_fixture.h"
#include "gl_recorder.h"

namespace {

Particle* Spawn(Vec3 pos, float life) {
    Particle* p = ParticleAlloc();
    *p = Particle{};
    p->pos = pos;
    p->life = life;
    return p;
}

TEST(Particle, AFullPoolRecyclesLiveOnesAndLivesEndAfterZero) {
    GameScope scope;
    for (int i = 0; i < PARTICLE_MAX + 2; ++i)
        Spawn({0, 0, float(i)}, 1.0f);
    EXPECT_EQ(particleIndex.count, PARTICLE_MAX);
    EXPECT_EQ(static_cast<Particle*>(particleIndex.items[PARTICLE_MAX - 1])->pos.z,
              PARTICLE_MAX + 1);
    ParticleClearAll();
    Spawn({0, 0, 0}, 0.01f);
    Particle* moved = Spawn({0, 0, 0}, 0.5f); // moves into the dying one's slot
    moved->vel = {2, 0, 0};
    ParticleUpdate(0.25f);
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
        int explosion, sparkles;
    };
    // 2 + 3 at pdensity 10, not one short in single precision; the carry keeps the long-run
    // rate exact: 35 a second for 20 s at half density.
    for (const Case& c : {Case{"", 50, 700}, Case{"pdensity = 50\n", 25, 350},
                          Case{"pdensity = 10\n", 5, 70}, Case{"pdensity = 0\n", 0, 0}}) {
        GameScope scope(c.ini);
        const Vec3 o = {1, 2, 3}, v = {10, 0, 0};
        ParticleExplosion(&o, &v);
        EXPECT_EQ(particleIndex.count, c.explosion) << c.ini;
        for (int i = 0; i < particleIndex.count; ++i) {
            const Particle* p = static_cast<Particle*>(particleIndex.items[i]);
            EXPECT_NEAR(p->vel.x, 10.0f, 3.0f); // the burst's own speed is at most 3
        }
        float carry = 0.0f;
        int emitted = 0;
        for (int slice = 0; slice < 400; ++slice) {
            ParticleClearAll();
            ParticleSparkleGreen(&o, &v, 35.0f, 0.05f, carry);
            emitted += particleIndex.count;
        }
        EXPECT_NEAR(emitted, c.sparkles, 1) << c.ini;
    }
    GameScope scope("ptexture = 0\n"); // the flat style has no exhaust
    float carry = 0.5f;
    const Vec3 at = {0, 0, 0}, v = {0, 0, -10};
    ParticleExhaust(&at, &v, 100.0f, 0.1f, carry);
    EXPECT_EQ(carry, 0.5f);
    EXPECT_EQ(particleIndex.count, 0);
}

TEST(Particle, DrawSortsFarToNearSkipsThoseBehindAndFlatStyleTurnsOffTheDepthTest) {
    for (int32_t textured : {1, 0}) {
        GameScope scope(textured ? "" : "ptexture = 0\n");
        CameraAtOrigin();
        GLRecorderScope rec;
        Spawn({0, 0, -5}, 1.0f);
        Spawn({0, 0, 3}, 1.0f); // behind the camera
        Spawn({1, 0, -20}, 1.0f);
        Spawn({0, 0, 0}, 1.0f); // at the camera plane: drawn
        Spawn({0, 2, -10}, 0.2f)->big = 1;
        ParticleDraw();
        const GLRecordedCall* c = GLRecorderCalls();
        const float depths[] = {-20.0f, -10.0f, -5.0f, 0.0f}; // of each quad's corners, no more
        ASSERT_EQ(GLRecorderCount("Vertex3f"), 16);           // than its size off
        for (int i = GLRecorderFind("Vertex3f"), k = 0; i >= 0;
             i = GLRecorderFind("Vertex3f", i + 1))
            EXPECT_NEAR(c[i].args[2], depths[k++ / 4], 0.5);
        const int last = GLRecorderSize() - 1;
        if (textured) { // the fading one gets alpha life * 2.5, the others plain colour
            EXPECT_EQ(GLRecorderCount("Color4f"), 1);
            EXPECT_NEAR(c[GLRecorderFind("Color4f")].args[3], 0.5, 1e-6);
        } else {
            int off = GLRecorderFind("Disable");
            while (c[off].args[0] != GL_DEPTH_TEST)
                ASSERT_GE(off = GLRecorderFind("Disable", off + 1), 0);
            EXPECT_LT(off, GLRecorderFind("Begin"));
            EXPECT_STREQ(c[last].name, "Enable");
            EXPECT_EQ(c[last].args[0], GL_DEPTH_TEST);
        }
    }
}

} // namespace
