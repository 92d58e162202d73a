// The overlays against the recording GL table: the texts, where they go, and the GL state.
#include "ui/hud.h"

#include "core/app.h"
#include "game/game.h"
#include "render/scene.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

class Hud : public ::testing::Test {
  protected:
    // The overlays read the game, the scene's nicefx and the HUD's fps setting.
    void SetUp() override {
        TearDown();
        lives = 3;
        level = 1;
    }
    void TearDown() override {
        GameReset();
        SceneReset();
        HudSetShowFps(0);
    }
    UiTestScope scope;
};

std::vector<DrawnText> Draw(void (*overlay)()) {
    GLRecorderClear();
    overlay();
    return DrawnTexts();
}

TEST_F(Hud, ScoreLivesGameOverFrameRateAndTheWeaponBonus) {
    GLRecorderScope recorder;
    score = 150;
    std::vector<DrawnText> texts = Draw(HudDraw);
    EXPECT_EQ(FindDrawn(texts, "Score:").text, "Score: 000150");
    EXPECT_EQ(FindDrawn(texts, "Lives:").text, "Lives: 3");
    EXPECT_EQ(texts.size(), 2u); // no Game Over, frame rate or bonus
    score = 1234567;
    lives = 0;
    showFps = 1;
    frameRate = 59;
    texts = Draw(HudDraw);
    EXPECT_EQ(FindDrawn(texts, "Score:").text, "Score: 1234567");
    EXPECT_EQ(FindDrawn(texts, "Game Over").text, "Game Over");
    EXPECT_EQ(FindDrawn(texts, "FPS:").text, "FPS: 59");

    // The bonus: its icon and its whole seconds; an unknown kind shows the seconds only.
    textures[TEXTURE_SHOT2I].glName = TEXTURE_SHOT2I + 1;
    showFps = 0;
    for (int32_t kind : {2, 7}) {
        weaponKind = kind;
        weaponTimer = 4.9f;
        texts = Draw(HudDraw);
        EXPECT_EQ(FindDrawn(texts, "4").text, "4");
        int icons = 0;
        for (int i = GLRecorderFind("BindTexture"); i >= 0;
             i = GLRecorderFind("BindTexture", i + 1))
            icons += GLRecorderCalls()[i].args[1] == TEXTURE_SHOT2I + 1;
        EXPECT_EQ(icons, kind == 2 ? 1 : 0);
    }
}

TEST_F(Hud, OverlaysLeaveDepthTestOnAndBlendingOff) {
    GLRecorderScope recorder;
    for (void (*overlay)() : {TitleDraw, LevelBannerDraw, HudDraw}) {
        for (int32_t fx : {0, 1}) {
            niceFx = fx;
            Draw(overlay);
            std::vector<std::string> names = GLRecorderNames();
            const GLRecordedCall* calls = GLRecorderCalls();
            ASSERT_GE(names.size(), 2u);
            EXPECT_EQ(calls[0].args[0], GL_DEPTH_TEST);
            EXPECT_EQ(names.back(), "Enable");
            EXPECT_EQ(calls[names.size() - 1].args[0], GL_DEPTH_TEST);
            EXPECT_EQ(calls[names.size() - 2].args[0], GL_BLEND);
            bool blends = GLRecorderFind("BlendFunc") >= 0;
            EXPECT_EQ(blends, fx == 1 || overlay == LevelBannerDraw);
            int identity = GLRecorderFind("LoadIdentity");
            ASSERT_GE(identity, 1);
            EXPECT_EQ(calls[identity - 1].args[0], GL_MODELVIEW);
        }
    }
}

TEST_F(Hud, TitleAndLevelBanner) {
    GLRecorderScope recorder;
    std::vector<DrawnText> texts = Draw(TitleDraw);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Skarnex3D v1.13");
    EXPECT_LE(texts[1].text.size() * 8, 630u); // fits across the screen

    level = 5;
    texts = Draw(LevelBannerDraw);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Level 05");
}

// Any window shape at fov 90: the height seen is the one 4:3 gives (frustum top 0.525 at near
// 0.7), the sides follow the width, the 640 x 480 layout keeps square pixels in the largest
// centred 4:3 area (half-extent 320 x 240 at least), and the corner items keep their corners.
TEST_F(Hud, EveryWindowShapeKeepsTheFourThreeHeightTheLayoutAndTheCorners) {
    GLRecorderScope recorder;
    const double savedFov = fieldOfView;
    fieldOfView = 90.0;
    struct Shape {
        int32_t width, height;
        double right, halfWidth, halfHeight, horizontalFov;
    };
    const Shape shapes[] = {
        {640, 480, 0.7, 320.0, 240.0, 90.0},                    // 4:3: the picture as it always was
        {1920, 1080, 0.7 * 4 / 3, 1280.0 / 3, 240.0, 106.260},  // 16:9: more at the sides
        {2560, 1080, 0.7 * 16 / 9, 5120.0 / 9, 240.0, 121.284}, // 21:9
        {480, 640, 0.39375, 320.0, 1280.0 / 3, 58.716},         // 3:4: more above and below
        {1, 1, 0.525, 320.0, 320.0, 73.740},                    // 1 x 1
    };
    for (const Shape& s : shapes) {
        GLRecorderClear();
        SetProjection(s.width, s.height, 1.0f);
        const GLRecordedCall& f = GLRecorderCalls()[GLRecorderFind("Frustum")];
        const double frustum[] = {-s.right, s.right, -0.525, 0.525, 0.7, 250.0};
        for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(f.args[k], frustum[k], 1e-6) << s.width << "x" << s.height << " " << k;
        EXPECT_NEAR(overlayExtent.halfWidth, s.halfWidth, 1e-9) << s.width;
        EXPECT_NEAR(overlayExtent.halfHeight, s.halfHeight, 1e-9) << s.width;
        EXPECT_NEAR(SceneHorizontalFov(), s.horizontalFov, 1e-3) << s.width;
        const std::vector<DrawnText> texts = Draw(HudDraw);
        const double dx = s.halfWidth - 320.0;
        const double dy = s.halfHeight - 240.0;
        const DrawnText lives = FindDrawn(texts, "Lives:");
        const DrawnText score = FindDrawn(texts, "Score:");
        EXPECT_NEAR(lives.x, -315.0 - dx, 1e-3) << s.width;
        EXPECT_NEAR(lives.y, 235.0 + dy, 1e-3) << s.width;
        EXPECT_NEAR(score.x, 160.0 + dx, 1e-3) << s.width;
        EXPECT_NEAR(score.y, 235.0 + dy, 1e-3) << s.width;
    }
    fieldOfView = savedFov;
    SetProjection(640, 480, 1.0f); // back to the 4:3 shape the other tests draw in
}

} // namespace
