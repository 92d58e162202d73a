// Deterministic random numbers and gradient noise. Everything is seeded explicitly and uses no
// library distribution, so the assets come out byte-identical on every run and every machine.
#pragma once

#include <cstdint>

// A small counter-based generator (splitmix64).
struct Rng {
    uint64_t state;
};

uint64_t RngNext(Rng& rng);
// Uniform in [0, 1).
float RngFloat(Rng& rng);
// Uniform in [lo, hi).
float RngRange(Rng& rng, float lo, float hi);

// Gradient (Perlin) noise in 3-D, roughly in [-1, 1]; sampled on the unit sphere it gives
// seamless equirectangular maps without pole pinching.
float NoisePerlin3(float x, float y, float z, uint32_t seed);
// Fractal sum of octaves of NoisePerlin3 (frequency doubling, amplitude halving), about [-1, 1].
float NoiseFbm3(float x, float y, float z, int octaves, uint32_t seed);

// Gradient noise in 2-D that repeats every periodX by periodY lattice cells.
float NoisePerlin2Tile(float x, float y, int periodX, int periodY, uint32_t seed);
// Tileable fractal sum: u, v in [0, 1) span one period of `cells` lattice cells at the lowest
// octave; every octave doubles the cells, so the sum tiles with period 1.
float NoiseFbm2Tile(float u, float v, int cells, int octaves, uint32_t seed);
