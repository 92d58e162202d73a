// Splitmix random numbers and hashed-gradient Perlin noise.
#include "noise.h"

#include <cmath>

uint64_t RngNext(Rng& rng) {
    uint64_t z = (rng.state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

float RngFloat(Rng& rng) {
    return float(RngNext(rng) >> 40) * (1.0f / 16777216.0f);
}

float RngRange(Rng& rng, float lo, float hi) {
    return lo + (hi - lo) * RngFloat(rng);
}

namespace {

uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(z) * 0xcb1ab31fu ^
                 seed * 0x165667b1u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

float Fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

// Dot product of one of the 12 edge directions of a cube with the offset.
float Grad3(uint32_t h, float x, float y, float z) {
    switch (h % 12) {
    case 0:
        return x + y;
    case 1:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
        return -y + z;
    case 10:
        return y - z;
    default:
        return -y - z;
    }
}

float Grad2(uint32_t h, float x, float y) {
    constexpr float D = 0.70710678f;
    switch (h & 7) {
    case 0:
        return x;
    case 1:
        return -x;
    case 2:
        return y;
    case 3:
        return -y;
    case 4:
        return (x + y) * D;
    case 5:
        return (-x + y) * D;
    case 6:
        return (x - y) * D;
    default:
        return (-x - y) * D;
    }
}

int Wrap(int v, int period) {
    return ((v % period) + period) % period;
}

} // namespace

float NoisePerlin3(float x, float y, float z, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int ix = int(fx), iy = int(fy), iz = int(fz);
    x -= fx;
    y -= fy;
    z -= fz;
    float u = Fade(x), v = Fade(y), w = Fade(z);
    auto g = [&](int dx, int dy, int dz) {
        return Grad3(Hash(ix + dx, iy + dy, iz + dz, seed), x - float(dx), y - float(dy),
                     z - float(dz));
    };
    float x00 = g(0, 0, 0) + (g(1, 0, 0) - g(0, 0, 0)) * u;
    float x10 = g(0, 1, 0) + (g(1, 1, 0) - g(0, 1, 0)) * u;
    float x01 = g(0, 0, 1) + (g(1, 0, 1) - g(0, 0, 1)) * u;
    float x11 = g(0, 1, 1) + (g(1, 1, 1) - g(0, 1, 1)) * u;
    float y0 = x00 + (x10 - x00) * v;
    float y1 = x01 + (x11 - x01) * v;
    return y0 + (y1 - y0) * w;
}

float NoiseFbm3(float x, float y, float z, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * NoisePerlin3(x, y, z, seed + uint32_t(o) * 101u);
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        z *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm * 1.4f;
}

float NoisePerlin2Tile(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    x -= fx;
    y -= fy;
    float u = Fade(x), v = Fade(y);
    auto g = [&](int dx, int dy) {
        return Grad2(Hash(Wrap(ix + dx, periodX), Wrap(iy + dy, periodY), 0, seed), x - float(dx),
                     y - float(dy));
    };
    float a = g(0, 0) + (g(1, 0) - g(0, 0)) * u;
    float b = g(0, 1) + (g(1, 1) - g(0, 1)) * u;
    return (a + (b - a) * v) * 1.41f;
}

float NoiseFbm2Tile(float u, float v, int cells, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * NoisePerlin2Tile(u * float(period), v * float(period), period, period,
                                      seed + uint32_t(o) * 101u);
        norm += amp;
        period *= 2;
        amp *= 0.5f;
    }
    return sum / norm * 1.3f;
}
