// Camera and frame state.
#include "render/scene.h"

#include "console/command.h"
#include "core/window.h"
#include "render/gl.h"
#include "render/particle.h"
#include "render/screenshot.h"

#include <cmath>

Vec3 cameraPos = {0.0f, 2.0f, 4.0f};
float cameraPitch = -20.0f;
float cameraYaw = 0.0f;
float cameraRoll = 0.0f;
double fieldOfView = 90.0;
float viewSize = 1.0f;
double aspectRatio = 640.0 / 480.0;
int32_t sceneViewport[4] = {0, 0, 640, 480};
int32_t perspectiveHint = 0;
int32_t finishFrame = 1;
int32_t niceFx = 1;
int32_t starsEnabled = 1;
void (*drawHook)() = nullptr;
OverlayExtent overlayExtent = {320.0, 240.0};

namespace {

const Setting SCENE_SETTING_ROWS[] = {
    {"fov", SETTING_FLOAT, 90.0, nullptr, 1.0, 179.0, SETTING_PLAY | SETTING_PLAYER,
     [] { return fieldOfView; }, [](double v) { SceneSetFieldOfView(static_cast<float>(v)); }},
    {"pHint", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(perspectiveHint); },
     [](double v) { perspectiveHint = int32_t(v); }},
    {"glFin", SETTING_INT, 1, nullptr, 0, 1, 0, [] { return double(finishFrame); },
     [](double v) { finishFrame = int32_t(v); }},
    {"stars", SETTING_INT, 1, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(starsEnabled); }, [](double v) { SceneSetStars(int32_t(v)); }},
    {"nicefx", SETTING_INT, 1, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY | SETTING_PLAYER,
     [] { return double(niceFx); }, [](double v) { SceneSetNiceFx(int32_t(v)); }},
};

} // namespace

const SettingTable sceneSettings = SettingTableOf("scene", SCENE_SETTING_ROWS);

namespace {

constexpr double NEAR_PLANE = 0.7;
constexpr double FAR_PLANE = 250.0;
constexpr float MIN_VIEW_SCALE = 0.25f;
// The shape the field of view and the 2-D layout are made for.
constexpr double BASE_ASPECT = 4.0 / 3.0;
constexpr int64_t LAYOUT_WIDTH = 640;
constexpr int64_t LAYOUT_HEIGHT = 480;

constexpr Vec3 CAMERA_START_POS = {0.0f, 2.0f, 4.0f};
constexpr float CAMERA_START_PITCH = -20.0f;

constexpr float VIEW_SIZE_MIN = 0.5f;
constexpr float VIEW_SIZE_MAX = 1.0f;

// The passes of the game and the GUI, which sit above the renderer.
void (*thingPass)() = nullptr;
void (*pausePass)() = nullptr;
void (*guiPass)() = nullptr;
void (*notesPass)() = nullptr;

// The camera at its start pose and no overlay yet.
void ScenePlaceCamera() {
    cameraPos = CAMERA_START_POS;
    cameraYaw = 0.0f;
    cameraRoll = 0.0f;
    cameraPitch = CAMERA_START_PITCH;
    drawHook = nullptr;
}

} // namespace

OverlayExtent SceneOverlayExtent(int32_t width, int32_t height) {
    const int64_t w = width < 1 ? 1 : width;
    const int64_t h = height < 1 ? 1 : height;
    // Integer comparison and one division, so a 4:3 window gives exactly 320 x 240.
    // NOLINTBEGIN(bugprone-integer-division): the halves are whole on purpose
    if (w * LAYOUT_HEIGHT >= h * LAYOUT_WIDTH)
        return {static_cast<double>(w * LAYOUT_HEIGHT / 2) / static_cast<double>(h),
                static_cast<double>(LAYOUT_HEIGHT / 2)};
    return {static_cast<double>(LAYOUT_WIDTH / 2),
            static_cast<double>(h * LAYOUT_WIDTH / 2) / static_cast<double>(w)};
    // NOLINTEND(bugprone-integer-division)
}

double SceneHorizontalFov() {
    const double factor = aspectRatio / BASE_ASPECT;
    if (factor == 1.0 || !(fieldOfView > 0.0 && fieldOfView < 180.0)) return fieldOfView;
    return std::atan(std::tan(fieldOfView * M_PI / 360.0) * factor) * 360.0 / M_PI;
}

void SceneReset() {
    fieldOfView = SettingRow(sceneSettings, "fov").defaultValue;
    perspectiveHint = SettingDefaultInt(sceneSettings, "pHint");
    finishFrame = SettingDefaultInt(sceneSettings, "glFin");
    starsEnabled = SettingDefaultInt(sceneSettings, "stars");
    niceFx = SettingDefaultInt(sceneSettings, "nicefx");
    viewSize = 1.0f;
    ScenePlaceCamera();
}

void SceneInit() {
    // The window's creation set the start values (nicest hint, 90 degrees); the settings hold
    // from the first frame.
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, perspectiveHint ? GL_FASTEST : GL_NICEST);
    SetProjection(screenWidth, screenHeight, viewSize);
    ScenePlaceCamera();
    CommandSetViewSizeAction(SceneStepViewSize);
}

void SceneSetNiceFx(int32_t fx) {
    niceFx = fx;
}

void SceneSetStars(int32_t stars) {
    starsEnabled = stars;
}

void SceneSetViewSize(float size) {
    viewSize = size;
    SetProjection(screenWidth, screenHeight, viewSize);
}

void SceneStepViewSize(float step) {
    // Single precision, so that ten steps down from 1.0 land just below 0.5 and are clamped to
    // exactly 0.5.
    float size = viewSize + step;
    if (size < VIEW_SIZE_MIN)
        size = VIEW_SIZE_MIN;
    else if (size >= VIEW_SIZE_MAX)
        size = VIEW_SIZE_MAX;
    SceneSetViewSize(size);
}

void SceneSetOverlay(void (*overlay)()) {
    drawHook = overlay;
}

void SceneSetThingPass(void (*pass)()) {
    thingPass = pass;
}

void SceneSetPausePass(void (*pass)()) {
    pausePass = pass;
}

void SceneSetGuiPass(void (*pass)()) {
    guiPass = pass;
}

void SceneSetNotesPass(void (*pass)()) {
    notesPass = pass;
}

void SceneSetCamera(const Vec3* pos, float yaw) {
    cameraPos = *pos;
    cameraYaw = yaw;
}

void SceneSetCameraYaw(float yaw) {
    cameraYaw = yaw;
}

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

namespace {

void SceneApplyCamera() {
    gl.Rotatef(-cameraPitch, 1.0f, 0.0f, 0.0f);
    gl.Rotatef(-cameraYaw, 0.0f, 1.0f, 0.0f);
    gl.Rotatef(-cameraRoll, 0.0f, 0.0f, 1.0f);
    gl.Translatef(-cameraPos.x, -cameraPos.y, -cameraPos.z);
}

} // namespace

void SceneRestoreCamera() {
    // GL 1.1 promises a projection stack of two: the perspective below, the camera on top. A pass
    // that loaded its own matrix over the camera rebuilds it from the perspective instead of
    // pushing a third level.
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.PushMatrix();
    SceneApplyCamera();
    gl.MatrixMode(GL_MODELVIEW);
}

void SetProjection(int32_t width, int32_t height, float scale) {
    if (scale < MIN_VIEW_SCALE) scale = MIN_VIEW_SCALE;
    if (scale > 1.0f) scale = 1.0f;
    // A minimised or zero-sized window has no aspect of its own: the last one is kept.
    if (width >= 1 && height >= 1) {
        aspectRatio = static_cast<double>(width) / static_cast<double>(height);
        overlayExtent = SceneOverlayExtent(width, height);
    }
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    const int32_t insetX = static_cast<int32_t>(width - width * scale);
    const int32_t insetY = static_cast<int32_t>(height - height * scale);
    sceneViewport[0] = insetX / 2;
    sceneViewport[1] = insetY / 2;
    sceneViewport[2] = width - insetX;
    sceneViewport[3] = height - insetY;
    gl.Viewport(sceneViewport[0], sceneViewport[1], sceneViewport[2], sceneViewport[3]);

    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    // fov spans the width of a 4:3 view; the height it gives there holds for every shape.
    const double t = NEAR_PLANE * std::tan(fieldOfView * M_PI / 360.0);
    // Width over the 4:3 width for the same height: exactly 1 on any 4:3 window, which so keeps
    // the frustum it always had.
    const double factor = aspectRatio / BASE_ASPECT;
    const double right = t * factor;
    const double top = t / BASE_ASPECT;
    gl.Frustum(-right, right, -top, top, NEAR_PLANE, FAR_PLANE);
    gl.MatrixMode(GL_MODELVIEW);
}

void SceneDrawWorld() {
    // The camera lives in the projection matrix, so the model-view matrix is free for placing
    // objects; the perspective of SetProjection stays underneath.
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    SceneApplyCamera();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();

    // The 3D passes: things (opaque, then translucent far to near), then particles.
    if (thingPass) thingPass();
    ParticleDraw();
}

void ClientRender() {
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SceneDrawWorld();

    // The 2-D pass: the 640 x 480 layout, origin at the centre, y up, scaled uniformly into the
    // window; a window that is not 4:3 shows more of the space around the layout.
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Ortho(-overlayExtent.halfWidth, overlayExtent.halfWidth, -overlayExtent.halfHeight,
             overlayExtent.halfHeight, -1.0, 250.0);
    if (drawHook) drawHook();
    if (pausePass) pausePass();
    if (guiPass) guiPass(); // the GUI layers, above the screen's overlay
    if (notesPass) notesPass();

    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopMatrix();
    if (finishFrame) gl.Finish();
    ScreenshotCapture(); // the frame just drawn, before the swap leaves its buffer undefined
    OpenGLSwapBuffers(mainWindow);
}

bool SceneProjectToOverlay(const Vec3* world, float* x, float* y) {
    // Into the eye's frame as SceneApplyCamera turns the world: roll, then yaw, then pitch.
    double px = world->x - cameraPos.x, py = world->y - cameraPos.y, pz = world->z - cameraPos.z;
    const double roll = -cameraRoll * M_PI / 180.0, yaw = -cameraYaw * M_PI / 180.0,
                 pitch = -cameraPitch * M_PI / 180.0;
    double t = px * std::cos(roll) - py * std::sin(roll);
    py = px * std::sin(roll) + py * std::cos(roll);
    px = t;
    t = px * std::cos(yaw) + pz * std::sin(yaw);
    pz = -px * std::sin(yaw) + pz * std::cos(yaw);
    px = t;
    t = py * std::cos(pitch) - pz * std::sin(pitch);
    pz = py * std::sin(pitch) + pz * std::cos(pitch);
    py = t;
    if (-pz < NEAR_PLANE) return false; // behind the eye or nearer than anything drawn
    // The frustum of SetProjection: its sides are the 2-D pass's extent.
    const double slope = std::tan(fieldOfView * M_PI / 360.0) / BASE_ASPECT; // top / near
    *x = static_cast<float>(px / -pz / (slope * aspectRatio) * overlayExtent.halfWidth);
    *y = static_cast<float>(py / -pz / slope * overlayExtent.halfHeight);
    return true;
}

void SceneSetFieldOfView(double fov) {
    fieldOfView = fov;
    SetProjection(screenWidth, screenHeight, viewSize);
}

const WindowGL sceneWindowGL = {
    OpenGLChoosePixelFormat,
    OpenGLCreateContext,
    OpenGLDeleteContext,
    OpenGLMakeCurrent,
    OpenGLSetSwapInterval,
    OpenGLInstallNoop,
    GLStateInit,
    [](int32_t width, int32_t height) { SetProjection(width, height, viewSize); },
};
