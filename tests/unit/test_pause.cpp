// Pause: while paused nothing moves and no timer runs, and afterwards play goes on exactly as if
// the pause had never been; autopause holds the game on focus loss and only a key resumes it. The
// game menu holds the game the same way, and each of its items does what it says.
#include "console/bind.h"
#include "console/gameinput.h"
#include "game_fixture.h"

#include "ui/gamemenu.h"
#include "ui/hiscore.h"
#include "ui/options.h"
#include "ui/screens.h"
#include "ui_test_util.h"

#include <SDL.h>

#include <vector>

namespace {

// Everything a game step changes: each thing's motion and clocks, the particles, the timers.
std::vector<float> GameState() {
    std::vector<float> state = {weaponTimer, bannerTimer, float(score), float(particleIndex.count),
                                cameraPos.x, cameraYaw};
    for (int32_t i = 0; i < thingIndex.count; ++i) {
        const Thing* t = static_cast<const Thing*>(thingIndex.items[i]);
        state.insert(state.end(),
                     {t->pos.x, t->pos.y, t->pos.z, t->vel.x, t->vel.z, t->yaw, t->roll, t->age,
                      t->lifetime, t->reload, static_cast<float>(t->flags)});
    }
    return state;
}

enum Hold { NO_HOLD, BY_PAUSE, BY_MENU };

// Level 1 with the ship thrusting and turning, a bonus weapon counting down, steps before the
// hold, 50 held steps (the pause command, or the quit command's game menu closed by Escape) or
// none, and steps after.
std::vector<float> Play(Hold hold) {
    GameScope scope;
    PauseInit();
    ScreensInit();
    GameMenuSetEnabled(1);
    GameStartLevel(1);
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 5.0f;
    gameInput.state.controls[CONTROL_FORWARD] = gameInput.state.controls[CONTROL_LEFT] =
        gameInput.state.controls[CONTROL_ATTACK] = 1;
    GameRun(20, 0.02f);
    if (hold != NO_HOLD) {
        CommandExecute(hold == BY_PAUSE ? "pause" : "quit");
        EXPECT_EQ(gameInput.state.paused, 1);
        EXPECT_EQ(GuiFindScreen(GameMenuScreen) != nullptr, hold == BY_MENU);
        std::vector<float> before = GameState();
        GameRun(50, 0.02f);
        EXPECT_EQ(GameState(), before); // nothing moved, no timer ran
        if (hold == BY_PAUSE)
            CommandExecute("pause");
        else
            PressKey(SDL_SCANCODE_ESCAPE);
        EXPECT_EQ(gameInput.state.paused, 0);
        EXPECT_EQ(GuiTopScreen(), nullptr);
    }
    GameRun(20, 0.02f);
    GameMenuSetEnabled(0);
    return GameState();
}

TEST(Pause, HoldsEverythingExactlyAndPlayGoesOnTheSame) {
    std::vector<float> straight = Play(NO_HOLD);
    EXPECT_EQ(Play(BY_PAUSE), straight);
    EXPECT_EQ(Play(BY_MENU), straight);
}

TEST(Pause, TheBannerHoldsTooButNotTheTitleAndAutopauseWaitsForAKey) {
    GameScope scope("autopause = 1\n");
    PauseInit();
    PauseSet(true); // the title: no game to hold
    EXPECT_EQ(gameInput.state.paused, 0);
    NewGame();
    sliceHook = LevelBannerCountdown;
    bannerTimer = GAME_BANNER_TIME;
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    for (auto event : {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED}) {
        focus.window.event = event;
        InputHandleSdlEvent(focus);
        GameRun(100, 0.02f);
        EXPECT_EQ(bannerTimer, GAME_BANNER_TIME);
    }
    PauseToggle();
    GameRun(1, 0.02f);
    EXPECT_LT(bannerTimer, GAME_BANNER_TIME);
    // A player who opened the quit prompt and looked away is held as well.
    GuiOpenScreen(QuitScreen);
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    InputHandleSdlEvent(focus);
    EXPECT_EQ(gameInput.state.paused, 1);
}

bool QuitPosted() {
    SDL_PumpEvents();
    const bool posted = SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
    SDL_FlushEvent(SDL_QUIT);
    return posted;
}

bool GameMenuOnTop() {
    return GuiTopScreen() && GuiTopScreen()->callback == GameMenuScreen;
}

// With real keys through the default bindings: Escape in a game is the quit prompt with the
// setting off and the menu with it on. Resume keeps a pause the player made, the pause key lets
// the game go on, the options open over the menu and give it back, a click resumes, Quit to the
// title ends the game with the name entry for a qualifying score, Quit to the desktop ends the
// program.
TEST(GameMenu, EscapeOpensItInAGameAndEachItemDoesWhatItSays) {
    GameScope world;
    UiTestScope ui;
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    SDL_FlushEvent(SDL_QUIT);
    BindInit();
    PauseInit();
    ScreensInit();
    HiScoreSetDefaults();
    GameStartLevel(1);
    PressKey(SDL_SCANCODE_ESCAPE);
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, QuitScreen);
    EXPECT_EQ(gameInput.state.paused, 0);
    PressKey(SDL_SCANCODE_N);

    GameMenuSetEnabled(1);
    PressKey(SDL_SCANCODE_P);
    PressKey(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(GameMenuOnTop());
    PressKey(SDL_SCANCODE_RETURN); // Resume
    EXPECT_EQ(GuiTopScreen(), nullptr);
    EXPECT_EQ(gameInput.state.paused, 1);
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_P);
    EXPECT_EQ(GuiTopScreen(), nullptr);
    EXPECT_EQ(gameInput.state.paused, 0);

    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_DOWN);
    PressKey(SDL_SCANCODE_RETURN); // Options
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, OptionsScreen);
    PressKey(SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(GameMenuOnTop());
    EXPECT_EQ(gameInput.state.paused, 1);
    screenWidth = 640;
    screenHeight = 480;
    SetProjection(640, 480, 1.0f);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 320;
    click.button.y = 250; // on Resume
    InputHandleSdlEvent(click);
    EXPECT_EQ(GuiTopScreen(), nullptr);
    EXPECT_EQ(gameInput.state.paused, 0);

    score = 9000;
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_DOWN);
    PressKey(SDL_SCANCODE_DOWN);
    PressKey(SDL_SCANCODE_RETURN); // Quit to the title
    EXPECT_EQ(level, 0);
    EXPECT_EQ(gameInput.state.paused, 0);
    ASSERT_NE(GuiTopScreen(), nullptr);
    EXPECT_EQ(GuiTopScreen()->callback, NameEntryScreen);
    EXPECT_NE(GuiFindScreen(MenuScreen), nullptr);
    EXPECT_FALSE(QuitPosted());

    GuiInit();
    GameStartLevel(1);
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_UP);
    PressKey(SDL_SCANCODE_RETURN); // Quit to the desktop
    EXPECT_TRUE(QuitPosted());
    GameMenuSetEnabled(0);
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

} // namespace
