// Backdrop: a full-view background (the star sky) kept as a copy of its own pixels while the view
// that shapes it holds still, and drawn from that copy. A software rasteriser fills a 1:1 nearest
// copy for about half of what the perspective-textured sphere costs it.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

// Everything besides the projection and viewport that shapes a background's pixels. The module
// adds the camera angles, field of view, aspect and viewport itself.
struct BackdropView {
    Vec3 offset;            // the background's position less the camera's
    float pitch, yaw, roll; // the background's own turn, degrees
    float scale;
    uint32_t texture; // GL name of its image
};

// Frames whose background came from the copy (a check that the copy is in use).
extern int32_t backdropCopyDraws;
// False: the copy is always drawn as a textured quad, never blitted (tests of the GL 1.1 path).
extern bool backdropBlitAllowed;

// GL texture name of the copy; the program's textures use 1 to 24, the timing test 999.
constexpr unsigned BACKDROP_TEXTURE = 998;

// Draws the kept copy when it was taken of this view (and returns true); else draws nothing.
bool BackdropDraw(const BackdropView* view);
// After the background was drawn afresh: when the same view was drawn the frame before too, copies
// the viewport into the backdrop texture so the next frames of that view come from it.
void BackdropKeep(const BackdropView* view);

// Tests only:
// Forgets the copy: the next frames draw the background afresh.
void BackdropReset();
// Whether the copy is put back by a framebuffer blit (else by a textured quad).
bool BackdropBlits();
