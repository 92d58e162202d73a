// The title menu, the quit prompt and the name entry, driven by real key presses through the
// input layer (tests/integration/play.sh checks what they show).
#include "ui/screens.h"

#include "console/bind.h"
#include "core/settings.h"
#include "game/game.h"
#include "game_fixture.h"
#include "render/scene.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "ui/results.h"
#include "ui/titlechoice.h"
#include "test_util.h"
#include "ui_test_util.h"

#include <gtest/gtest.h>

namespace {

// The user interface's capabilities back to their program defaults, and the one table.
void UiSettingsOff() {
    for (const SettingTable* table : {&resultsSettings, &titleChoiceSettings, &hiScoreSettings})
        SettingsApplyDefaults(*table);
    HiScoreSelect(0, 1);
}

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
        UiSettingsOff();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    ScratchDir dir;
    UiTestScope scope;
    GuiLayer* menu = nullptr;
};

// The end of real games in the world of the game tests: the title with its menu, the results and
// the name entry the game flow opens, and the table files they write.
class GameEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
        ScreensInit();
        BindInit(); // Space fires
        HiScoreSetDefaults();
    }
    void TearDown() override {
        UiSettingsOff();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    // A game from the start level at the difficulty set whose last ship is gone with finalScore.
    static void EndGame(int32_t finalScore) {
        NewGame();
        StartLevel(level);
        score = finalScore;
        lives = 0;
        player->flags |= THING_DEAD;
        GameSlice(0.01f);
    }
    static GuiCallback Top() { return GuiTopScreen() ? GuiTopScreen()->callback : nullptr; }
    GameScope game;
    UiTestScope ui;
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
    {
        GLRecorderScope recorder;
        GuiDraw();
        EXPECT_EQ(FindDrawn(DrawnTexts(), "Score").text, "Score 009000  Rank 2");
    }
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
    // The next entry starts with the name entered last; a score off the table still closes it,
    // without a highlighted row.
    GuiOpenScreen(NameEntryScreen);
    EXPECT_STREQ(nameEdit->text, "A b");
    score = 2000;
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(highlightRank, -1);
    EXPECT_EQ(GuiTopScreen(), menu);
}

TEST_F(Screens, TheTitlesArrowsChooseTheDifficultySaveItAndShowItsTable) {
    PressKey(SDL_SCANCODE_RIGHT); // as today: the arrows are the bindings'
    EXPECT_EQ(difficulty, 0);
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{KEY_RIGHT});
    TitleChoiceSetEnabled(1);
    HiScoreSetTables(1);
    GameSetEasy(1);
    PressKey(SDL_SCANCODE_RIGHT);
    EXPECT_EQ(difficulty, 1);
    EXPECT_NE(ReadFile("vantor.ini").find("diff = 1\n"), std::string::npos);
    EXPECT_STREQ(HiScoreFile(), "hiscore-d1.tbl");
    for (int i = 0; i < 4; ++i)
        PressKey(SDL_SCANCODE_LEFT); // past Standard to Easy, and no further
    EXPECT_EQ(difficulty, GAME_DIFFICULTY_EASY);
    EXPECT_NE(ReadFile("vantor.ini").find("diff = -1\n"), std::string::npos);
    EXPECT_STREQ(HiScoreFile(), "hiscore-easy.tbl");
    EXPECT_EQ(hiScoreTable[4].score, 150); // a table of its own, gentle from the start
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{KEY_RIGHT});
    GameSetStartLevel(5); // as the options over the title would: the title turns to its table
    GLRecorderScope recorder;
    GuiDraw();
    const std::vector<DrawnText> texts = DrawnTexts();
    EXPECT_EQ(FindDrawn(texts, "Difficulty:").text, "Difficulty:   Easy >");
    EXPECT_EQ(FindDrawn(texts, "High scores:").text, "High scores: Easy, from level 5");
    EXPECT_STREQ(HiScoreFile(), "hiscore-easy-l5.tbl");
}

TEST_F(GameEnd, ResultsComeBeforeTheNameEntryOrTheTitleAndOnlyWithTheirSetting) {
    EndGame(2500); // as today: straight to the name entry
    EXPECT_EQ(Top(), NameEntryScreen);
    PressKey(SDL_SCANCODE_RETURN);
    EndGame(100);
    EXPECT_EQ(Top(), MenuScreen);

    ResultsSetShown(1);
    startLevel = 3;
    EndGame(2600);
    EXPECT_EQ(Top(), ResultsScreen);
    EXPECT_NE(ReadFile("boot.log")
                  .find("Results: score 2600 level 3 rocks 0 saucers 0 shots 0 of "
                        "0\n"),
              std::string::npos);
    {
        GLRecorderScope recorder;
        GuiDraw();
        const std::vector<DrawnText> texts = DrawnTexts();
        EXPECT_EQ(FindDrawn(texts, "A high").text, "A high score: rank 5");
        EXPECT_EQ(FindDrawn(texts, "Standard").text, "Standard, from level 3");
    }
    PressKey(SDL_SCANCODE_W); // taken, and nothing beneath sees it
    EXPECT_EQ(Top(), ResultsScreen);
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(Top(), NameEntryScreen);
    PressKey(SDL_SCANCODE_RETURN);
    EndGame(100);
    EXPECT_EQ(Top(), ResultsScreen);
    PressKey(SDL_SCANCODE_SPACE); // fire goes on, to the title; the menu beneath starts no game
    EXPECT_EQ(Top(), MenuScreen);
    EXPECT_EQ(sliceHook, nullptr);
}

TEST_F(GameEnd, EachDifficultyAndStartLevelKeepsATableFileOfItsOwn) {
    HiScoreSetTables(1);
    const std::string mine = "mine 3 \n";
    WriteFile(HISCORE_FILE, mine);
    startLevel = 12;
    EndGame(5000); // a level-12 game does not land in the level-1 table
    EXPECT_EQ(Top(), NameEntryScreen);
    TypeText("Ace");
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_NE(ReadFile("hiscore-d0-l12.tbl").find("Ace"), std::string::npos);
    startLevel = 1;
    difficulty = 2;
    EndGame(3000);
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(ReadFile(HISCORE_FILE), mine);
    difficulty = 0;
    AttractMode(); // the title: Standard from level 1 is hiscore.tbl, read as it is
    EXPECT_STREQ(hiScoreTable[0].name, "mine");
    HiScoreSelect(0, 12); // read back from its file
    EXPECT_STREQ(hiScoreTable[3].name, "Ace");
    EXPECT_EQ(hiScoreTable[3].score, 5000);
    HiScoreSelect(2, 1);
    EXPECT_EQ(hiScoreTable[4].score, 3000);
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
