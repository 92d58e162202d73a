// Backdrop copy: the view key, the copy texture and its draw.
#include "render/backdrop.h"

#include "core/log.h"
#include "render/gl.h"
#include "render/scene.h"

#include <cstring>

int32_t backdropCopyDraws = 0;
bool backdropBlitAllowed = true;

namespace {

// Where the driver has framebuffer objects and their blit (glExt), the copy is put back with a
// framebuffer blit, which the driver does by its own copy path: under llvmpipe a quarter cheaper
// than the fixed-function textured quad of the GL 1.1 path, which stays for drivers without them.
constexpr GLenum GL_FRAMEBUFFER_EXT = 0x8D40;
constexpr GLenum GL_READ_FRAMEBUFFER_EXT = 0x8CA8;
constexpr GLenum GL_COLOR_ATTACHMENT0_EXT = 0x8CE0;
constexpr GLenum GL_FRAMEBUFFER_COMPLETE_EXT = 0x8CD5;
constexpr GLenum GL_SAMPLE_BUFFERS = 0x80A8;

bool blitLooked = false;    // the window was asked once whether it is multisampled
GLuint blitFramebuffer = 0; // holds the copy texture; 0 while the blit is not usable

void BackdropLookUpBlit() {
    blitLooked = true;
    if (!glExt.BlitFramebufferEXT) return;
    // A blit from a single-sampled copy into a multisampled window is an error in the extension.
    GLint sampleBuffers = 0;
    gl.GetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    if (sampleBuffers > 0) return;
    GLuint name = 0;
    glExt.GenFramebuffersEXT(1, &name);
    blitFramebuffer = name;
}

// Attaches the copy texture (again, after its storage changed) and keeps the blit only when the
// driver accepts the result as a framebuffer.
void BackdropAttach() {
    if (!blitFramebuffer || !glExt.BindFramebufferEXT) return;
    glExt.BindFramebufferEXT(GL_FRAMEBUFFER_EXT, blitFramebuffer);
    glExt.FramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D,
                                  BACKDROP_TEXTURE, 0);
    const bool complete =
        glExt.CheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    glExt.BindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (!complete) blitFramebuffer = 0;
}

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
    // All bits zero is 0.0f on every target, and no stale byte may reach the bytewise compare.
    // cppcheck-suppress memsetClassFloat
    std::memset(&key, 0, sizeof key);
    key.view = *view;
    key.cameraPitch = cameraPitch;
    key.cameraYaw = cameraYaw;
    key.cameraRoll = cameraRoll;
    key.fov = static_cast<float>(fieldOfView);
    key.aspect = static_cast<float>(aspectRatio);
    // The scene's record of the viewport: a query would be a round trip to the driver each frame.
    std::memcpy(key.viewport, sceneViewport, sizeof key.viewport);
    return key;
}

int32_t PowerOfTwoAtLeast(int32_t n) {
    int32_t p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// A view size the driver would not hold a copy for: refused again without asking it, until the
// view changes size.
int32_t refusedSize[2] = {0, 0};
bool freshTexture = false; // storage just made: the first copy into it is checked

bool BackdropRefuse(int32_t width, int32_t height) {
    refusedSize[0] = width;
    refusedSize[1] = height;
    textureSize[0] = textureSize[1] = 0;
    Log(LOG_ERROR, "BackdropKeep: no room for a %ldx%ld copy of the sky, drawing it every frame\n",
        static_cast<long>(width), static_cast<long>(height));
    return false;
}

// Errors left by earlier calls would be taken for this one's; a broken driver that never stops
// reporting is not waited for.
void BackdropClearErrors() {
    for (int i = 0; i < 8 && gl.GetError() != GL_NO_ERROR; ++i) {
    }
}

// A texture of at least width x height, made (or grown) only when the view outgrows it. At 4K the
// copy takes 64 MiB and at 8K 256 MiB: the driver is asked first and the storage checked after.
bool BackdropTextureFor(int32_t width, int32_t height) {
    if (width == refusedSize[0] && height == refusedSize[1]) return false;
    const int32_t w = PowerOfTwoAtLeast(width), h = PowerOfTwoAtLeast(height);
    gl.BindTexture(GL_TEXTURE_2D, BACKDROP_TEXTURE);
    if (w <= textureSize[0] && h <= textureSize[1]) return true;
    GLint largest = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (largest <= 0) { // no context answers (the no-op table): nothing to copy into, nor to say
        refusedSize[0] = width;
        refusedSize[1] = height;
        return false;
    }
    if (w > largest || h > largest) return BackdropRefuse(width, height);
    GLint proxyWidth = 0;
    gl.TexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    gl.GetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    if (proxyWidth == 0) return BackdropRefuse(width, height);
    BackdropClearErrors();
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (gl.GetError() != GL_NO_ERROR) return BackdropRefuse(width, height);
    textureSize[0] = w;
    textureSize[1] = h;
    freshTexture = true;
    BackdropAttach();
    return true;
}

} // namespace

bool BackdropDraw(const BackdropView* view) {
    if (!kept) return false;
    const BackdropKey key = BackdropKeyOf(view);
    // Bytewise on purpose: the same bits draw the same picture, and a -0 or NaN mismatch only
    // costs a fresh draw.
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    if (std::memcmp(&key, &keptKey, sizeof key) != 0) return false;
    ++backdropCopyDraws;
    const GLint* port = key.viewport;
    if (blitFramebuffer && backdropBlitAllowed && glExt.BlitFramebufferEXT) {
        glExt.BindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, blitFramebuffer);
        glExt.BlitFramebufferEXT(0, 0, port[2], port[3], port[0], port[1], port[0] + port[2],
                                 port[1] + port[3], GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glExt.BindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, 0);
        return true;
    }
    const float w = static_cast<float>(key.viewport[2]), h = static_cast<float>(key.viewport[3]);
    const float u = w / static_cast<float>(textureSize[0]);
    const float v = h / static_cast<float>(textureSize[1]);
    // Pixel for texel: an orthographic view of the viewport, no depth, no blending, nearest.
    gl.MatrixMode(GL_PROJECTION);
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
    SceneRestoreCamera();
    return true;
}

void BackdropKeep(const BackdropView* view) {
    const BackdropKey key = BackdropKeyOf(view);
    // A view seen once may be gone the next frame (a turning camera): copy only one that held.
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): bytewise, as in BackdropDraw
    const bool held = lastValid && std::memcmp(&key, &lastKey, sizeof key) == 0;
    lastKey = key;
    lastValid = true;
    if (!held) return;
    kept = false;
    if (!blitLooked) BackdropLookUpBlit();
    if (!BackdropTextureFor(key.viewport[2], key.viewport[3])) return;
    const GLint* port = key.viewport;
    gl.CopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, port[0], port[1], port[2], port[3]);
    if (freshTexture) {
        freshTexture = false;
        if (gl.GetError() != GL_NO_ERROR) {
            BackdropRefuse(port[2], port[3]);
            return;
        }
    }
    keptKey = key;
    kept = true;
}

void BackdropReset() {
    blitLooked = false;
    blitFramebuffer = 0;
    textureSize[0] = textureSize[1] = 0;
    kept = false;
    lastValid = false;
    refusedSize[0] = refusedSize[1] = 0;
}

bool BackdropBlits() {
    return blitFramebuffer != 0;
}
