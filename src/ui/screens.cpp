// The title menu, the quit prompt and the name entry: the keys that start a game, leave the
// program and record a high score.
#include "ui/screens.h"

#include "audio/wave.h"
#include "console/command.h"
#include "console/input.h"
#include "core/window.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/gamemenu.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "ui/options.h"
#include "ui/results.h"
#include "ui/titlechoice.h"

#include <cstdio>
#include <cstring>

int32_t highlightRank = -1;
GuiLayer* nameEdit = nullptr;

namespace {

constexpr int32_t MENU_SOUND_VOLUME = 220;
// The high-score list, in GUI space: the names' left edge, the scores' right edge (inside the
// frame, so that a 19-letter name ends before a score of up to nine digits begins), first row,
// row spacing.
constexpr float MENU_NAME_X = 204.0f;
constexpr float MENU_SCORE_RIGHT = 436.0f;
constexpr float MENU_LIST_TOP = 310.0f;
constexpr float MENU_ROW_STEP = 13.0f;
// The name entry: a box wide enough for a full name, the score and rank line below it, the pad
// help line below that.
constexpr int32_t NAME_BOX_X = 170, NAME_BOX_Y = 340, NAME_BOX_W = 300, NAME_BOX_H = 50;
constexpr float NAME_SCORE_Y = 400.0f;
constexpr float NAME_PAD_HELP_Y = 425.0f;
// The letters a pad cycles through under the cursor.
constexpr char PAD_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int32_t PAD_LETTER_COUNT = sizeof(PAD_LETTERS) - 1;

// The name entered last: the next name entry starts with it, so a returning player only confirms.
char lastEnteredName[HISCORE_NAME_SIZE] = "";
int32_t padLetter = 0; // index into PAD_LETTERS of the letter under the cursor

bool ScreenKeyPress(const InputEvent* event) {
    return event && (event->flags & INPUT_PRESS);
}

// A letter a screen asks for follows the layout: the character printed on the key.
bool ScreenLetter(const InputEvent* event, char letter) {
    return event->device == INPUT_KEYBOARD && event->key != KEY_TEXT && event->symbol == letter;
}

// The name entry's Enter (or a pad's Start): records the name and closes the screen.
void NameEntryCommit() {
    const size_t length = strnlen(nameEdit->text, sizeof(lastEnteredName) - 1);
    std::memcpy(lastEnteredName, nameEdit->text, length);
    lastEnteredName[length] = '\0';
    highlightRank = HiScoreInsert(nameEdit->text, score);
    HiScoreSave();
    GuiFreeLayer(NameEntryScreen);
}

// The name with a pad alone: up and down cycle the letter under the cursor, right or south takes
// it, left or east deletes, Start enters the name.
bool NameEntryPad(int32_t action) {
    size_t length = std::strlen(nameEdit->text);
    switch (action) {
    case INPUT_PAD_UP:
        padLetter = (padLetter + 1) % PAD_LETTER_COUNT;
        return true;
    case INPUT_PAD_DOWN:
        padLetter = (padLetter + PAD_LETTER_COUNT - 1) % PAD_LETTER_COUNT;
        return true;
    case INPUT_PAD_RIGHT:
    case INPUT_PAD_SOUTH:
        if (length < static_cast<size_t>(nameEdit->maxLength)) {
            nameEdit->text[length] = PAD_LETTERS[padLetter];
            nameEdit->text[length + 1] = '\0';
        }
        return true;
    case INPUT_PAD_LEFT:
    case INPUT_PAD_EAST:
        if (length > 0) nameEdit->text[length - 1] = '\0';
        return true;
    case INPUT_PAD_START:
        NameEntryCommit();
        return true;
    default:
        return false;
    }
}

// The score with the row it will take, and with a pad connected the letter under the cursor and
// what each button does.
void NameEntryDraw() {
    char text[64];
    int32_t rank = HiScoreRankOf(score);
    if (rank >= 0)
        std::snprintf(text, sizeof(text), "Score %06ld  Rank %ld", static_cast<long>(score),
                      static_cast<long>(rank) + 1);
    else
        std::snprintf(text, sizeof(text), "Score %06ld", static_cast<long>(score));
    gl.Color3f(1.0f, 1.0f, 1.0f);
    TextFontDraw(largeFont, text, GUI_WIDTH / 2.0f - TextFontWidth(largeFont, text) / 2.0f,
                 -NAME_SCORE_Y);
    if (InputPadCount() == 0 || !nameEdit) return;
    const char* help = "Pad: Up/Down letter  A/Right add  B/Left delete  Start done";
    TextFontDraw(smallFont, help, GUI_WIDTH / 2.0f - TextFontWidth(smallFont, help) / 2.0f,
                 -NAME_PAD_HELP_Y);
    if (std::strlen(nameEdit->text) >= static_cast<size_t>(nameEdit->maxLength)) return;
    float x = 0.0f, y = 0.0f;
    GuiEditCaret(nameEdit, &x, &y);
    const char letter[2] = {PAD_LETTERS[padLetter], '\0'};
    gl.Color3f(1.0f, 1.0f, 0.0f);
    TextFontDraw(largeFont, letter, x + 3.0f, -y);
    gl.Color3f(1.0f, 1.0f, 1.0f);
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
        TextFontDraw(smallFont, text, MENU_SCORE_RIGHT - TextFontWidth(smallFont, text), y);
    }
}

void MenuStartGame() {
    GuiFreeLayer(MenuScreen);
    NewGame();
    GameBeginBanner();
}

// The quit command: in a game the game menu when it is on; else the menu sound, then the prompt
// over whatever is on screen.
void ScreensQuitCommand() {
    if (GameMenuOpenInPlay()) return;
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    GuiOpenScreen(QuitScreen);
}

// The attract mode's title menu, no row highlighted.
void ScreensAttract() {
    ScreensClearHighlight();
    TitleChoiceShowTable();
    GuiOpenScreen(MenuScreen);
}

void ScreensGameOver(int32_t finalScore) {
    HiScoreSelect(gameStats.difficulty, gameStats.firstLevel);
    if (resultsShown)
        ResultsOpen(); // which opens the name entry in its turn
    else if (HiScoreQualifies(finalScore))
        GuiOpenScreen(NameEntryScreen);
}

constexpr GameScreens SCREENS_OF_THE_GAME = {TitleDraw, LevelBannerDraw, HudDraw, ScreensAttract,
                                             ScreensGameOver};

} // namespace

void ScreensInit() {
    CommandSetQuitAction(ScreensQuitCommand);
    GameSetScreens(&SCREENS_OF_THE_GAME);
    highlightRank = -1;
    nameEdit = nullptr;
    lastEnteredName[0] = '\0';
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
        TitleChoiceDraw();
        return 1;
    case GUI_INPUT:
        if (!ScreenKeyPress(event)) return 0;
        if (event->key == KEY_SPACE || InputPadAction(event) == INPUT_PAD_START) {
            MenuStartGame();
            return 1;
        }
        if (event->key == KEY_ESCAPE || InputPadAction(event) == INPUT_PAD_BACK) {
            WavePlay(SND_MENU, MENU_SOUND_VOLUME);
            GuiOpenScreen(QuitScreen);
            return 1;
        }
        // Only from the menu on screen: under the quit prompt the prompt comes first.
        if (layer->visible && OptionsKey(event) && OptionsOpen()) return 1;
        if (layer->visible && TitleChoiceKey(event)) return 1;
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
        if (ScreenLetter(event, 'y') || InputPadAction(event) == INPUT_PAD_SOUTH) {
            WindowPostQuit();
            return 1;
        }
        if (ScreenLetter(event, 'n') || event->key == KEY_ESCAPE ||
            InputPadAction(event) == INPUT_PAD_EAST || InputPadAction(event) == INPUT_PAD_BACK) {
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
        nameEdit = GuiCreateEdit(layer, NAME_BOX_X, NAME_BOX_Y, NAME_BOX_W, NAME_BOX_H,
                                 &textures[TEXTURE_OUTLINE], lastEnteredName);
        nameEdit->maxLength = HISCORE_NAME_SIZE - 1;
        GuiSetFocus(nameEdit);
        padLetter = 0;
        return 1;
    case GUI_DESTROY:
        nameEdit = nullptr;
        return 0;
    case GUI_DRAW:
        if (largeFont && smallFont) NameEntryDraw();
        return 1;
    case GUI_INPUT:
        // Under the quit prompt the name waits: Enter and the pad belong to the prompt.
        if (!ScreenKeyPress(event) || !nameEdit || !layer->visible) return 0;
        if (event->key == KEY_ENTER && event->device == INPUT_KEYBOARD) {
            NameEntryCommit();
            return 1;
        }
        return NameEntryPad(InputPadAction(event)) ? 1 : 0;
    default:
        return 0;
    }
}
