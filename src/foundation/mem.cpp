// Allocation helpers and RandomRange over a 15-bit generator. The generator is our own
// (the C library's rand sequence differs between systems) so that a seed replays the same game.
#include "foundation/mem.h"

#include "core/fatal.h"
#include "core/log.h"

#include <cstdlib>
#include <cstring>

namespace {
uint32_t randomState = 1;

int32_t RandomNext15() {
    // The classic linear congruential step; 15 bits out, as the game's spreads expect.
    randomState = randomState * 1103515245u + 12345u;
    return static_cast<int32_t>((randomState / 65536u) % 32768u);
}
} // namespace

void* MemGrow(void* block, int32_t elementSize, int32_t count, int32_t& capacityBytes) {
    if (!block) {
        void* fresh = std::malloc(static_cast<size_t>(capacityBytes > 0 ? capacityBytes : 1));
        if (!fresh) {
            Log(LOG_ERROR, "realloc/malloc failure: dying a horrible death...\n");
            FatalExit(3);
        }
        return fresh;
    }
    if (elementSize <= 0 || count < capacityBytes / elementSize) return block;
    int32_t grown = capacityBytes * 2;
    void* moved = std::realloc(block, static_cast<size_t>(grown));
    if (!moved) {
        Log(LOG_ERROR, "realloc failure: dying a horrible death...\n");
        FatalExit(3);
    }
    capacityBytes = grown;
    return moved;
}

void MemFree(void* block, size_t sizeBytes) {
    if (!block) return;
    std::memset(block, 0, sizeBytes);
    std::free(block);
}

void MemZero(void* block, size_t sizeBytes) {
    std::memset(block, 0, sizeBytes);
}

void RandomSeed(uint32_t seed) {
    randomState = seed;
}

uint32_t RandomGetState() {
    return randomState;
}

int32_t RandomRange(int32_t lo, int32_t hi) {
    if (lo < 0) lo = 0;
    if (hi < lo + 1) hi = lo + 1;
    int64_t span = static_cast<int64_t>(hi) - lo + 1; // 64-bit: hi may be INT32_MAX
    return static_cast<int32_t>(lo + RandomNext15() % span);
}
