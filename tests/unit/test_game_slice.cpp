// No allocation per game slice or per frame: every pool is fixed at start-up.
#include "console/gameinput.h"
#include "game_fixture.h"
#include "gl_recorder.h"

#include <cstdlib>

// Counting allocator: the malloc, calloc and realloc calls (operator new goes through malloc) of
// the thread that armed it. Sanitizer builds keep their own allocator and skip the check.
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
void* calloc(size_t nmemb, size_t size) {
    allocCount += allocArmed;
    return __libc_calloc(nmemb, size);
}
void* realloc(void* ptr, size_t size) {
    allocCount += allocArmed;
    return __libc_realloc(ptr, size);
}
}
#endif

// A busy level played with the ship thrusting, turning and firing and things struck now and then,
// the particle pool full so that it recycles.
TEST(GameSlice, NoAllocationPerSliceOrPerFrame) {
    if (!WORLD_COUNTS_ALLOCATIONS) GTEST_SKIP() << "sanitizer build: allocator not replaceable";
    for (int32_t sweep : {0, 1}) {
        GameScope scope("lights = 4\n");
        zpart = sweep;
        difficulty = 3;
        GameStartLevel(12);
        gameInput.state.controls[CONTROL_FORWARD] = gameInput.state.controls[CONTROL_LEFT] =
            gameInput.state.controls[CONTROL_ATTACK] = 1;
        for (int i = 0; i < PARTICLE_MAX; ++i)
            ParticleAlloc()->life = 100.0f;
        allocCount = 0;
        allocArmed = true;
        for (int frame = 0; frame < 300; ++frame) {
            GameSlice(0.02f);
            ThingDrawAll();
            ParticleDraw();
            if (frame % 10 == 0)
                ThingHit(static_cast<Thing*>(thingIndex.items[frame % thingIndex.count]),
                         THING_HIT_SHIP_SHOT);
        }
        void* volatile probe = std::malloc(16); // the counter itself works
        std::free(probe);
        allocArmed = false;
        EXPECT_EQ(allocCount, 1) << "zpart " << sweep;
        EXPECT_EQ(level, 12);
    }
    zpart = 0;
}
