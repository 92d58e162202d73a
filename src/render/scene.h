// Scene frame: the fixed GL state, the viewport and perspective, the camera, and the order in
// which one frame is drawn.
#pragma once

#include "core/settings.h"
#include "core/window.h"
#include "foundation/vec.h"

#include <cstdint>

extern Vec3 cameraPos;           // start (0, 2, 4)
extern float cameraPitch;        // degrees; start -20
extern float cameraYaw;          // degrees; start 0
extern float cameraRoll;         // degrees; start 0
extern double fieldOfView;       // horizontal at 4:3, degrees (vantor.ini "fov")
extern float viewSize;           // fraction of the window the 3D view covers, 0.25..1
extern double aspectRatio;       // the window's width / height, kept by SetProjection
extern int32_t sceneViewport[4]; // x, y, width, height of the 3D view, kept by SetProjection
extern int32_t perspectiveHint;  // vantor.ini "pHint": non-zero asks for the fastest hint
extern int32_t finishFrame;      // vantor.ini "glFin": glFinish before each swap
// The 2-D pass's half-size in layout units. The 640 x 480 layout fills the largest centred 4:3
// area of the window; a wider window adds room at the sides, a taller one above and below.
struct OverlayExtent {
    double halfWidth;  // 320 or more
    double halfHeight; // 240 or more
};
extern OverlayExtent overlayExtent; // of the last SetProjection
extern int32_t niceFx;              // vantor.ini "nicefx": blending and the richer effects
extern int32_t starsEnabled;        // vantor.ini "stars": the star sky sphere
// The current screen's 2-D overlay (title, level banner or HUD), or none.
extern void (*drawHook)();

// The window's GL context and projection: the driver's window-system wrappers, GLStateInit, and
// SetProjection at the current view size. The frame loop installs it (WindowSetGL) before the
// window is created.
extern const WindowGL sceneWindowGL;

// The draw passes of the modules above the renderer, each installed by its owner's start-up (null:
// the pass draws nothing). A frame runs them in this order: things, after the camera and before
// the particles; then in the 2-D pass, after the screen's overlay, the pause banner, the GUI
// layers and the short notes on top.
void SceneSetThingPass(void (*pass)());
void SceneSetPausePass(void (*pass)());
void SceneSetGuiPass(void (*pass)());
void SceneSetNotesPass(void (*pass)());

// vantor.ini fov, pHint, glFin, stars and nicefx.
extern const SettingTable sceneSettings;
// Client start-up, after the settings: the perspective hint and projection, the camera at its start
// pose, the view-size commands' action. Running it again (tests) restores the start state.
void SceneInit();
// The timing test's verdicts switch the costly effects off.
void SceneSetNiceFx(int32_t fx);
void SceneSetStars(int32_t stars);
// Sets the fraction of the window the 3-D view covers and applies it.
void SceneSetViewSize(float size);
// The view-size commands' action: steps viewSize, holds it within [0.5, 1.0] and applies it, also
// when the clamp left it as it was. SceneInit installs it (CommandSetViewSizeAction).
void SceneStepViewSize(float step);
// The field of view across a 4:3 screen, in degrees; the projection follows at once.
void SceneSetFieldOfView(double fov);
// The 2-D overlay drawn over the world each frame (null: none).
void SceneSetOverlay(void (*overlay)());
// The camera pose the chase camera or a returning ship chooses.
void SceneSetCamera(const Vec3* pos, float yaw);
void SceneSetCameraYaw(float yaw);

// The fixed GL state every draw pass relies on, then the projection; once, when the context is
// first current.
void GLStateInit(int32_t width, int32_t height);
// Viewport (a centred part of the window when scale < 1; scale is clamped to 0.25..1) and the
// perspective, near 0.7, far 250: the vertical field of view is the one fieldOfView gives at 4:3,
// so a wider window sees more at the sides and a taller one more above and below. Also sets
// overlayExtent. Leaves the model-view matrix selected.
void SetProjection(int32_t width, int32_t height, float scale);
// The 2-D pass's extent for a window of width x height pixels (sizes below 1 count as 1).
OverlayExtent SceneOverlayExtent(int32_t width, int32_t height);
// Where a world point appears in the 2-D pass's space (origin at the centre, y up) through the
// camera and the projection of the last SetProjection; false for a point behind the eye.
bool SceneProjectToOverlay(const Vec3* world, float* x, float* y);
// The horizontal field of view in degrees for the window shape of the last SetProjection
// (fieldOfView itself on a 4:3 window); the thing draw pass culls against it.
double SceneHorizontalFov();
// Inside the 3D part, after a pass loaded a matrix of its own into the projection: the camera's
// projection back, without a deeper stack. Leaves the model-view matrix selected.
void SceneRestoreCamera();
// One frame: clear, camera, the 3D passes, the 2-D pass in a fixed 640 x 480 space, swap.
void ClientRender();

// Tests only (ClientRender draws the world through SceneDrawWorld itself):
// The settings and camera of a fresh program, no overlay, the full view.
void SceneReset();
// The 3D part of a frame: the camera into the projection matrix, then things and particles. Leaves
// both matrix stacks pushed once; ClientRender pops them after the 2-D pass.
void SceneDrawWorld();
