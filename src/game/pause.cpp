// Pause: the command, autopause on focus loss and the "Paused" line.
#include "game/pause.h"

#include "console/bind.h"
#include "console/command.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/ini.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"

#include <cstdio>
#include <cstring>

int32_t autoPause = 0;

namespace {

const Setting PAUSESETTINGS_ROWS[] = {
    {"autopause", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER, [] { return double(autoPause); },
     [](double v) { autoPause = v != 0.0 ? 1 : 0; }},
};

} // namespace

const SettingTable pauseSettings = SettingTableOf("pause", PAUSESETTINGS_ROWS);

namespace {

constexpr float PAUSE_TEXT_Y = 60.0f;  // above the level banner and "Game Over"
constexpr float PAUSE_HINT_GAP = 4.0f; // between "Paused" and the line naming the keys

bool keyHint = false;
// "P or Pad Start to go on": remade when the bindings or the pads change.
char hintText[96] = "";
uint32_t hintGeneration = 0;
int32_t hintPads = -1;

// The pause action's first keyboard key and, with a pad connected, its first pad control.
void PauseMakeHint() {
    hintGeneration = BindGeneration();
    hintPads = InputPadCount();
    int32_t action = -1;
    for (int32_t a = 0; a < BIND_ACTIONS; ++a)
        if (std::strcmp(bindActions[a].command, "pause") == 0) action = a;
    int32_t keyboard = -1, pad = -1;
    for (int32_t i = 0; i < BindActionKeyCount(action); ++i) {
        const int32_t key = BindActionKey(action, i);
        if (key < KEY_MOUSE1 && keyboard < 0) keyboard = key;
        if (key >= KEY_JOY1_BUTTON1 && key != KEY_TEXT && pad < 0) pad = key;
    }
    if (hintPads == 0) pad = -1;
    char first[32] = "", second[32] = "";
    if (keyboard >= 0) InputKeyLabel(keyboard, first, sizeof(first));
    if (pad >= 0) InputKeyLabel(pad, keyboard >= 0 ? second : first, sizeof(first));
    if (first[0] == '\0')
        hintText[0] = '\0';
    else if (second[0] == '\0')
        std::snprintf(hintText, sizeof(hintText), "%s to go on", first);
    else
        std::snprintf(hintText, sizeof(hintText), "%s or %s to go on", first, second);
}

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

void PauseSetKeyHint(bool shown) {
    keyHint = shown;
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
    if (keyHint && smallFont) {
        if (hintGeneration != BindGeneration() || hintPads != InputPadCount()) PauseMakeHint();
        TextFontDraw(smallFont, hintText, -TextFontWidth(smallFont, hintText) / 2.0f,
                     PAUSE_TEXT_Y - TextFontHeight(largeFont) - PAUSE_HINT_GAP);
    }
    gl.Enable(GL_DEPTH_TEST);
}
