// The projection for any window shape and view size, with the HUD's corners, against the recording
// GL table. The frame itself is compared with a reference picture by tests/scene_shot.cpp.
#include "render/scene.h"

#include "game/game.h"
#include "ui/hud.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

// Back to the start values and the 4:3 window the other tests draw in.
struct SceneRestore {
    ~SceneRestore() {
        SceneReset();
        GameReset();
        GLRecorderScope quiet;
        SetProjection(640, 480, 1.0f);
    }
};

// At fov 90 the height seen is the one 4:3 gives (frustum top 0.525 at near 0.7) and the sides
// follow the width; the 640 x 480 layout keeps square pixels in the largest centred 4:3 area and
// the HUD's corner items keep their corners. A smaller view (a quarter at least) is centred.
TEST(SetProjection, EveryWindowShapeAndViewSize) {
    SceneRestore restore;
    UiTestScope ui;
    GLRecorderScope rec;
    struct Shape {
        int32_t width, height;
        float scale;
        double viewport[4], right, halfWidth, halfHeight, horizontalFov;
    };
    const Shape shapes[] = {
        {640, 480, 1.0f, {0, 0, 640, 480}, 0.7, 320.0, 240.0, 90.0},
        {640, 480, 0.1f, {240, 180, 160, 120}, 0.7, 320.0, 240.0, 90.0},
        {640, 480, 1.5f, {0, 0, 640, 480}, 0.7, 320.0, 240.0, 90.0},
        {1920, 1080, 0.5f, {480, 270, 960, 540}, 0.7 * 4 / 3, 1280.0 / 3, 240.0, 106.260},
        {2560, 1080, 1.0f, {0, 0, 2560, 1080}, 0.7 * 16 / 9, 5120.0 / 9, 240.0, 121.284},
        {480, 640, 1.0f, {0, 0, 480, 640}, 0.39375, 320.0, 1280.0 / 3, 58.716},
        {1, 1, 1.0f, {0, 0, 1, 1}, 0.525, 320.0, 320.0, 73.740},
        {640, 0, 1.0f, {0, 0, 640, 1}, 0.525, 320.0, 320.0, 73.740}, // minimised: the last shape
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " at " << s.scale);
        GLRecorderClear();
        SetProjection(s.width, s.height, s.scale);
        const GLRecordedCall* c = GLRecorderCalls();
        const double frustum[] = {-s.right, s.right, -0.525, 0.525, 0.7, 250.0};
        for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(c[GLRecorderFind("Frustum")].args[k], frustum[k], 1e-6) << k;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(c[GLRecorderFind("Viewport")].args[k], s.viewport[k]) << k;
        EXPECT_EQ(c[GLRecorderSize() - 1].args[0], GL_MODELVIEW); // left selected
        EXPECT_NEAR(overlayExtent.halfWidth, s.halfWidth, 1e-9);
        EXPECT_NEAR(overlayExtent.halfHeight, s.halfHeight, 1e-9);
        EXPECT_NEAR(SceneHorizontalFov(), s.horizontalFov, 1e-3);
        GLRecorderClear();
        HudDraw();
        const std::vector<DrawnText> texts = DrawnTexts();
        const double dx = s.halfWidth - 320.0, dy = s.halfHeight - 240.0;
        EXPECT_NEAR(FindDrawn(texts, "Lives:").x, -315.0 - dx, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Lives:").y, 235.0 + dy, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Score:").x, 160.0 + dx, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Score:").y, 235.0 + dy, 1e-3);
    }
}

} // namespace
