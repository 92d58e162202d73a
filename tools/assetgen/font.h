// FreeType rendering for the font atlases and the title lettering.
#pragma once

#include <vector>

// A coverage mask, 0..1 per pixel, top row first.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> a;
};

// The first existing file of a list of DejaVu faces, or null: bold first when `bold`.
const char* FontFindFace(bool mono, bool bold);

// Renders `text` in one line at `pixelSize`, cropped to its ink plus `margin` pixels on every
// side. False when the face cannot be loaded.
bool FontRenderText(const char* facePath, int pixelSize, const char* text, int margin, Mask& out);
