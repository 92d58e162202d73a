// Floating-point RGB images and the 24-bit BMP encoder every texture goes through.
#pragma once

#include <cstdint>
#include <vector>

struct Rgb {
    float r, g, b;
};

// An image kept top row first (row 0 is the top of the picture); channels nominally 0..1.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> px;
};

constexpr float PI = 3.14159265358979f;

inline float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
inline float Mix(float a, float b, float t) {
    return a + (b - a) * t;
}
inline Rgb MixRgb(Rgb a, Rgb b, float t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
inline Rgb ScaleRgb(Rgb c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}
inline Rgb AddRgb(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline float Smoothstep(float e0, float e1, float x) {
    float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// Little-endian fields, as the BMP and RIFF headers lay them out.
inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xffff);
    PutU16(out, v >> 16);
}

// A black image of the given size.
Image ImageMake(int width, int height);

// The pixel at (x, y), coordinates wrapped around the edges (tileable textures rely on it).
Rgb& ImageAt(Image& image, int x, int y);

// Colour stops at positions 0..1 in ascending order, interpolated linearly.
struct GradientStop {
    float at;
    Rgb color;
};
Rgb ImageGradient(const GradientStop* stops, int count, float t);

// A 24-bit uncompressed bottom-up BMP with the 40-byte info header, rows padded to 4 bytes.
std::vector<uint8_t> ImageEncodeBmp(const Image& image);

// Box-filters an image down by an integer factor (supersampled shapes are drawn large first).
Image ImageDownsample(const Image& image, int factor);
