// Memory growth and wiping, and the one source of random numbers.
#pragma once

#include <cstddef>
#include <cstdint>

// Null block: allocates capacityBytes. Otherwise doubles capacityBytes (and the block) once when
// count has reached capacityBytes / elementSize. Exit 3 when memory cannot be had.
void* MemGrow(void* block, int32_t elementSize, int32_t count, int32_t& capacityBytes);
// Zeroes sizeBytes of the block and releases it.
void MemFree(void* block, size_t sizeBytes);
void MemZero(void* block, size_t sizeBytes);

// A pseudo-random integer in [lo', hi'] where lo' = max(lo, 0) and hi' = max(hi, lo' + 1).
int32_t RandomRange(int32_t lo, int32_t hi);
// Seeds the generator (start-up seeds it with the calendar time; tests with fixed values).
void RandomSeed(uint32_t seed);
// The generator's whole state: RandomSeed(RandomGetState()) later replays the same draws (demos).
uint32_t RandomGetState();
