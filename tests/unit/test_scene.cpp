// Scene frame: the projection arithmetic, the fixed GL state and the order of one frame, checked
// against the recording GL table.
#include "render/scene.h"
#include "gl_recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

const GLRecordedCall& Call(const char* name, int from = 0) {
    static GLRecordedCall none = {"", 0, {}};
    int i = GLRecorderFind(name, from);
    return i < 0 ? none : GLRecorderCalls()[i];
}

struct SceneState {
    double fov = fieldOfView;
    float size = viewSize;
    int32_t hint = perspectiveHint;
    int32_t finish = finishFrame;
    void (*hook)() = drawHook;
    Vec3 pos = cameraPos;
    float pitch = cameraPitch, yaw = cameraYaw, roll = cameraRoll;
    ~SceneState() {
        fieldOfView = fov;
        viewSize = size;
        perspectiveHint = hint;
        finishFrame = finish;
        drawHook = hook;
        cameraPos = pos;
        cameraPitch = pitch;
        cameraYaw = yaw;
        cameraRoll = roll;
        // Back to the 4:3 shape the other tests draw in (overlay extent, culling width).
        GLRecorderScope quiet;
        SetProjection(640, 480, 1.0f);
    }
};

TEST(SetProjection, ViewportAndFrustumFromWindowAndViewSize) {
    struct Case {
        int32_t w, h;
        float scale;
        double viewport[4];
    };
    // A smaller view is centred (the inset truncated) and keeps the window's aspect; the scale is
    // kept within a quarter and the whole window.
    const Case cases[] = {{640, 480, 1.0f, {0, 0, 640, 480}},
                          {640, 480, 0.5f, {160, 120, 320, 240}},
                          {641, 481, 0.5f, {160, 120, 321, 241}},
                          {640, 480, 0.1f, {240, 180, 160, 120}},
                          {640, 480, 1.5f, {0, 0, 640, 480}}};
    SceneState keep;
    GLRecorderScope rec;
    fieldOfView = 90.0;
    for (const Case& c : cases) {
        GLRecorderClear();
        SetProjection(c.w, c.h, c.scale);
        const GLRecordedCall& v = Call("Viewport");
        EXPECT_EQ(std::vector<double>(v.args, v.args + 4),
                  std::vector<double>(c.viewport, c.viewport + 4))
            << c.w << "x" << c.h << " at " << c.scale;
        const GLRecordedCall& f = Call("Frustum");
        const double frustum[] = {-0.7, 0.7, -0.525, 0.525, 0.7, 250.0};
        for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(f.args[k], frustum[k], 2e-3) << k;
        // The frustum goes into a fresh projection matrix; the model-view matrix is left selected.
        EXPECT_EQ(GLRecorderNames(),
                  (std::vector<std::string>{"Viewport", "MatrixMode", "LoadIdentity", "Frustum",
                                            "MatrixMode"}));
        EXPECT_EQ(GLRecorderCalls()[4].args[0], GL_MODELVIEW);
    }
    GLRecorderClear();
    SetProjection(640, 0, 1.0f); // a minimised window: no division by zero
    EXPECT_TRUE(std::isfinite(Call("Frustum").args[3]));
}

TEST(GLStateInit, TheHintFromTheSettingAndTheWindowViewport) {
    SceneState keep;
    GLRecorderScope rec;
    for (int32_t hint : {0, 1}) {
        perspectiveHint = hint;
        GLRecorderClear();
        GLStateInit(800, 600);
        EXPECT_EQ(Call("Hint").args[1], hint ? GL_FASTEST : GL_NICEST);
        EXPECT_EQ(Call("Viewport").args[2], 800);
    }
}

int hookCalls = 0;
void Hook() {
    ++hookCalls;
    gl.Flush(); // a marker in the recorded stream
}

TEST(ClientRender, CameraInProjectionThenPassesThen2DPassThenSwap) {
    SceneState keep;
    GLRecorderScope rec;
    cameraPos = {1.0f, 2.0f, -3.0f};
    cameraPitch = -20.0f;
    cameraYaw = 30.0f;
    cameraRoll = 5.0f;
    for (int32_t finish : {1, 0}) {
        finishFrame = finish;
        drawHook = Hook;
        hookCalls = 0;
        GLRecorderClear();
        ClientRender();
        EXPECT_EQ(hookCalls, 1);
        EXPECT_EQ(GLRecorderCount("Finish"), finish);
        EXPECT_EQ(GLRecorderCount("PushMatrix"), 2);
        EXPECT_EQ(GLRecorderCount("PopMatrix"), 2);
    }
    // The camera goes into the projection matrix before any pass draws.
    const GLRecordedCall* c = GLRecorderCalls();
    std::vector<std::string> names = GLRecorderNames();
    ASSERT_GE(names.size(), 18u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 8),
              (std::vector<std::string>{"Clear", "MatrixMode", "PushMatrix", "Rotatef", "Rotatef",
                                        "Rotatef", "Translatef", "MatrixMode"}));
    EXPECT_EQ(c[1].args[0], GL_PROJECTION);
    EXPECT_EQ(std::vector<double>(c[3].args, c[3].args + 4), (std::vector<double>{20, 1, 0, 0}));
    EXPECT_EQ(std::vector<double>(c[4].args, c[4].args + 4), (std::vector<double>{-30, 0, 1, 0}));
    EXPECT_EQ(std::vector<double>(c[5].args, c[5].args + 4), (std::vector<double>{-5, 0, 0, 1}));
    EXPECT_EQ(std::vector<double>(c[6].args, c[6].args + 3), (std::vector<double>{-1, -2, 3}));
    // The 2-D pass: a fresh projection with the fixed 640 x 480 space, then the screen's hook.
    int ortho = GLRecorderFind("Ortho", 8);
    ASSERT_GE(ortho, 2);
    EXPECT_EQ(c[ortho - 2].args[0], GL_PROJECTION);
    EXPECT_EQ(std::vector<double>(c[ortho].args, c[ortho].args + 6),
              (std::vector<double>{-320, 320, -240, 240, -1, 250}));
    EXPECT_GT(GLRecorderFind("Flush", ortho), ortho);
}

} // namespace
