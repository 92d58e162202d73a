// Camera and frame state.
#include "render/scene.h"

#include "core/window.h"
#include "game/thing.h"
#include "render/gl.h"
#include "ui/gui.h"
#include "render/particle.h"

#include <cmath>

Vec3 cameraPos = {0.0f, 2.0f, 4.0f};
float cameraPitch = -20.0f;
float cameraYaw = 0.0f;
float cameraRoll = 0.0f;
int32_t cameraMode = 0;
double fieldOfView = 90.0;
float viewSize = 1.0f;
double aspectRatio = 640.0 / 480.0;
int32_t perspectiveHint = 0;
int32_t finishFrame = 1;
void (*drawHook)() = nullptr;

namespace {

constexpr double NEAR_PLANE = 0.7;
constexpr double FAR_PLANE = 250.0;
constexpr float MIN_VIEW_SCALE = 0.25f;

} // namespace

void GLStateInit(int32_t width, int32_t height) {
    gl.ClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    gl.ClearDepth(1.0);
    gl.DepthFunc(GL_LEQUAL);
    gl.ShadeModel(GL_SMOOTH);
    gl.FrontFace(GL_CCW);
    // Blending and the alpha test stay off until a draw pass enables them.
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.AlphaFunc(GL_GEQUAL, 0.07f);
    gl.Enable(GL_DEPTH_TEST);
    gl.Disable(GL_TEXTURE_2D);
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, perspectiveHint ? GL_FASTEST : GL_NICEST);
    SetProjection(width, height, viewSize);
    gl.MatrixMode(GL_MODELVIEW);
}

void SetProjection(int32_t width, int32_t height, float scale) {
    if (scale < MIN_VIEW_SCALE) scale = MIN_VIEW_SCALE;
    if (scale > 1.0f) scale = 1.0f;
    // A minimised or zero-sized window has no aspect of its own: the last one is kept.
    if (width >= 1 && height >= 1)
        aspectRatio = static_cast<double>(width) / static_cast<double>(height);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const int32_t insetX = static_cast<int32_t>(width - width * scale);
    const int32_t insetY = static_cast<int32_t>(height - height * scale);
    gl.Viewport(insetX / 2, insetY / 2, width - insetX, height - insetY);

    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    const double t = NEAR_PLANE * std::tan(fieldOfView * M_PI / 360.0);
    gl.Frustum(-t, t, -t / aspectRatio, t / aspectRatio, NEAR_PLANE, FAR_PLANE);
    gl.MatrixMode(GL_MODELVIEW);
}

void SceneDrawWorld() {
    // The camera lives in the projection matrix, so the model-view matrix is free for placing
    // objects; the perspective of SetProjection stays underneath.
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.Rotatef(-cameraPitch, 1.0f, 0.0f, 0.0f);
    gl.Rotatef(-cameraYaw, 0.0f, 1.0f, 0.0f);
    gl.Rotatef(-cameraRoll, 0.0f, 0.0f, 1.0f);
    gl.Translatef(-cameraPos.x, -cameraPos.y, -cameraPos.z);
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();

    // The 3D passes: things (opaque, then translucent far to near), then particles.
    ThingDrawAll();
    ParticleDraw();
}

void ClientRender() {
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SceneDrawWorld();

    // The 2-D pass: a fixed 640 x 480 space, origin at the centre, y up, at any window size.
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(-320.0, 320.0, -240.0, 240.0, -1.0, 250.0);
    if (drawHook) drawHook();
    GuiDraw(); // the GUI layers, above the screen's overlay

    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopMatrix();
    if (finishFrame) gl.Finish();
    OpenGLSwapBuffers(mainWindow);
}
