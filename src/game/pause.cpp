// Pause: the command, autopause on focus loss and the "Paused" line.
#include "game/pause.h"

#include "console/command.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/ini.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"

int32_t autoPause = 0;

namespace {

const Setting PAUSESETTINGS_ROWS[] = {
    {"autopause", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER, [] { return double(autoPause); },
     [](double v) { autoPause = v != 0.0 ? 1 : 0; }},
};

} // namespace

const SettingTable pauseSettings = SettingTableOf("pause", PAUSESETTINGS_ROWS);

namespace {

constexpr float PAUSE_TEXT_Y = 60.0f; // above the level banner and "Game Over"

// Resuming is the player's choice: the focus coming back does not resume.
void PauseOnFocusLost() {
    if (autoPause) PauseSet(true);
}

} // namespace

void PauseInit() {
    GameInputSetPaused(false);
    autoPause = SettingReadInt(pauseSettings, "autopause") != 0 ? 1 : 0;
    CommandSetPauseAction(PauseToggle);
    InputSetFocusLostHook(PauseOnFocusLost);
    SceneSetPausePass(PauseDraw);
}

void PauseSet(bool on) {
    if (on == (gameInput.state.paused != 0)) return;
    // A game is on while level >= 1; the only screen it can have open is the quit prompt, and
    // a player who looks away from that prompt is the case autopause is for.
    if (on && level < 1) return;
    GameInputSetPaused(on);
    if (on) InputRumbleStop();
}

void PauseToggle() {
    PauseSet(gameInput.state.paused == 0);
}

void PauseDraw() {
    if (!gameInput.state.paused || !largeFont) return;
    gl.Disable(GL_DEPTH_TEST);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Color3f(1.0f, 1.0f, 1.0f);
    const char* text = "Paused";
    TextFontDraw(largeFont, text, -TextFontWidth(largeFont, text) / 2.0f, PAUSE_TEXT_Y);
    gl.Enable(GL_DEPTH_TEST);
}
