// The 2-D overlays: title text, level banner and heads-up display, in ClientRender's
// 640 x 480 space (origin at the centre, y up).
#include "ui/hud.h"

#include "console/bind.h"
#include "console/input.h"
#include "core/version.h"
#include "game/game.h"
#include "game/player.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/crosshair.h"
#include "ui/results.h"

#include <cmath>
#include <cstdio>

int32_t showFps = 0;
int32_t frameRate = 0;

namespace {

const Setting HUD_SETTING_ROWS[] = {
    {"fps", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER, [] { return double(showFps); },
     [](double v) { HudSetShowFps(int32_t(v)); }},
};

} // namespace

const SettingTable hudSettings = SettingTableOf("hud", HUD_SETTING_ROWS);

namespace {

constexpr const char* TITLE_CREDIT = "Skarnex3D team - every image, sound and line made in-house";
constexpr size_t TITLE_LINE_SIZE = 256;
constexpr size_t TITLE_LINE_CHARS = 58; // 8 units a character from x -315: left of x 150

// The controls lines name each action's first key as bound now; remade when the bindings change.
char titleControls[2][TITLE_LINE_SIZE];
uint32_t titleGeneration = 0;
bool titleMade = false;

// An action's first keyboard key (else its first key of any kind) as the player's keyboard shows
// it, or "-".
void FirstKey(int32_t action, char* out, size_t size) {
    int32_t key = -1;
    for (int32_t i = 0; i < BindActionKeyCount(action); ++i) {
        const int32_t k = BindActionKey(action, i);
        if (k < KEY_MOUSE1) {
            key = k;
            break;
        }
        if (key < 0) key = k;
    }
    if (key < 0)
        std::snprintf(out, size, "-");
    else
        InputKeyLabel(key, out, size);
}

void TitleMakeControls() {
    enum { LEFT, RIGHT, THRUST, BRAKE, FIRE, LOOK, PAUSE, SHOT, SMALLER, LARGER, QUIT, COUNT };
    char k[COUNT][32];
    for (int32_t a = 0; a < COUNT; ++a)
        FirstKey(a, k[a], sizeof(k[a]));
    std::snprintf(titleControls[0], TITLE_LINE_SIZE, "%s/%s turn, %s thrust, %s brakes, %s fires",
                  k[LEFT], k[RIGHT], k[THRUST], k[BRAKE], k[FIRE]);
    std::snprintf(titleControls[1], TITLE_LINE_SIZE,
                  "%s looks back, %s pauses, %s quits, O options", k[LOOK], k[PAUSE], k[QUIT]);
    // The lines end left of the HUD's score corner, which the name entry leaves free.
    for (char* line : titleControls)
        line[TITLE_LINE_CHARS] = '\0';
    titleGeneration = BindGeneration();
    titleMade = true;
}

// Common GL state: no depth test, optional alpha blending, identity model-view, white text.
void OverlayBegin(bool blend) {
    gl.Disable(GL_DEPTH_TEST);
    if (blend) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    // The 2-D pass may leave the projection matrix current; the overlay places text with the
    // model-view matrix.
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Color3f(1.0f, 1.0f, 1.0f);
}

// A corner item of the 640 x 480 layout moved out with its corner, so that on a screen that is not
// 4:3 it keeps its distance from the corner of the whole screen.
float HudCornerX(float x) {
    const float room = static_cast<float>(overlayExtent.halfWidth) - 320.0f;
    return x < 0.0f ? x - room : x + room;
}

float HudCornerY(float y) {
    const float room = static_cast<float>(overlayExtent.halfHeight) - 240.0f;
    return y < 0.0f ? y - room : y + room;
}

void OverlayEnd() {
    gl.Disable(GL_BLEND);
    gl.Enable(GL_DEPTH_TEST);
}

} // namespace

void HudSetShowFps(int32_t show) {
    showFps = show;
}

void HudSetFrameRate(int32_t fps) {
    frameRate = fps;
}

void TitleDraw() {
    OverlayBegin(niceFx != 0);
    TextFontDraw(smallFont, APP_BANNER, -315.0f, 235.0f);
    if (!titleMade || titleGeneration != BindGeneration()) TitleMakeControls();
    TextFontDraw(smallFont, titleControls[0], -315.0f, 223.0f);
    TextFontDraw(smallFont, titleControls[1], -315.0f, 211.0f);
    TextFontDraw(smallFont, TITLE_CREDIT, -315.0f, -223.0f);
    OverlayEnd();
}

void LevelBannerDraw() {
    char text[32];
    OverlayBegin(true);
    std::snprintf(text, sizeof(text), "Level %02ld", static_cast<long>(level));
    TextFontDraw(largeFont, text, -60.0f, 10.0f);
    OverlayEnd();
}

void HudDraw() {
    char text[32];
    OverlayBegin(niceFx != 0);
    CrosshairDraw();
    std::snprintf(text, sizeof(text), "Lives: %ld", static_cast<long>(lives));
    TextFontDraw(largeFont, text, HudCornerX(-315.0f), HudCornerY(235.0f));
    if (resultsShown) { // where the game stands: the level and the difficulty, under the ships
        std::snprintf(text, sizeof(text), "Level %ld  %s", static_cast<long>(level),
                      GameDifficultyRules().name);
        TextFontDraw(smallFont, text, HudCornerX(-315.0f), HudCornerY(215.0f));
    }
    if (lives < 1) TextFontDraw(largeFont, "Game Over", -60.0f, 10.0f);
    if (showFps) {
        std::snprintf(text, sizeof(text), "FPS: %ld", static_cast<long>(frameRate));
        TextFontDraw(largeFont, text, HudCornerX(-320.0f), HudCornerY(-220.0f));
    }
    if (weaponKind != WEAPON_NORMAL) {
        const int32_t icon = PlayerWeapon(weaponKind).hudIcon;
        if (icon >= 0) TextureDrawQuad(&textures[icon], HudCornerX(250.0f), HudCornerY(-200.0f));
        // Whole seconds rounded up: the count shows 1 in the last second, never 0 while it lasts.
        std::snprintf(text, sizeof(text), "%ld", static_cast<long>(std::ceil(weaponTimer)));
        TextFontDraw(largeFont, text, HudCornerX(290.0f), HudCornerY(-210.0f));
    }
    std::snprintf(text, sizeof(text), "Score: %06ld", static_cast<long>(score));
    TextFontDraw(largeFont, text, HudCornerX(160.0f), HudCornerY(235.0f));
    OverlayEnd();
}
