// The results screen after a game.
#include "ui/results.h"

#include "audio/wave.h"
#include "console/bind.h"
#include "console/input.h"
#include "core/clock.h"
#include "core/log.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/hiscore.h"
#include "ui/screens.h"

#include <cmath>
#include <cstdio>
#include <cstring>

int32_t resultsShown = 0;

namespace {

const Setting RESULTS_SETTING_ROWS[] = {
    {"results", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(resultsShown); },
     [](double v) { ResultsSetShown(int32_t(v)); }},
};

} // namespace

const SettingTable resultsSettings = SettingTableOf("results", RESULTS_SETTING_ROWS);

namespace {

constexpr int32_t MENU_SOUND_VOLUME = 220;
// GUI space: the frame, the heading and the line under it, the rows (labels left, values ending at
// the right column), the note and the help line.
constexpr int32_t FRAME_X = 100, FRAME_Y = 108, FRAME_W = 440, FRAME_H = 300;
constexpr float HEADING_Y = 128.0f;
constexpr float SUBHEADING_Y = 152.0f;
constexpr float ROWS_Y = 180.0f;
constexpr float ROW_STEP = 24.0f;
constexpr float LABEL_X = 130.0f;
constexpr float VALUE_RIGHT = 510.0f;
constexpr float NOTE_Y = 334.0f;
constexpr float HELP_Y = 362.0f;
constexpr int32_t ROWS = 6;

float openedAt = 0.0f;

void Text(const TexFont* font, const char* text, float x, float y) {
    TextFontDraw(font, text, x, -y);
}

void Centred(const TexFont* font, const char* text, float y) {
    Text(font, text, GUI_WIDTH / 2.0f - TextFontWidth(font, text) / 2.0f, y);
}

bool FireKey(int32_t key) {
    const int32_t action = BindActionOfKey(key);
    return action >= 0 && std::strcmp(bindActions[action].command, "+attack") == 0;
}

bool GoesOn(const InputEvent* event) {
    const int32_t pad = InputPadAction(event);
    if (pad == INPUT_PAD_SOUTH || pad == INPUT_PAD_START) return true;
    if (event->key == KEY_TEXT) return false;
    if (event->device == INPUT_KEYBOARD && (event->key == KEY_ENTER || event->key == KEY_ESCAPE))
        return true;
    return FireKey(event->key);
}

// On to the name entry when the score makes the table, else the title menu beneath.
void ResultsClose() {
    GuiFreeLayer(ResultsScreen);
    Log(LOG_BOOT, "Results: closed\n");
    if (HiScoreQualifies(score)) GuiOpenScreen(NameEntryScreen);
}

void RowText(int32_t row, char* label, char* value, size_t size) {
    const GameStats& s = gameStats;
    switch (row) {
    case 0:
        std::snprintf(label, size, "Score");
        std::snprintf(value, size, "%06ld", static_cast<long>(score));
        break;
    case 1:
        std::snprintf(label, size, "Level reached");
        std::snprintf(value, size, "%ld", static_cast<long>(s.levelReached));
        break;
    case 2:
        std::snprintf(label, size, "Rocks destroyed");
        std::snprintf(value, size, "%ld", static_cast<long>(s.rocks));
        break;
    case 3:
        std::snprintf(label, size, "Saucers destroyed");
        std::snprintf(value, size, "%ld", static_cast<long>(s.saucers));
        break;
    case 4:
        std::snprintf(label, size, "Shots hit");
        if (s.shotsFired > 0)
            std::snprintf(value, size, "%ld of %ld, %ld%%", static_cast<long>(s.shotsHit),
                          static_cast<long>(s.shotsFired),
                          static_cast<long>(int64_t{s.shotsHit} * 100 / s.shotsFired));
        else
            std::snprintf(value, size, "none fired");
        break;
    default:
        std::snprintf(label, size, "Best score");
        std::snprintf(value, size, "%ld", static_cast<long>(hiScoreTable[0].score));
        break;
    }
}

void ResultsDraw() {
    char text[96], label[48], value[48];
    gl.Color3f(1.0f, 1.0f, 1.0f);
    Centred(largeFont, "Game Over", HEADING_Y);
    std::snprintf(text, sizeof(text), "%s, from level %ld",
                  GameDifficultyOf(gameStats.difficulty).name,
                  static_cast<long>(gameStats.firstLevel));
    Centred(smallFont, text, SUBHEADING_Y);
    for (int32_t row = 0; row < ROWS; ++row) {
        RowText(row, label, value, sizeof(label));
        const float y = ROWS_Y + ROW_STEP * static_cast<float>(row);
        Text(largeFont, label, LABEL_X, y);
        Text(largeFont, value, VALUE_RIGHT - TextFontWidth(largeFont, value), y);
    }
    const int32_t rank = HiScoreRankOf(score);
    if (rank >= 0) {
        if (rank == 0)
            std::snprintf(text, sizeof(text), "A new best score!");
        else
            std::snprintf(text, sizeof(text), "A high score: rank %ld",
                          static_cast<long>(rank) + 1);
        gl.Color3f(1.0f, 1.0f, 0.0f);
        Centred(largeFont, text, NOTE_Y);
        gl.Color3f(1.0f, 1.0f, 1.0f);
    }
    const int32_t left =
        static_cast<int32_t>(std::ceil(RESULTS_SECONDS - (ClockSeconds() - openedAt)));
    std::snprintf(text, sizeof(text), "Enter, fire or pad A to go on (%ld)",
                  static_cast<long>(left > 0 ? left : 0));
    Centred(smallFont, text, HELP_Y);
}

} // namespace

void ResultsSetShown(int32_t on) {
    resultsShown = on != 0 ? 1 : 0;
}

void ResultsOpen() {
    const GameStats& s = gameStats;
    char line[160];
    std::snprintf(line, sizeof(line),
                  "Results: score %ld level %ld rocks %ld saucers %ld shots %ld of %ld\n",
                  static_cast<long>(score), static_cast<long>(s.levelReached),
                  static_cast<long>(s.rocks), static_cast<long>(s.saucers),
                  static_cast<long>(s.shotsHit), static_cast<long>(s.shotsFired));
    Log(LOG_BOOT, "%s", line);
    GuiOpenScreen(ResultsScreen);
}

int32_t ResultsScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        openedAt = ClockSeconds();
        if (niceFx)
            GuiCreateButton(layer, FRAME_X, FRAME_Y, FRAME_W, FRAME_H, &textures[TEXTURE_BORDER2],
                            "");
        return 1;
    case GUI_DRAW:
        // The screen goes on by itself; it is drawn every frame, so this is its clock.
        if (ClockSeconds() - openedAt > RESULTS_SECONDS) {
            ResultsClose();
            return 1;
        }
        if (largeFont && smallFont) ResultsDraw();
        return 1;
    case GUI_INPUT:
        // Under the quit prompt the results wait: its keys are its own.
        if (!event || !(event->flags & INPUT_PRESS) || !layer->visible) return 0;
        if (GoesOn(event)) {
            WavePlay(SND_MENU, MENU_SOUND_VOLUME);
            ResultsClose();
        }
        return 1;
    default:
        return 0;
    }
}
