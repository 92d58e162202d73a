// Signed-distance shapes, bevel lighting and supersampled rendering.
#include "draw.h"

#include <cmath>

float DrawSdRoundBox(float x, float y, float cx, float cy, float hw, float hh, float r) {
    float qx = std::fabs(x - cx) - (hw - r), qy = std::fabs(y - cy) - (hh - r);
    float ox = std::fmax(qx, 0.0f), oy = std::fmax(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::fmin(std::fmax(qx, qy), 0.0f) - r;
}

float DrawSdSegment(float x, float y, float ax, float ay, float bx, float by) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * t, py - dy * t);
}

float DrawBevelShade(float d, float gx, float gy, float width) {
    if (d >= 0.0f || -d > width) return 1.0f;
    float gl = std::sqrt(gx * gx + gy * gy);
    if (gl <= 0.0f) return 1.0f;
    // The bevel rises toward the inside, so its surface faces outward along the gradient.
    float nx = gx / gl, ny = gy / gl;
    float facing = -(nx * -0.707f + ny * -0.707f); // light from the upper left (y down)
    float slope = 1.0f - Smoothstep(0.0f, width, -d) * 0.4f;
    return 1.0f - 0.75f * facing * slope;
}

Image DrawSupersampled(int w, int h, int ss, const std::function<Rgb(float, float)>& shader) {
    Image img = ImageMake(w, h);
    const float k = 1.0f / float(ss * ss);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb sum{0.0f, 0.0f, 0.0f};
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i)
                    sum = AddRgb(sum, shader(float(x) + (float(i) + 0.5f) / float(ss),
                                             float(y) + (float(j) + 0.5f) / float(ss)));
            ImageAt(img, x, y) = ScaleRgb(sum, k);
        }
    }
    return img;
}
