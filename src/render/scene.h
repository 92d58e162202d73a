// Scene frame: the fixed GL state, the viewport and perspective, the camera, and the order in
// which one frame is drawn.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

extern Vec3 cameraPos;          // start (0, 2, 4)
extern float cameraPitch;       // degrees; start -20
extern float cameraYaw;         // degrees; start 0
extern float cameraRoll;        // degrees; start 0
extern int32_t cameraMode;      // vantor.ini "camera", also the console variable "camera"
extern double fieldOfView;      // horizontal, degrees (vantor.ini "fov")
extern float viewSize;          // fraction of the window the 3D view covers, 0.25..1
extern double aspectRatio;      // the window's width / height, kept by SetProjection
extern int32_t perspectiveHint; // vantor.ini "pHint": non-zero asks for the fastest hint
extern int32_t finishFrame;     // vantor.ini "glFin": glFinish before each swap
// The current screen's 2-D overlay (title, level banner or HUD), or none.
extern void (*drawHook)();

// The fixed GL state every draw pass relies on, then the projection; once, when the context is
// first current.
void GLStateInit(int32_t width, int32_t height);
// Viewport (a centred part of the window when scale < 1; scale is clamped to 0.25..1) and the
// perspective from fieldOfView, near 0.7, far 250. Leaves the model-view matrix selected.
void SetProjection(int32_t width, int32_t height, float scale);
// The 3D part of a frame: the camera into the projection matrix, then things and particles. Leaves
// both matrix stacks pushed once; ClientRender pops them after the 2-D pass.
void SceneDrawWorld();
// One frame: clear, camera, the 3D passes, the 2-D pass in a fixed 640 x 480 space, swap.
void ClientRender();
