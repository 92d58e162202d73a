// Pause: while paused nothing moves and no timer runs, and afterwards play goes on exactly as if
// the pause had never been; autopause holds the game on focus loss and only a key resumes it.
#include "console/gameinput.h"
#include "game_fixture.h"

#include "ui/screens.h"

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

// Level 1 with the ship thrusting and turning, a bonus weapon counting down, steps before the
// pause, paused steps (or none) and steps after.
std::vector<float> Play(int pausedSteps) {
    GameScope scope;
    PauseInit();
    GameStartLevel(1);
    weaponKind = WEAPON_SPREAD;
    weaponTimer = 5.0f;
    gameInput.state.controls[CONTROL_FORWARD] = gameInput.state.controls[CONTROL_LEFT] =
        gameInput.state.controls[CONTROL_ATTACK] = 1;
    GameRun(20, 0.02f);
    if (pausedSteps > 0) {
        CommandExecute("pause");
        EXPECT_EQ(gameInput.state.paused, 1);
        std::vector<float> before = GameState();
        GameRun(pausedSteps, 0.02f);
        EXPECT_EQ(GameState(), before); // nothing moved, no timer ran
        CommandExecute("pause");
        EXPECT_EQ(gameInput.state.paused, 0);
    }
    GameRun(20, 0.02f);
    return GameState();
}

TEST(Pause, HoldsEverythingExactlyAndPlayGoesOnTheSame) {
    std::vector<float> straight = Play(0);
    EXPECT_EQ(Play(50), straight);
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

} // namespace
