// The cockpit crosshair: the aim point projected through the camera into the 2-D pass.
#include "ui/crosshair.h"

#include "console/gameinput.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/scene.h"

#include <initializer_list>

int32_t crosshairShown = 0;

namespace {

const Setting CROSSHAIR_SETTING_ROWS[] = {
    {"crosshair", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER,
     [] { return double(crosshairShown); }, [](double v) { CrosshairSetShown(int32_t(v)); }},
};

} // namespace

const SettingTable crosshairSettings = SettingTableOf("crosshair", CROSSHAIR_SETTING_ROWS);

namespace {

// Four strokes around an open centre, so the cross never hides what it aims at.
constexpr float CROSS_GAP = 3.0f;
constexpr float CROSS_REACH = 10.0f;
constexpr float CROSS_LINE_WIDTH = 2.0f; // pixels

} // namespace

void CrosshairInit() {
    CrosshairSetShown(SettingReadInt(crosshairSettings, "crosshair"));
}

void CrosshairSetShown(int32_t shown) {
    crosshairShown = shown != 0 ? 1 : 0;
}

void CrosshairDraw() {
    // An exploding ship (lifetime counting) aims nowhere.
    if (!crosshairShown || level < 1 || GameInputCameraMode() != CAMERA_MODE_COCKPIT ||
        !GamePlayerPresent() || player->lifetime > 0.0f)
        return;
    Vec3 aim = {0.0f, 0.0f, CROSSHAIR_AIM_DISTANCE};
    VecRotateY(&aim, player->yaw);
    VecAdd(&aim, &player->pos);
    float x = 0.0f, y = 0.0f;
    if (!SceneProjectToOverlay(&aim, &x, &y)) return;
    gl.Disable(GL_TEXTURE_2D);
    gl.Color3f(0.6f, 1.0f, 0.6f);
    gl.LineWidth(CROSS_LINE_WIDTH);
    gl.Begin(GL_LINES);
    for (const float sign : {-1.0f, 1.0f}) {
        gl.Vertex3f(x + sign * CROSS_GAP, y, 0.0f);
        gl.Vertex3f(x + sign * CROSS_REACH, y, 0.0f);
        gl.Vertex3f(x, y + sign * CROSS_GAP, 0.0f);
        gl.Vertex3f(x, y + sign * CROSS_REACH, 0.0f);
    }
    gl.End();
    gl.LineWidth(1.0f);
    gl.Color3f(1.0f, 1.0f, 1.0f);
}
