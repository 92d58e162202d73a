// Image storage, gradients and the BMP encoder.
#include "image.h"

#include <cmath>

Image ImageMake(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.px.assign(size_t(width) * size_t(height), Rgb{0.0f, 0.0f, 0.0f});
    return image;
}

Rgb& ImageAt(Image& image, int x, int y) {
    x = ((x % image.width) + image.width) % image.width;
    y = ((y % image.height) + image.height) % image.height;
    return image.px[size_t(y) * size_t(image.width) + size_t(x)];
}

Rgb ImageGradient(const GradientStop* stops, int count, float t) {
    if (t <= stops[0].at) return stops[0].color;
    for (int i = 1; i < count; ++i) {
        if (t <= stops[i].at) {
            float span = stops[i].at - stops[i - 1].at;
            float k = span > 0.0f ? (t - stops[i - 1].at) / span : 1.0f;
            return MixRgb(stops[i - 1].color, stops[i].color, k);
        }
    }
    return stops[count - 1].color;
}

namespace {

uint8_t ToByte(float v) {
    return uint8_t(std::lround(Clamp01(v) * 255.0f));
}

} // namespace

std::vector<uint8_t> ImageEncodeBmp(const Image& image) {
    const uint32_t rowBytes = uint32_t(image.width) * 3;
    const uint32_t stride = (rowBytes + 3) & ~3u;
    const uint32_t dataSize = stride * uint32_t(image.height);
    std::vector<uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, 54 + dataSize); // file size
    PutU32(out, 0);             // two reserved words
    PutU32(out, 54);            // pixel data offset
    PutU32(out, 40);            // info header size
    PutU32(out, uint32_t(image.width));
    PutU32(out, uint32_t(image.height)); // positive: bottom-up rows
    PutU16(out, 1);                      // planes
    PutU16(out, 24);                     // bits per pixel
    PutU32(out, 0);                      // uncompressed
    PutU32(out, dataSize);
    PutU32(out, 2835); // 72 dpi, both axes
    PutU32(out, 2835);
    PutU32(out, 0); // colours used
    PutU32(out, 0); // colours important
    for (int y = image.height - 1; y >= 0; --y) {
        const Rgb* row = &image.px[size_t(y) * size_t(image.width)];
        for (int x = 0; x < image.width; ++x) {
            out.push_back(ToByte(row[x].b));
            out.push_back(ToByte(row[x].g));
            out.push_back(ToByte(row[x].r));
        }
        for (uint32_t pad = rowBytes; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

Image ImageDownsample(const Image& image, int factor) {
    Image out = ImageMake(image.width / factor, image.height / factor);
    const float k = 1.0f / float(factor * factor);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            Rgb sum{0.0f, 0.0f, 0.0f};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i)
                    sum = AddRgb(sum, image.px[size_t(y * factor + j) * size_t(image.width) +
                                               size_t(x * factor + i)]);
            out.px[size_t(y) * size_t(out.width) + size_t(x)] = ScaleRgb(sum, k);
        }
    }
    return out;
}
