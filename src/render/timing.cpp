// Renderer timing test.
#include "render/timing.h"

#include "core/clock.h"
#include "core/log.h"
#include "core/window.h"
#include "render/gl.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/texture.h"

#include <cstdio>

float timingResults[TIMING_COUNT] = {};
int32_t timingTestApply = 0;
int32_t timingTestVisible = 0;

namespace {

constexpr float SLOW_FILL_MS = 20.0f;
constexpr float SLOW_STARS_MS = 10.0f;
constexpr int QUAD_COPIES = 5;
constexpr float QUAD_Z = -10.0f;
constexpr float FRAME_Z = -11.0f;
constexpr float STACK_STEP[3] = {0.3f, 0.3f, 0.03f};

constexpr GLubyte G[4] = {64, 255, 0, 255};
constexpr GLubyte B[4] = {64, 64, 255, 255};
// The 4 x 4 test image, first row first.
constexpr const GLubyte* TEXELS[16] = {G, G, B, G, G, B, G, G, B, G, B, B, G, B, G, G};

struct Corner {
    float x, y;
    float r, g, b;
};
constexpr Corner QUAD[4] = {
    {1.0f, -1.0f, 1.0f, 0.0f, 1.0f},
    {1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
    {-1.0f, 1.0f, 0.0f, 1.0f, 1.0f},
    {-1.0f, -1.0f, 0.0f, 0.0f, 1.0f},
};
constexpr Corner FRAME_QUAD[4] = {
    {1.0f, -1.0f, 0.1f, 0.0f, 0.1f},
    {1.0f, 1.0f, 0.1f, 0.1f, 0.1f},
    {-1.0f, 1.0f, 0.0f, 0.1f, 0.1f},
    {-1.0f, -1.0f, 0.0f, 0.0f, 0.1f},
};
struct TexCorner {
    float x, y, s, t;
};
constexpr TexCorner TEXTURED_QUAD[4] = {
    {-1.0f, -1.0f, 0.0f, 0.0f},
    {-1.0f, 1.0f, 0.0f, 1.0f},
    {1.0f, 1.0f, 1.0f, 1.0f},
    {1.0f, -1.0f, 1.0f, 0.0f},
};

constexpr const char* TIMING_NAMES[TIMING_COUNT] = {
    "Color Buffer Clear",        "Z Buffer Clear",           "Gouraud Fill Test",
    "Z-Buffered Fill Test",      "Alpha Blending Fill Test", "Linear Texture Fill Test",
    "Nearest Texture Fill Test",
};

void TimingShow() {
    if (timingTestVisible) OpenGLSwapBuffers(mainWindow);
}

// Ends a measurement: the driver's queued work belongs inside the timing.
void TimingEnd(TimingId id) {
    gl.Finish();
    timingResults[id] = ClockDeltaMs(nullptr);
    TimingShow();
}

// Five overlapping quads in a diagonal stack; alpha < 0 draws opaque colours.
void TimingQuads(float alpha) {
    for (int n = 0; n < QUAD_COPIES; ++n) {
        gl.Begin(GL_QUADS);
        for (const Corner& c : QUAD) {
            if (alpha < 0.0f)
                gl.Color3f(c.r, c.g, c.b);
            else
                gl.Color4f(c.r, c.g, c.b, alpha);
            gl.Vertex3f(c.x, c.y, QUAD_Z);
        }
        gl.End();
        gl.Translatef(STACK_STEP[0], STACK_STEP[1], STACK_STEP[2]);
    }
}

void TimingTexturedQuads() {
    for (int n = 0; n < QUAD_COPIES; ++n) {
        gl.Begin(GL_QUADS);
        for (const TexCorner& c : TEXTURED_QUAD) {
            gl.TexCoord2f(c.s, c.t);
            gl.Vertex3f(c.x, c.y, QUAD_Z);
        }
        gl.End();
        gl.Translatef(STACK_STEP[0], STACK_STEP[1], STACK_STEP[2]);
    }
}

void TimingTexturedFill(TimingId id) {
    ClockDeltaMs(nullptr);
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, TIMING_TEXTURE);
    TimingTexturedQuads();
    gl.Disable(GL_TEXTURE_2D);
    TimingEnd(id);
}

} // namespace

void TimingTestFrame() {
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Scalef(3.0f, 3.0f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.Disable(GL_DEPTH_TEST);
    gl.Begin(GL_QUADS);
    for (const Corner& c : FRAME_QUAD) {
        gl.Color3f(c.r, c.g, c.b);
        gl.Vertex3f(c.x, c.y, FRAME_Z);
    }
    gl.End();
    gl.Enable(GL_DEPTH_TEST);
    gl.Finish();
    TimingShow();
}

void TimingTest() {
    ClockDeltaMs(nullptr);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    TimingEnd(TIMING_COLOR_CLEAR);

    ClockDeltaMs(nullptr);
    gl.Clear(GL_DEPTH_BUFFER_BIT);
    TimingEnd(TIMING_DEPTH_CLEAR);

    TimingTestFrame();
    ClockDeltaMs(nullptr);
    gl.Disable(GL_DEPTH_TEST);
    TimingQuads(-1.0f);
    gl.Enable(GL_DEPTH_TEST);
    TimingEnd(TIMING_GOURAUD_FILL);

    TimingTestFrame();
    ClockDeltaMs(nullptr);
    TimingQuads(-1.0f);
    TimingEnd(TIMING_DEPTH_FILL);

    TimingTestFrame();
    ClockDeltaMs(nullptr);
    gl.Enable(GL_BLEND);
    TimingQuads(0.5f);
    gl.Disable(GL_BLEND);
    TimingEnd(TIMING_BLEND_FILL);

    GLubyte image[16 * 4];
    for (int i = 0; i < 16; ++i)
        for (int k = 0; k < 4; ++k)
            image[i * 4 + k] = TEXELS[i][k];
    TimingTestFrame();
    gl.BindTexture(GL_TEXTURE_2D, TIMING_TEXTURE);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    gl.TexImage2D(GL_TEXTURE_2D, 0, 4, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
    TimingTexturedFill(TIMING_LINEAR_TEXTURE_FILL);

    TimingTestFrame();
    gl.BindTexture(GL_TEXTURE_2D, TIMING_TEXTURE);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    TimingTexturedFill(TIMING_NEAREST_TEXTURE_FILL);

    Log(LOG_BOOT, "Timing info:\n");
    for (int i = 0; i < TIMING_COUNT; ++i) {
        char line[96];
        std::snprintf(line, sizeof(line), "%4.2fms %s\n", static_cast<double>(timingResults[i]),
                      TIMING_NAMES[i]);
        Log(LOG_BOOT, "%s", line);
    }

    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
}

TimingVerdicts TimingTestVerdicts() {
    TimingVerdicts v;
    v.nearestTextures = timingResults[TIMING_LINEAR_TEXTURE_FILL] > SLOW_FILL_MS;
    v.noNiceFx = timingResults[TIMING_BLEND_FILL] > SLOW_FILL_MS;
    v.noStars = timingResults[TIMING_NEAREST_TEXTURE_FILL] > SLOW_STARS_MS;
    v.noParticleTexture = timingResults[TIMING_BLEND_FILL] > SLOW_FILL_MS ||
                          timingResults[TIMING_NEAREST_TEXTURE_FILL] > SLOW_FILL_MS;
    return v;
}

void TimingTestApply() {
    const TimingVerdicts v = TimingTestVerdicts();
    // The fonts stay nearest-filtered only at 640 x 480, where their texels meet the pixels.
    if (v.nearestTextures)
        TextureSetFilters(0, (screenWidth == 640 && screenHeight == 480) ? 0 : 1);
    if (v.noNiceFx) SceneSetNiceFx(0);
    if (v.noStars) SceneSetStars(0);
    if (v.noParticleTexture) ParticleSetTextured(0);
}

namespace {

const Setting TIMING_SETTING_ROWS[] = {
    {"test", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(timingTestApply); },
     [](double v) { timingTestApply = int32_t(v); }},
    {"vtest", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(timingTestVisible); },
     [](double v) { timingTestVisible = int32_t(v); }},
};

} // namespace

const SettingTable timingSettings = SettingTableOf("timing", TIMING_SETTING_ROWS);
