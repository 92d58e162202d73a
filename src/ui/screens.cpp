// The title menu, the quit prompt and the name entry: the keys that start a game, leave the
// program and record a high score.
#include "ui/screens.h"

#include "audio/wave.h"
#include "console/command.h"
#include "console/input.h"
#include "core/app.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/hiscore.h"
#include "ui/hud.h"

#include <cstdio>

int32_t highlightRank = -1;
GuiLayer* nameEdit = nullptr;

namespace {

constexpr int32_t MENU_SOUND_VOLUME = 220;
// The high-score list, in GUI space: name and score columns, first row, row spacing.
constexpr float MENU_NAME_X = 220.0f;
constexpr float MENU_SCORE_X = 372.0f;
constexpr float MENU_LIST_TOP = 310.0f;
constexpr float MENU_ROW_STEP = 13.0f;

bool ScreenKeyPress(const InputEvent* event) {
    return event && (event->flags & INPUT_PRESS);
}

void MenuDrawScores() {
    char text[32];
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        if (i == highlightRank)
            gl.Color3f(1.0f, 1.0f, 0.0f);
        else
            gl.Color3f(1.0f, 1.0f, 1.0f);
        float y = -MENU_LIST_TOP - MENU_ROW_STEP * static_cast<float>(i);
        TextFontDraw(smallFont, hiScoreTable[i].name, MENU_NAME_X, y);
        std::snprintf(text, sizeof(text), "%ld", static_cast<long>(hiScoreTable[i].score));
        TextFontDraw(smallFont, text, MENU_SCORE_X, y);
    }
}

void MenuStartGame() {
    GuiFreeLayer(MenuScreen);
    NewGame();
    GameBeginBanner();
}

// The quit command: the menu sound, then the prompt over whatever is on screen.
void ScreensQuitCommand() {
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    GuiOpenScreen(QuitScreen);
}

} // namespace

void ScreensInit() {
    CommandSetQuitAction(ScreensQuitCommand);
    highlightRank = -1;
    nameEdit = nullptr;
}

void ScreensClearHighlight() {
    highlightRank = -1;
}

int32_t MenuScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        if (niceFx) // a frame around the high-score list
            GuiCreateButton(layer, 192, 290, 256, 100, &textures[TEXTURE_BORDER2], "");
        // Size 0: the label is centred on the point.
        GuiCreateButton(layer, 320, 440, 0, 0, nullptr, "Press Spacebar to Play!");
        return 1;
    case GUI_DRAW:
        MenuDrawScores();
        return 1;
    case GUI_INPUT:
        if (!ScreenKeyPress(event)) return 0;
        if (event->key == KEY_SPACE) {
            MenuStartGame();
            return 1;
        }
        if (event->key == KEY_ESCAPE) {
            WavePlay(SND_MENU, MENU_SOUND_VOLUME);
            GuiOpenScreen(QuitScreen);
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

int32_t QuitScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        GuiCreateButton(layer, 220, 350, 200, 50, &textures[TEXTURE_METAL], "Quit? [Y/N]");
        return 1;
    case GUI_INPUT:
        if (!ScreenKeyPress(event)) return 0;
        if (event->key == 'y') {
            AppPostQuit();
            return 1;
        }
        if (event->key == 'n' || event->key == KEY_ESCAPE) {
            WavePlay(SND_MENU, MENU_SOUND_VOLUME);
            GuiFreeLayer(QuitScreen);
            return 1;
        }
        // Everything else goes on, so the flight keys keep working under the prompt.
        return 0;
    default:
        return 0;
    }
}

int32_t NameEntryScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        GuiCreateButton(layer, 150, 270, 340, 50, &textures[TEXTURE_BUTTON2],
                        "Please Enter your Name");
        nameEdit = GuiCreateEdit(layer, 220, 340, 200, 50, &textures[TEXTURE_OUTLINE], "");
        GuiSetFocus(nameEdit);
        return 1;
    case GUI_DESTROY:
        nameEdit = nullptr;
        return 0;
    case GUI_INPUT:
        if (!ScreenKeyPress(event) || event->key != KEY_ENTER || !nameEdit) return 0;
        highlightRank = HiScoreInsert(nameEdit->text, score);
        HiScoreSave();
        GuiFreeLayer(NameEntryScreen);
        return 1;
    default:
        return 0;
    }
}
