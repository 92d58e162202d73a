// Bitmap reader: uncompressed 24-bit BMP files into RGBA texture records.
#pragma once

#include "render/texture.h"

constexpr int32_t BITMAP_MAX_SIDE = 4096; // larger images are rejected as malformed

// Loads one BMP into texture (fileName, pixels, height, width; glName and fontFilter are left
// alone). A missing, truncated or malformed file ends the program with exit status 1; a file whose
// info header is not the 40-byte kind leaves the record without pixels. Any pixels the record
// held before are released.
void BitmapLoadRGBA(Texture* texture, const char* fileName);
// Releases the record's pixels and clears its size (start-up reset and tests; the game keeps its
// images for the whole run).
void BitmapFree(Texture* texture);
