// Game flow and the game slice.
#include "game/game.h"

#include "game/collision.h"
#include "game/thing.h"
#include "render/light.h"
#include "render/particle.h"
#include "render/scene.h"

int32_t arenaPosts = 10;
float arenaSize = 100.0f;
float arenaBound = 48.5f;
int32_t darkLevel = 0;

namespace {

constexpr float VIEWER_INTENSITY = 0.5f;
// The dark level's one faint, far light with a reach that covers the whole arena.
constexpr Vec3 DARK_LIGHT_POS = {500.0f, 50.0f, 25.0f};
constexpr float DARK_LIGHT_RADIUS = 1e8f;
constexpr float DARK_LIGHT_LEVEL = 0.08f;

void GameSceneLight() {
    if (darkLevel) {
        LightSetViewer(&cameraPos, 0.0f);
        LightCreate(&DARK_LIGHT_POS, DARK_LIGHT_RADIUS, DARK_LIGHT_LEVEL, DARK_LIGHT_LEVEL,
                    DARK_LIGHT_LEVEL);
    } else {
        LightSetViewer(&cameraPos, VIEWER_INTENSITY);
    }
}

} // namespace

void GameSlice(float dt) {
    LightClearAll();
    ThingUpdateAll(dt);
    CollideAll();
    ParticleUpdate(dt);
    GameSceneLight();
}
