// The title menu, the quit prompt and the name entry, driven by real key presses through the
// input layer (tests/integration/play.sh checks what they show).
#include "ui/screens.h"

#include "game/game.h"
#include "render/scene.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "test_util.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

bool QuitPosted() {
    SDL_PumpEvents();
    const bool posted = SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
    SDL_FlushEvent(SDL_QUIT);
    return posted;
}

class Screens : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
        SDL_FlushEvent(SDL_QUIT);
        HiScoreSetDefaults();
        GameReset();
        SceneReset();
        ScreensInit();
        SceneSetOverlay(TitleDraw);
        menu = GuiOpenScreen(MenuScreen);
    }
    void TearDown() override {
        GameReset();
        SceneReset();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    ScratchDir dir;
    UiTestScope scope;
    GuiLayer* menu = nullptr;
};

TEST_F(Screens, TheQuitPromptOpensOverTheMenuNAndEscapeCloseItYQuits) {
    PressKey(SDL_SCANCODE_ESCAPE);
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, QuitScreen);
    EXPECT_EQ(menu->visible, 0);
    for (SDL_Scancode close : {SDL_SCANCODE_N, SDL_SCANCODE_ESCAPE}) {
        PressKey(close);
        EXPECT_EQ(GuiTopScreen(), menu);
        EXPECT_EQ(menu->visible, 1);
        EXPECT_FALSE(QuitPosted());
        PressKey(SDL_SCANCODE_ESCAPE);
    }
    EXPECT_TRUE(BindingKeys().empty());
    PressKey(SDL_SCANCODE_Y, true);
    EXPECT_TRUE(QuitPosted());
    // Space under the prompt, Shift held or not, reaches the hidden menu and starts a game; the
    // prompt stays.
    score = 777;
    PressKey(SDL_SCANCODE_SPACE, true);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(GuiFindScreen(MenuScreen), nullptr);
    EXPECT_EQ(sliceHook, LevelBannerCountdown);
    EXPECT_EQ(lives, 5);
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, QuitScreen);
    BindingKeys().clear();
    PressKey(SDL_SCANCODE_W); // flight keys the prompt leaves alone go on to the bindings
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{'w'});
    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen(), nullptr);
}

TEST_F(Screens, NameEntryRecordsTheScoreSavesAndHighlightsTheRow) {
    GuiOpenScreen(NameEntryScreen);
    EXPECT_EQ(focusLayer, nameEdit);
    // The quit prompt over the entry (opened by the hidden menu): what is typed under it, the
    // text of its N answer included (the pump delivers it before the key), never reaches the
    // hidden name, nor does Enter enter it.
    PressKey(SDL_SCANCODE_ESCAPE);
    TypeText("xn");
    PressKey(SDL_SCANCODE_BACKSPACE);
    PressKey(SDL_SCANCODE_RETURN);
    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen()->callback, NameEntryScreen);
    EXPECT_STREQ(nameEdit->text, "");
    BindingKeys().clear(); // Backspace and Enter went on to the keys, where nothing is bound
    score = 9000;
    TypeText("A b");
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(nameEdit, nullptr);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(highlightRank, 1);
    hiScoreTable = {};
    HiScoreLoad();
    EXPECT_STREQ(hiScoreTable[1].name, "A_b");
    EXPECT_EQ(hiScoreTable[1].score, 9000);
    EXPECT_TRUE(BindingKeys().empty());
    // A score off the table still closes the entry, without a highlighted row.
    GuiOpenScreen(NameEntryScreen);
    score = 2000;
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(highlightRank, -1);
    EXPECT_EQ(GuiTopScreen(), menu);
}

// The list keeps names and scores in two columns: the longest name ends before the longest score
// begins, and the scores line up on their right edge.
TEST_F(Screens, TheHighScoreListKeepsNamesAndRightAlignedScoresApart) {
    GLRecorderScope recorder;
    std::snprintf(hiScoreTable[0].name, HISCORE_NAME_SIZE, "WWWWWWWWWWWWWWWWWWW");
    hiScoreTable[0].score = 999999999; // nine digits: the most the list has room for
    MenuScreen(menu, GUI_DRAW, nullptr, 0);
    const std::vector<DrawnText> texts = DrawnTexts();
    ASSERT_EQ(texts.size(), 10u); // name, score, name, score ...
    const float right = texts[1].x + TextFontWidth(smallFont, texts[1].text.c_str());
    for (size_t row = 0; row < 5; ++row) {
        const DrawnText& name = texts[2 * row];
        const DrawnText& points = texts[2 * row + 1];
        EXPECT_EQ(points.text, std::to_string(hiScoreTable[row].score));
        EXPECT_LT(name.x + TextFontWidth(smallFont, name.text.c_str()), points.x) << row;
        EXPECT_EQ(points.x + TextFontWidth(smallFont, points.text.c_str()), right) << row;
    }
}

} // namespace
