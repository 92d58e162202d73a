// Shape helpers for the hand-drawn textures: signed distances, bevel lighting and supersampling.
#pragma once

#include "image.h"

#include <functional>

// Signed distance to a box centred at (cx, cy) with half sizes hw, hh and corner radius r
// (negative inside).
float DrawSdRoundBox(float x, float y, float cx, float cy, float hw, float hh, float r);
// Distance to the segment from (ax, ay) to (bx, by).
float DrawSdSegment(float x, float y, float ax, float ay, float bx, float by);

// Light falling on a bevelled edge `width` wide at signed distance d inside a shape whose
// distance field grows along (gx, gy): about 1 on flat ground, brighter on edges facing the
// upper left, darker on those facing the lower right.
float DrawBevelShade(float d, float gx, float gy, float width);

// Renders a w x h image by averaging ss x ss samples per pixel of `shader`, which is given
// continuous pixel coordinates (x to the right, y downward, pixel centres at .5).
Image DrawSupersampled(int w, int h, int ss, const std::function<Rgb(float, float)>& shader);
