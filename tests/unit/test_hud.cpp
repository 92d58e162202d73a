// The overlays and the projection for any window shape, against the recording GL table: the
// texts, where they go, and the GL state. tests/scene_shot.cpp compares a whole frame.
#include "ui/hud.h"

#include "console/bind.h"
#include "core/version.h"
#include "game/game.h"
#include "game/player.h"
#include "render/scene.h"
#include "test_util.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

class Hud : public ::testing::Test {
  protected:
    void SetUp() override {
        TearDown();
        lives = 3;
        level = 1;
    }
    void TearDown() override {
        GameReset();
        SceneReset();
        HudSetShowFps(0);
        SetProjection(640, 480, 1.0f); // the 4:3 window the other tests draw in
    }
    UiTestScope scope;
    GLRecorderScope recorder;
};

std::vector<DrawnText> Draw(void (*overlay)()) {
    GLRecorderClear();
    overlay();
    return DrawnTexts();
}

TEST_F(Hud, ScoreLivesGameOverAndFrameRate) {
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
}

// A bonus weapon's own icon, once, and its whole seconds left.
TEST_F(Hud, TheBonusWeaponShowsItsIconAndWholeSeconds) {
    const uint32_t saved = textures[TEXTURE_SHOT2I].glName;
    textures[TEXTURE_SHOT2I].glName = 77;
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 12.7f;
    const std::vector<DrawnText> texts = Draw(HudDraw);
    textures[TEXTURE_SHOT2I].glName = saved;
    EXPECT_EQ(FindDrawn(texts, "12").text, "12");
    int icons = 0;
    for (int i = 0; (i = GLRecorderFind("BindTexture", i)) >= 0; ++i)
        icons += GLRecorderCalls()[i].args[1] == 77;
    EXPECT_EQ(icons, 1);
}

TEST_F(Hud, TitleAndBannerTexts) {
    ScratchDir dir;
    CommandInit();
    BindInit();
    std::vector<DrawnText> texts = Draw(TitleDraw);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, APP_BANNER); // the build's name and version
    const float scoreLeft = FindDrawn(Draw(HudDraw), "Score:").x;
    for (int line : {1, 2}) // the controls lines end left of the score's corner
        EXPECT_LT(texts[line].x + TextFontWidth(texts[line].font, texts[line].text.c_str()),
                  scoreLeft)
            << texts[line].text;
    EXPECT_NE(texts[1].text.find("Space fires"), std::string::npos) << texts[1].text;
    BindActionSet(4, 0, 'f'); // fire on F: the line follows
    texts = Draw(TitleDraw);
    EXPECT_NE(texts[1].text.find("F fires"), std::string::npos) << texts[1].text;
    level = 5;
    texts = Draw(LevelBannerDraw);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Level 05");
}

// At fov 90 the height seen is the one 4:3 gives (frustum top 0.525 at near 0.7) and the sides
// follow the width; the 640 x 480 layout keeps square pixels in the largest centred 4:3 area and
// the HUD's corner items keep their corners. A smaller view (a quarter at least) is centred.
TEST_F(Hud, EveryWindowShapeAndViewSizeKeepsTheHeightTheLayoutAndTheCorners) {
    struct Shape {
        int32_t width, height;
        float scale;
        double viewport[4], right, halfWidth, halfHeight, horizontalFov;
    };
    const Shape shapes[] = {
        {640, 480, 1.0f, {0, 0, 640, 480}, 0.7, 320.0, 240.0, 90.0},
        {640, 480, 0.1f, {240, 180, 160, 120}, 0.7, 320.0, 240.0, 90.0}, // a quarter at least
        {1920, 1080, 0.5f, {480, 270, 960, 540}, 0.7 * 4 / 3, 1280.0 / 3, 240.0, 106.260},
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
        const std::vector<DrawnText> texts = Draw(HudDraw);
        const double dx = s.halfWidth - 320.0, dy = s.halfHeight - 240.0;
        EXPECT_NEAR(FindDrawn(texts, "Lives:").x, -315.0 - dx, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Lives:").y, 235.0 + dy, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Score:").x, 160.0 + dx, 1e-3);
        EXPECT_NEAR(FindDrawn(texts, "Score:").y, 235.0 + dy, 1e-3);
    }
}

} // namespace
