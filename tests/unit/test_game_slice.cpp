// No allocation per game slice or per frame: every pool is fixed at start-up.
#include "game_fixture.h"
#include "gl_recorder.h"

#include <cstdlib>

// Counting allocator for this test program: every malloc, calloc and realloc (operator new goes
// through malloc) of the thread that armed it is counted. Sanitizer builds keep their own
// allocator and skip the check.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define WORLD_COUNTS_ALLOCATIONS 0
#else
#define WORLD_COUNTS_ALLOCATIONS 1
#endif

namespace {
thread_local bool allocArmed = false;
thread_local long allocCount = 0;
} // namespace

#if WORLD_COUNTS_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t size) {
    allocCount += allocArmed;
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    allocCount += allocArmed;
    return __libc_calloc(n, size);
}
void* realloc(void* block, size_t size) {
    allocCount += allocArmed;
    return __libc_realloc(block, size);
}
}
#endif

namespace {

// A busy world: rocks drifting and bouncing, lights dropped each slice, particles emitted.
void BusyThink(Thing* t, float dt) {
    ThingMove(t, dt);
    ThingBounce(t);
    if (t->id % 10 == 0) LightCreate(&t->pos, 49.0f, 0.5f, 0.5f, 1.0f);
    ParticleTrailCyan(&t->pos, &t->vel, 15.0f, dt, t->emitCarry);
}

Thing* MakeBusy(Model* model) {
    Thing* t = ThingCreate();
    t->model = model;
    t->pos = {float(RandomRange(0, 96)) - 48.0f, 0.0f, float(RandomRange(0, 96)) - 48.0f};
    t->vel = {float(RandomRange(0, 10)) - 5.0f, 0.0f, float(RandomRange(0, 10)) - 5.0f};
    t->think = BusyThink;
    t->draw = ThingDrawModel;
    t->touch = [](Thing*, Thing*) {};
    t->flags = (t->id % 7 ? 0 : THING_TRANSLUCENT) | (t->id % 5 ? 0 : THING_UNLIT);
    return t;
}

} // namespace

TEST(GameSlice, NoAllocationPerSliceOrPerFrame) {
    if (!WORLD_COUNTS_ALLOCATIONS) GTEST_SKIP() << "sanitizer build: allocator not replaceable";
    for (int32_t sweep : {0, 1}) {
        GameScope scope;
        zpart = sweep;
        OneTriangleModel tri;
        while (thingFreeIndex.count > 0)
            MakeBusy(&tri.model);
        for (int i = 0; i < PARTICLE_MAX; ++i)
            ParticleAlloc()->life = 100.0f;
        cameraPitch = -20.0f;
        allocCount = 0;
        allocArmed = true;
        for (int frame = 0; frame < 5; ++frame) {
            GameSlice(0.02f);
            ThingDrawAll();
            ParticleDraw();
            ThingKillAll(); // death and freeing go through the same fixed pools
            GameSlice(0.02f);
            for (int i = 0; i < 50; ++i)
                MakeBusy(&tri.model);
            const Vec3 o = {0, 0, 0};
            ParticleExplosion(&o, nullptr);
        }
        void* volatile probe = std::malloc(16); // the counter itself works
        std::free(probe);
        allocArmed = false;
        EXPECT_EQ(allocCount, 1) << "zpart " << sweep;
    }
    zpart = 0;
}
