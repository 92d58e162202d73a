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
    GLRecorderScope recorder;
};

std::vector<DrawnText> Draw(void (*overlay)()) {
    GLRecorderClear();
    overlay();
    return DrawnTexts();
}

TEST_F(Hud, ScoreLivesGameOverFrameRateAndTheWeaponBonus) {
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

TEST_F(Hud, TitleAndBannerTextsAndEveryOverlayEndsWithDepthTestOnAndBlendingOff) {
    std::vector<DrawnText> texts = Draw(TitleDraw);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Skarnex3D v1.13");
    EXPECT_LE(texts[1].text.size() * 8, 630u); // the controls line fits across the screen
    level = 5;
    texts = Draw(LevelBannerDraw);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Level 05");
    for (void (*overlay)() : {TitleDraw, LevelBannerDraw, HudDraw}) {
        Draw(overlay);
        const GLRecordedCall* c = GLRecorderCalls() + GLRecorderSize() - 2;
        EXPECT_EQ(c[0].args[0], GL_BLEND); // turned off
        EXPECT_STREQ(c[1].name, "Enable");
        EXPECT_EQ(c[1].args[0], GL_DEPTH_TEST);
    }
}

} // namespace
