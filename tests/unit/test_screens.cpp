// The title menu, the quit prompt and the name entry, driven by real key presses through the
// input layer: the transitions they make and what they draw.
#include "ui/screens.h"

#include "console/command.h"
#include "game/game.h"
#include "render/scene.h"
#include "test_util.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

bool QuitPosted() {
    SDL_PumpEvents();
    bool posted = SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
    SDL_FlushEvent(SDL_QUIT);
    return posted;
}

class Screens : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
        SDL_FlushEvent(SDL_QUIT);
        ScreensInit();
        HiScoreSetDefaults();
        GameReset();
        SceneReset();
        ScreensInit();
        SceneSetOverlay(TitleDraw);
    }
    void TearDown() override {
        GameReset();
        SceneReset();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    ScratchDir dir;
    UiTestScope scope;
};

void ExpectGameStarted() {
    EXPECT_EQ(GuiFindScreen(MenuScreen), nullptr);
    EXPECT_EQ(sliceHook, LevelBannerCountdown);
    EXPECT_EQ(lives, 5);
    EXPECT_EQ(score, 0);
}

TEST_F(Screens, SpaceOnTheMenuStartsAGameEvenWithShift) {
    GuiOpenScreen(MenuScreen);
    score = 777;
    PressKey(SDL_SCANCODE_SPACE, true);
    ExpectGameStarted();
    EXPECT_EQ(GuiTopScreen(), nullptr);
    EXPECT_TRUE(BindingKeys().empty() || BindingKeys() == std::vector<int32_t>{KEY_LSHIFT});
}

TEST_F(Screens, EscapeOpensTheQuitPromptOverTheMenuAndNoShowsTheMenuAgain) {
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    size_t menuWidgets = static_cast<size_t>(guiIndex.count - 1);
    PressKey(SDL_SCANCODE_ESCAPE);
    GuiLayer* prompt = GuiTopScreen();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->callback, QuitScreen);
    EXPECT_EQ(menu->visible, 0);

    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(menu->visible, 1);
    EXPECT_EQ(static_cast<size_t>(guiIndex.count - 1), menuWidgets);
    EXPECT_FALSE(QuitPosted());

    // Escape on the prompt closes it too, without quitting.
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(BindingKeys().empty());
    // Y quits, with or without Shift.
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_Y);
    EXPECT_TRUE(QuitPosted());
    PressKey(SDL_SCANCODE_Y, true);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(Screens, SpaceUnderTheQuitPromptReachesTheHiddenMenuAndThePromptStays) {
    GuiOpenScreen(MenuScreen);
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_SPACE);
    ExpectGameStarted();
    GuiLayer* prompt = GuiTopScreen();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->callback, QuitScreen);
    EXPECT_EQ(prompt->visible, 1);
    // Flight keys the prompt leaves alone go on to the bindings.
    PressKey(SDL_SCANCODE_W);
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{'w'});
}

TEST_F(Screens, TheQuitCommandOpensThePromptDuringPlay) {
    ScreensInit();
    ASSERT_NE(quitHook, nullptr);
    quitHook();
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, QuitScreen);
    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen(), nullptr);
}

TEST_F(Screens, NameEntryRecordsTheScoreSavesAndHighlightsTheRow) {
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    GuiOpenScreen(NameEntryScreen);
    ASSERT_NE(nameEdit, nullptr);
    EXPECT_EQ(focusLayer, nameEdit);
    score = 9000;
    TypeText("A b");
    EXPECT_STREQ(nameEdit->text, "A b");
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(nameEdit, nullptr);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(highlightRank, 1);
    hiScoreTable = {};
    HiScoreLoad();
    EXPECT_STREQ(hiScoreTable[1].name, "A_b");
    EXPECT_EQ(hiScoreTable[1].score, 9000);
    EXPECT_TRUE(BindingKeys().empty() || BindingKeys() == std::vector<int32_t>{KEY_LSHIFT});
    // A score off the table still closes the entry, without a highlighted row.
    GuiOpenScreen(NameEntryScreen);
    score = 2000;
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(highlightRank, -1);
    EXPECT_EQ(GuiTopScreen(), menu);
}

TEST_F(Screens, TheQuitPromptOverTheNameEntryTakesYAndN) {
    GuiOpenScreen(MenuScreen);
    GuiOpenScreen(NameEntryScreen);
    PressKey(SDL_SCANCODE_ESCAPE); // the hidden menu opens the prompt
    ASSERT_EQ(GuiTopScreen()->callback, QuitScreen);
    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen()->callback, NameEntryScreen);
    EXPECT_STREQ(nameEdit->text, "");
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_Y);
    EXPECT_TRUE(QuitPosted());
    EXPECT_STREQ(nameEdit->text, "");
}

TEST_F(Screens, MenuDrawsTheListWithTheHighlightedRowInYellow) {
    GuiOpenScreen(MenuScreen);
    highlightRank = 2;
    GLRecorderScope recorder;
    GuiDraw();
    std::vector<DrawnText> texts = DrawnTexts();
    EXPECT_EQ(FindDrawn(texts, "Press").text, "Press Spacebar to Play!");
    float lastY = 0.0f;
    int rows = 0;
    for (const DrawnText& drawn : texts) {
        if (drawn.text != "VELDRAN") continue;
        if (rows > 0) {
            EXPECT_LT(drawn.y, lastY); // one row below the other
        }
        lastY = drawn.y;
        ++rows;
    }
    EXPECT_EQ(rows, 5);
    // The colour set before each row's name: yellow only for row 2.
    const GLRecordedCall* calls = GLRecorderCalls();
    int yellow = 0;
    for (int i = GLRecorderFind("Color3f"); i >= 0; i = GLRecorderFind("Color3f", i + 1))
        yellow += calls[i].args[2] == 0.0 && GLRecorderFind("Begin", i) >= 0;
    EXPECT_EQ(yellow, 1);
}

} // namespace
