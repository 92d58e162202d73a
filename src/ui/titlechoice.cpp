// The title menu's difficulty line and the name of the high-score table it shows.
#include "ui/titlechoice.h"

#include "audio/wave.h"
#include "console/input.h"
#include "core/ini.h"
#include "core/inifile.h"
#include "core/log.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/textfont.h"
#include "ui/gui.h"
#include "ui/hiscore.h"
#include "ui/screens.h"

#include <algorithm>
#include <cstdio>

int32_t titleDifficulty = 0;

static_assert(HISCORE_EASY == GAME_DIFFICULTY_EASY, "the Easy table is the Easy game's");

namespace {

const Setting TITLE_CHOICE_SETTING_ROWS[] = {
    {"titlediff", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(titleDifficulty); },
     [](double v) { TitleChoiceSetEnabled(int32_t(v)); }},
};

} // namespace

const SettingTable titleChoiceSettings = SettingTableOf("titlechoice", TITLE_CHOICE_SETTING_ROWS);

namespace {

constexpr int32_t MENU_SOUND_VOLUME = 220;
// GUI space: the table's name just above the list's frame, the difficulty line between the list
// and "Press Spacebar to Play!".
constexpr float TABLE_NAME_Y = 274.0f;
constexpr float DIFFICULTY_Y = 398.0f;

// The choice whose table the title last turned to: the options may change it under the title.
int32_t shownDifficulty = 0;
int32_t shownFirstLevel = 1;

void Centred(const TexFont* font, const char* text, float y) {
    TextFontDraw(font, text, GUI_WIDTH / 2.0f - TextFontWidth(font, text) / 2.0f, -y);
}

// -1, +1, or 0 for a press that does not step the difficulty.
int32_t StepOf(const InputEvent* event) {
    if (!event || !(event->flags & INPUT_PRESS)) return 0;
    const int32_t pad = InputPadAction(event);
    if (pad == INPUT_PAD_LEFT) return -1;
    if (pad == INPUT_PAD_RIGHT) return 1;
    if (event->device != INPUT_KEYBOARD) return 0;
    if (event->key == KEY_LEFT) return -1;
    if (event->key == KEY_RIGHT) return 1;
    return 0;
}

// The choice outlives the run, as the options' would: `diff` is rewritten in vantor.ini.
void SaveDifficulty(int32_t chosen) {
    char value[16];
    std::snprintf(value, sizeof(value), "%ld", static_cast<long>(chosen));
    const IniChange change = {"diff", value, false,
                              "difficulty: 0 standard to 3 hardest; -1 easy where easy = 1"};
    char reason[128];
    IniWrite(INI_FILE, &change, 1, reason, sizeof(reason)); // a failure is on the error log
}

} // namespace

void TitleChoiceSetEnabled(int32_t on) {
    titleDifficulty = on != 0 ? 1 : 0;
}

void TitleChoiceShowTable() {
    shownDifficulty = GameDifficultyLevel();
    shownFirstLevel = startLevel;
    HiScoreSelect(shownDifficulty, shownFirstLevel);
}

bool TitleChoiceKey(const InputEvent* event) {
    const int32_t step = titleDifficulty ? StepOf(event) : 0;
    if (step == 0) return false;
    const int32_t now = GameDifficultyLevel();
    const int32_t chosen =
        std::clamp(now + step, GameDifficultyLowest(), GAME_DIFFICULTY_LEVELS - 1);
    if (chosen == now) return true; // at the end of the range: nothing more that way
    GameSetDifficulty(chosen);
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    char line[64];
    std::snprintf(line, sizeof(line), "Title: difficulty %s\n", GameDifficultyOf(chosen).name);
    Log(LOG_BOOT, "%s", line);
    SaveDifficulty(chosen);
    TitleChoiceShowTable();
    return true;
}

void TitleChoiceDraw() {
    if (!smallFont || !largeFont || !(hiScoreTables || titleDifficulty)) return;
    // A choice made in the options over the title: its table, no longer the last game's row.
    if (hiScoreTables &&
        (GameDifficultyLevel() != shownDifficulty || startLevel != shownFirstLevel)) {
        TitleChoiceShowTable();
        ScreensClearHighlight();
    }
    char text[96];
    gl.Color3f(1.0f, 1.0f, 1.0f);
    if (hiScoreTables) {
        std::snprintf(text, sizeof(text), "High scores: %s, from level %ld",
                      GameDifficultyOf(hiScoreDifficulty).name,
                      static_cast<long>(hiScoreFirstLevel));
        Centred(smallFont, text, TABLE_NAME_Y);
    }
    if (titleDifficulty) {
        const int32_t now = GameDifficultyLevel();
        std::snprintf(text, sizeof(text), "Difficulty: %s %s %s",
                      now > GameDifficultyLowest() ? "<" : " ", GameDifficultyOf(now).name,
                      now < GAME_DIFFICULTY_LEVELS - 1 ? ">" : " ");
        Centred(largeFont, text, DIFFICULTY_Y);
    }
}
