// Title demos: the idle timer on the title, the demos in turn, and the way back to the title.
#include "app/titledemo.h"

#include "app/demo.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/log.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "ui/gui.h"
#include "ui/hud.h"
#include "ui/screens.h"

#include <algorithm>
#include <iterator>

int32_t attractSeconds = 0;

namespace {

const Setting TITLE_DEMO_SETTING_ROWS[] = {
    {"attract", SETTING_INT, 0, nullptr, 0, TITLE_DEMO_MAX_SECONDS, SETTING_PLAYER,
     [] { return double(attractSeconds); },
     [](double v) { TitleDemoSetSeconds(static_cast<int32_t>(v)); }},
};

} // namespace

const SettingTable titleDemoSettings = SettingTableOf("titledemo", TITLE_DEMO_SETTING_ROWS);

namespace {

// The demos shipped in data/demos, in the order they play.
constexpr const char* TITLE_DEMOS[] = {"early", "dark"};
constexpr int32_t TITLE_DEMO_COUNT = static_cast<int32_t>(std::size(TITLE_DEMOS));
// The overlay's lines: the game's name twice the large font's size below the title's text lines,
// "Demo" in the top right corner of the 640 x 480 layout, the press line where the title menu
// asks for Space.
constexpr const char* GAME_NAME = "Skarnex3D";
constexpr float NAME_SCALE = 2.0f; // whole texels: the font stays sharp
constexpr float NAME_TOP = 190.0f;
constexpr float DEMO_LABEL_RIGHT = 315.0f;
constexpr float DEMO_LABEL_Y = 235.0f;
constexpr float PRESS_LINE_Y = -190.0f;

bool playing = false;
bool pressed = false; // a press came while the demo played: the title takes over
float idleSeconds = 0.0f;
int32_t nextDemo = 0;
bool unplayable[TITLE_DEMO_COUNT] = {};
int32_t keptRumble = 1; // the player's rumble setting: no pad shakes for a demo's hits

// Every press is seen here before anything else: on the title it restarts the idle time, during a
// demo it ends the demo and goes no further (nor do releases, so no key reaches the demo's game).
// The screenshot key still takes its picture.
int TitleDemoFilter(const InputEvent* event) {
    const bool press = (event->flags & INPUT_PRESS) && event->key != KEY_TEXT;
    if (!playing) {
        if (press) idleSeconds = 0.0f;
        return 0;
    }
    if (DemoScreenshotKey(event)) return 0;
    if (press) pressed = true;
    return 1;
}

bool ControlHeld() {
    for (int32_t c = 0; c < CONTROL_COUNT; ++c)
        if (GameInputHeld(static_cast<GameControl>(c))) return true;
    return false;
}

// The title menu on top of everything, and nothing else going on.
bool TitleIdle() {
    const GuiLayer* top = GuiTopScreen();
    return level == 0 && top && top->callback == MenuScreen && !DemoBusy() && !ControlHeld();
}

void TitleDemoStartNext() {
    for (int32_t n = 0; n < TITLE_DEMO_COUNT; ++n) {
        const int32_t i = (nextDemo + n) % TITLE_DEMO_COUNT;
        if (unplayable[i]) continue;
        nextDemo = (i + 1) % TITLE_DEMO_COUNT;
        if (!DemoTitleStart(TITLE_DEMOS[i])) { // the demo module said why
            unplayable[i] = true;
            Log(LOG_BOOT, "Attract demo: %s cannot play, left out\n", TITLE_DEMOS[i]);
            return;
        }
        playing = true;
        pressed = false;
        keptRumble = rumbleEnabled;
        InputSetRumble(0);
        Log(LOG_BOOT, "Attract demo: %s\n", TITLE_DEMOS[i]);
        return;
    }
}

// The title as a game's end leaves it: whatever screen the demo's game opened (the name entry
// after its last ship) closed first, the title scene and menu afresh.
void TitleDemoReturn(const char* why) {
    DemoTitleStop();
    InputSetRumble(keptRumble);
    playing = false;
    pressed = false;
    idleSeconds = 0.0f;
    while (const GuiLayer* top = GuiTopScreen())
        GuiFreeLayer(top->callback);
    AttractMode();
    Log(LOG_BOOT, "Attract demo ended: %s\n", why);
}

} // namespace

void TitleDemoSetSeconds(int32_t seconds) {
    attractSeconds = std::clamp(seconds, 0, TITLE_DEMO_MAX_SECONDS);
}

void TitleDemoInit() {
    const int32_t seconds = SettingReadInt(titleDemoSettings, "attract");
    TitleDemoSetSeconds(seconds);
    if (attractSeconds != seconds)
        Log(LOG_ERROR, "TitleDemoInit: attract is 0 (never) to %ld seconds, %ld taken as %ld\n",
            static_cast<long>(TITLE_DEMO_MAX_SECONDS), static_cast<long>(seconds),
            static_cast<long>(attractSeconds));
    playing = false;
    pressed = false;
    idleSeconds = 0.0f;
    nextDemo = 0;
    for (bool& u : unplayable)
        u = false;
    if (!DemoPlaying()) InputSetFilter(TitleDemoFilter); // a playdemo keeps its own
}

void TitleDemoFrameEnd(float dt, bool seen) {
    if (playing) {
        if (pressed)
            TitleDemoReturn("a press");
        else if (DemoTitleOver())
            TitleDemoReturn("its end");
        else if (!seen)
            TitleDemoReturn("out of sight");
        else
            SceneSetOverlay(TitleDemoDraw); // over the banner and HUD the demo's game installs
        return;
    }
    if (attractSeconds <= 0 || !seen || !TitleIdle()) {
        idleSeconds = 0.0f;
        return;
    }
    idleSeconds += dt;
    if (idleSeconds < static_cast<float>(attractSeconds)) return;
    idleSeconds = 0.0f;
    TitleDemoStartNext();
}

bool TitleDemoPlaying() {
    return playing;
}

void TitleDemoDraw() {
    TitleDraw();
    if (!largeFont) return;
    gl.Disable(GL_DEPTH_TEST);
    if (niceFx) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Color3f(1.0f, 1.0f, 1.0f);
    const char* label = "Demo";
    TextFontDraw(largeFont, label, DEMO_LABEL_RIGHT - TextFontWidth(largeFont, label),
                 DEMO_LABEL_Y);
    const char* press = "Press any key";
    TextFontDraw(largeFont, press, -TextFontWidth(largeFont, press) / 2.0f, PRESS_LINE_Y);
    gl.Scalef(NAME_SCALE, NAME_SCALE, 1.0f);
    TextFontDraw(largeFont, GAME_NAME, -TextFontWidth(largeFont, GAME_NAME) / 2.0f,
                 NAME_TOP / NAME_SCALE);
    gl.LoadIdentity();
    gl.Disable(GL_BLEND);
    gl.Enable(GL_DEPTH_TEST);
}
