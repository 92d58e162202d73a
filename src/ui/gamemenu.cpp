// The game menu over a held game: its four items, the keys, the mouse and the pad.
#include "ui/gamemenu.h"

#include "audio/wave.h"
#include "console/bind.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/log.h"
#include "core/window.h"
#include "game/game.h"
#include "game/pause.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/options.h"

#include <cmath>
#include <cstring>

int32_t gameMenuEnabled = 0;

namespace {

const Setting GAME_MENU_SETTING_ROWS[] = {
    {"gamemenu", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(gameMenuEnabled); },
     [](double v) { GameMenuSetEnabled(int32_t(v)); }},
};

} // namespace

const SettingTable gameMenuSettings = SettingTableOf("gamemenu", GAME_MENU_SETTING_ROWS);

namespace {

enum Item : int32_t { ITEM_RESUME, ITEM_OPTIONS, ITEM_TITLE, ITEM_DESKTOP, ITEM_COUNT };
constexpr const char* ITEM_LABELS[ITEM_COUNT] = {"Resume", "Options", "Quit to the title",
                                                 "Quit to the desktop"};

// GUI space (y downward): a panel in the middle, under "Paused" and the line naming its keys.
constexpr float PANEL_X = 180.0f, PANEL_Y = 222.0f, PANEL_W = 280.0f, PANEL_H = 136.0f;
constexpr float ITEMS_TOP = 238.0f;
constexpr float ROW_H = 26.0f;
constexpr float ROW_LEFT = PANEL_X + 14.0f, ROW_RIGHT = PANEL_X + PANEL_W - 14.0f;
constexpr int32_t MENU_SOUND_VOLUME = 220;

bool (*menuBlocked)() = nullptr;
int32_t selected = ITEM_RESUME;
bool heldBefore = false; // the player had paused the game before the menu opened
GuiLayer frame = {};     // the panel's textured frame, drawn over its dark fill

bool IsAction(int32_t action, const char* command) {
    return action >= 0 && std::strcmp(bindActions[action].command, command) == 0;
}

// Resume (the game goes on unless the player had paused it), or goOn: it goes on anyway.
void Close(bool goOn) {
    GuiFreeLayer(GameMenuScreen);
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    if (goOn || !heldBefore) PauseSet(false);
}

void Activate(int32_t item) {
    switch (item) {
    case ITEM_RESUME:
        Close(false);
        break;
    case ITEM_OPTIONS:
        OptionsOpen(); // over the menu; leaving them shows it again
        break;
    case ITEM_TITLE:
        GuiFreeLayer(GameMenuScreen);
        PauseSet(false); // the title's rocks move
        WavePlay(SND_MENU, MENU_SOUND_VOLUME);
        Log(LOG_BOOT, "Game menu: back to the title\n");
        GameQuit();
        break;
    case ITEM_DESKTOP:
        WindowPostQuit();
        break;
    default:
        break;
    }
}

int32_t ItemAt(float x, float y) {
    if (x < ROW_LEFT || x > ROW_RIGHT || y < ITEMS_TOP) return -1;
    const int32_t row = static_cast<int32_t>(std::floor((y - ITEMS_TOP) / ROW_H));
    return row < ITEM_COUNT ? row : -1;
}

void Hover(const InputEvent* event) {
    float x = 0.0f, y = 0.0f;
    if (!GuiMousePoint(event, &x, &y)) return;
    if (const int32_t item = ItemAt(x, y); item >= 0) selected = item;
}

void Click(const InputEvent* event) {
    if (event->key == KEY_MOUSE2) {
        Close(false);
        return;
    }
    float x = 0.0f, y = 0.0f;
    if (event->key != KEY_MOUSE1 || !GuiMousePoint(event, &x, &y)) return;
    if (const int32_t item = ItemAt(x, y); item >= 0) {
        selected = item;
        Activate(item);
    }
}

// A press on the menu; false lets it go on (the screenshot key).
bool Press(const InputEvent* event) {
    if (event->device == INPUT_MOUSE) {
        Click(event);
        return true;
    }
    const int32_t pad = InputPadAction(event);
    const int32_t action = BindActionOfKey(event->key);
    if (IsAction(action, "screenshot")) return false;
    if (event->key == KEY_ESCAPE || pad == INPUT_PAD_BACK || pad == INPUT_PAD_EAST ||
        IsAction(action, "quit"))
        Close(false);
    else if (pad == INPUT_PAD_START || IsAction(action, "pause"))
        Close(true);
    else if (event->key == KEY_UP || pad == INPUT_PAD_UP)
        selected = (selected + ITEM_COUNT - 1) % ITEM_COUNT;
    else if (event->key == KEY_DOWN || pad == INPUT_PAD_DOWN)
        selected = (selected + 1) % ITEM_COUNT;
    else if (event->key == KEY_ENTER || event->key == KEY_SPACE || pad == INPUT_PAD_SOUTH)
        Activate(selected);
    else if (OptionsKey(event))
        OptionsOpen();
    return true; // nothing flies the ship under the menu
}

void Draw() {
    // A dark fill first, so the banner or "Game Over" behind does not show through the frame.
    gl.Color4f(0.02f, 0.03f, 0.08f, 0.85f);
    GuiQuad(PANEL_X, PANEL_Y, PANEL_X + PANEL_W, PANEL_Y + PANEL_H);
    GuiDrawLayer(&frame);
    for (int32_t i = 0; i < ITEM_COUNT; ++i) {
        const float top = ITEMS_TOP + ROW_H * static_cast<float>(i);
        if (i == selected) {
            if (niceFx)
                gl.Color4f(0.2f, 0.35f, 0.8f, 0.45f);
            else
                gl.Color3f(0.1f, 0.18f, 0.4f);
            GuiQuad(ROW_LEFT, top, ROW_RIGHT, top + ROW_H);
            gl.Color3f(1.0f, 1.0f, 0.0f);
        } else {
            gl.Color3f(1.0f, 1.0f, 1.0f);
        }
        const char* label = ITEM_LABELS[i];
        TextFontDraw(largeFont, label, GUI_WIDTH / 2.0f - TextFontWidth(largeFont, label) / 2.0f,
                     -(top + (ROW_H - TextFontHeight(largeFont)) / 2.0f));
    }
    gl.Color3f(1.0f, 1.0f, 1.0f);
}

} // namespace

void GameMenuInit() {
    GameMenuSetEnabled(SettingReadInt(gameMenuSettings, "gamemenu"));
}

void GameMenuSetEnabled(int32_t enabled) {
    gameMenuEnabled = enabled != 0 ? 1 : 0;
}

void GameMenuSetBlocked(bool (*blocked)()) {
    menuBlocked = blocked;
}

bool GameMenuOpenInPlay() {
    if (!gameMenuEnabled || level < 1 || (menuBlocked && menuBlocked())) return false;
    if (GuiFindScreen(GameMenuScreen)) return true;
    heldBefore = gameInput.state.paused != 0;
    PauseSet(true);
    GuiOpenScreen(GameMenuScreen);
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    Log(LOG_BOOT, "Game menu opened\n");
    return true;
}

int32_t GameMenuScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        selected = ITEM_RESUME;
        frame = {};
        frame.kind = GUI_BUTTON;
        frame.visible = 1;
        frame.x = static_cast<int32_t>(PANEL_X);
        frame.y = static_cast<int32_t>(PANEL_Y);
        frame.w = static_cast<int32_t>(PANEL_W);
        frame.h = static_cast<int32_t>(PANEL_H);
        frame.texture = &textures[TEXTURE_BORDER2];
        return 1;
    case GUI_DRAW:
        if (largeFont) Draw();
        return 1;
    case GUI_INPUT:
        // Under the options the menu waits; their releases go on through it.
        if (!layer->visible) return 0;
        if (event->key == KEY_TEXT) return 1;
        if (!(event->flags & INPUT_PRESS)) {
            if (event->key == KEY_MOUSE_MOTION) Hover(event);
            return 0; // releases go on, so nothing stays held
        }
        return Press(event) ? 1 : 0;
    default:
        return 0;
    }
}
