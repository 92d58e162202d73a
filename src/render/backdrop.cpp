// Backdrop copy: the view key, the copy texture and its draw.
#include "render/backdrop.h"

#include "render/gl.h"
#include "render/scene.h"

#include <cstring>

int32_t backdropCopyDraws = 0;

namespace {

// The whole view the copy was taken of. Compared bytewise, so it holds no padding.
struct BackdropKey {
    BackdropView view;
    float cameraPitch, cameraYaw, cameraRoll;
    float fov, aspect;
    int32_t viewport[4];
};
static_assert(sizeof(BackdropKey) ==
              sizeof(BackdropView) + 5 * sizeof(float) + 4 * sizeof(int32_t));

BackdropKey keptKey; // the view in the copy
BackdropKey lastKey; // the view of the last fresh draw
bool kept = false;
bool lastValid = false;
int32_t textureSize[2] = {0, 0}; // the copy texture's size; powers of two, as GL 1.1 asks

BackdropKey BackdropKeyOf(const BackdropView* view) {
    BackdropKey key;
    std::memset(&key, 0, sizeof key);
    key.view = *view;
    key.cameraPitch = cameraPitch;
    key.cameraYaw = cameraYaw;
    key.cameraRoll = cameraRoll;
    key.fov = static_cast<float>(fieldOfView);
    key.aspect = static_cast<float>(aspectRatio);
    gl.GetIntegerv(GL_VIEWPORT, key.viewport);
    return key;
}

int32_t PowerOfTwoAtLeast(int32_t n) {
    int32_t p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// A texture of at least width x height, made (or grown) only when the view outgrows it.
bool BackdropTextureFor(int32_t width, int32_t height) {
    const int32_t w = PowerOfTwoAtLeast(width), h = PowerOfTwoAtLeast(height);
    gl.BindTexture(GL_TEXTURE_2D, BACKDROP_TEXTURE);
    if (w <= textureSize[0] && h <= textureSize[1]) return true;
    GLint largest = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (w > largest || h > largest) return false;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    textureSize[0] = w;
    textureSize[1] = h;
    return true;
}

} // namespace

bool BackdropDraw(const BackdropView* view) {
    if (!kept) return false;
    const BackdropKey key = BackdropKeyOf(view);
    if (std::memcmp(&key, &keptKey, sizeof key) != 0) return false;
    const float w = static_cast<float>(key.viewport[2]), h = static_cast<float>(key.viewport[3]);
    const float u = w / static_cast<float>(textureSize[0]);
    const float v = h / static_cast<float>(textureSize[1]);
    // Pixel for texel: an orthographic view of the viewport, no depth, no blending, nearest.
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.LoadIdentity();
    gl.Ortho(0.0, key.viewport[2], 0.0, key.viewport[3], -1.0, 1.0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_BLEND);
    gl.Disable(GL_CULL_FACE);
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, BACKDROP_TEXTURE);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLfloat(GL_REPLACE));
    gl.Begin(GL_TRIANGLE_STRIP);
    gl.TexCoord2f(0.0f, 0.0f);
    gl.Vertex2f(0.0f, 0.0f);
    gl.TexCoord2f(u, 0.0f);
    gl.Vertex2f(w, 0.0f);
    gl.TexCoord2f(0.0f, v);
    gl.Vertex2f(0.0f, h);
    gl.TexCoord2f(u, v);
    gl.Vertex2f(w, h);
    gl.End();
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLfloat(GL_MODULATE));
    gl.Disable(GL_TEXTURE_2D);
    gl.Enable(GL_CULL_FACE);
    gl.Enable(GL_DEPTH_TEST);
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    ++backdropCopyDraws;
    return true;
}

void BackdropKeep(const BackdropView* view) {
    const BackdropKey key = BackdropKeyOf(view);
    // A view seen once may be gone the next frame (a turning camera): copy only one that held.
    const bool held = lastValid && std::memcmp(&key, &lastKey, sizeof key) == 0;
    lastKey = key;
    lastValid = true;
    if (!held) return;
    kept = false;
    if (!BackdropTextureFor(key.viewport[2], key.viewport[3])) return;
    gl.CopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, key.viewport[0], key.viewport[1], key.viewport[2],
                         key.viewport[3]);
    keptKey = key;
    kept = true;
}

void BackdropReset() {
    kept = false;
    lastValid = false;
    textureSize[0] = textureSize[1] = 0;
}
