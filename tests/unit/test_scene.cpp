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

TEST(SetProjection, Fov90At640x480GivesTheExpectedFrustum) {
    SceneState keep;
    GLRecorderScope rec;
    fieldOfView = 90.0;
    SetProjection(640, 480, 1.0f);
    const GLRecordedCall& v = Call("Viewport");
    EXPECT_EQ(std::vector<double>(v.args, v.args + 4), (std::vector<double>{0, 0, 640, 480}));
    const GLRecordedCall& f = Call("Frustum");
    ASSERT_EQ(f.argCount, 6);
    const double frustum[] = {-0.7, 0.7, -0.525, 0.525, 0.7, 250.0};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(f.args[k], frustum[k], 1e-9) << k;
    // The frustum goes into a fresh projection matrix and the model-view matrix is left selected.
    EXPECT_EQ(GLRecorderNames(), (std::vector<std::string>{"Viewport", "MatrixMode", "LoadIdentity",
                                                           "Frustum", "MatrixMode"}));
    EXPECT_EQ(GLRecorderCalls()[1].args[0], GL_PROJECTION);
    EXPECT_EQ(GLRecorderCalls()[4].args[0], GL_MODELVIEW);
}

TEST(SetProjection, ViewSizeCentresASmallerViewportAndKeepsTheWindowAspect) {
    SceneState keep;
    GLRecorderScope rec;
    fieldOfView = 90.0;
    SetProjection(640, 480, 0.5f);
    const GLRecordedCall& v = Call("Viewport");
    EXPECT_EQ(std::vector<double>(v.args, v.args + 4), (std::vector<double>{160, 120, 320, 240}));
    EXPECT_NEAR(Call("Frustum").args[3], 0.525, 1e-9);

    // Odd sizes: the inset is truncated, the offset is half of it in integer division.
    GLRecorderClear();
    SetProjection(641, 481, 0.5f);
    const GLRecordedCall& odd = Call("Viewport");
    EXPECT_EQ(std::vector<double>(odd.args, odd.args + 4),
              (std::vector<double>{160, 120, 321, 241}));
}

TEST(SetProjection, ScaleIsClampedToQuarterAndWhole) {
    SceneState keep;
    GLRecorderScope rec;
    SetProjection(640, 480, 0.1f);
    const GLRecordedCall& low = Call("Viewport");
    EXPECT_EQ(std::vector<double>(low.args, low.args + 4),
              (std::vector<double>{240, 180, 160, 120}));
    GLRecorderClear();
    SetProjection(640, 480, 1.5f);
    const GLRecordedCall& high = Call("Viewport");
    EXPECT_EQ(std::vector<double>(high.args, high.args + 4), (std::vector<double>{0, 0, 640, 480}));
    // A zero-height (minimised) window gives no division by zero.
    GLRecorderClear();
    SetProjection(640, 0, 1.0f);
    EXPECT_TRUE(std::isfinite(Call("Frustum").args[3]));
}

TEST(GLStateInit, FixedStateInOrderAndHintFromSetting) {
    SceneState keep;
    GLRecorderScope rec;
    perspectiveHint = 0;
    GLStateInit(800, 600);
    std::vector<std::string> names = GLRecorderNames();
    std::vector<std::string> head(names.begin(), names.begin() + 11);
    EXPECT_EQ(head, (std::vector<std::string>{"ClearColor", "ClearDepth", "DepthFunc", "ShadeModel",
                                              "FrontFace", "BlendFunc", "AlphaFunc", "Enable",
                                              "Disable", "Hint", "Viewport"}));
    EXPECT_EQ(Call("FrontFace").args[0], GL_CCW);
    EXPECT_NEAR(Call("AlphaFunc").args[1], 0.07, 1e-6);
    EXPECT_EQ(Call("Hint").args[1], GL_NICEST);
    EXPECT_EQ(Call("Viewport").args[2], 800);
    EXPECT_EQ(GLRecorderCalls()[GLRecorderSize() - 1].args[0], GL_MODELVIEW);

    GLRecorderClear();
    perspectiveHint = 1;
    GLStateInit(800, 600);
    EXPECT_EQ(Call("Hint").args[1], GL_FASTEST);
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
    finishFrame = 1;
    drawHook = Hook;
    hookCalls = 0;
    ClientRender();
    EXPECT_EQ(hookCalls, 1);
    std::vector<std::string> names = GLRecorderNames();
    ASSERT_GE(names.size(), 18u);
    // The camera goes into the projection matrix before any pass draws.
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 9),
              (std::vector<std::string>{"Clear", "MatrixMode", "PushMatrix", "Rotatef", "Rotatef",
                                        "Rotatef", "Translatef", "MatrixMode", "PushMatrix"}));
    const GLRecordedCall* c = GLRecorderCalls();
    EXPECT_EQ(c[0].args[0], GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(c[1].args[0], GL_PROJECTION);
    EXPECT_EQ(std::vector<double>(c[3].args, c[3].args + 4), (std::vector<double>{20, 1, 0, 0}));
    EXPECT_EQ(std::vector<double>(c[4].args, c[4].args + 4), (std::vector<double>{-30, 0, 1, 0}));
    EXPECT_EQ(std::vector<double>(c[5].args, c[5].args + 4), (std::vector<double>{-5, 0, 0, 1}));
    EXPECT_EQ(std::vector<double>(c[6].args, c[6].args + 3), (std::vector<double>{-1, -2, 3}));
    EXPECT_EQ(c[7].args[0], GL_MODELVIEW);

    // The 2-D pass: a fresh projection with the fixed 640 x 480 space, then the screen's hook.
    int ortho = GLRecorderFind("Ortho", 9);
    ASSERT_GE(ortho, 2);
    EXPECT_EQ(std::string(c[ortho - 1].name), "LoadIdentity");
    EXPECT_EQ(std::string(c[ortho - 2].name), "MatrixMode");
    EXPECT_EQ(c[ortho - 2].args[0], GL_PROJECTION);
    EXPECT_EQ(std::vector<double>(c[ortho].args, c[ortho].args + 6),
              (std::vector<double>{-320, 320, -240, 240, -1, 250}));
    EXPECT_GT(GLRecorderFind("Flush", ortho), ortho);

    // Both stacks popped, then glFinish; the swap follows outside the table.
    size_t n = names.size();
    EXPECT_EQ(
        std::vector<std::string>(names.end() - 5, names.end()),
        (std::vector<std::string>{"MatrixMode", "PopMatrix", "MatrixMode", "PopMatrix", "Finish"}));
    EXPECT_EQ(c[n - 5].args[0], GL_PROJECTION);
    EXPECT_EQ(c[n - 3].args[0], GL_MODELVIEW);
}

TEST(ClientRender, EachStackPushedAndPoppedOnceAndNoFinishWhenOff) {
    SceneState keep;
    GLRecorderScope rec;
    finishFrame = 0;
    drawHook = nullptr;
    ClientRender();
    EXPECT_EQ(GLRecorderCount("Finish"), 0);
    EXPECT_EQ(GLRecorderCount("PushMatrix"), 2);
    EXPECT_EQ(GLRecorderCount("PopMatrix"), 2);
}

} // namespace
