// Shared set-up for the world and game tests: a scratch directory with a vantor.ini and small
// hand-made model files, the nine models, fresh thing, light and particle pools, commands, the
// GUI, a no-op GL table, a fixed random seed and the game state of a fresh program.
#pragma once

#include "console/gameinput.h"
#include "console/command.h"
#include "console/input.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "game/pause.h"
#include "game/player.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "test_util.h"
#include "ui/gui.h"

#include <gtest/gtest.h>

#include <string>

struct GameScope {
    ScratchDir dir;
    explicit GameScope(const std::string& ini = "") {
        WriteFile("vantor.ini", ini);
        // Tetrahedra of the radii the game's tests were worked out with.
        for (auto [name, r] :
             {std::pair{"bigrock", "2"}, {"medrock", "1"}, {"ship", "0.8"}, {"banner", "1"}}) {
            std::string text = "4\n0 R 0 0 0 R 0 0 0 0 0 0 R 0 0\n0 R 0 0 0 0 0 -R 0 0 R 0 0 0 0\n"
                               "0 R 0 0 0 0 0 R 0 0 0 0 -R 0 0\nR 0 0 0 0 0 0 -R 0 0 0 0 R 0 0\n";
            for (size_t at; (at = text.find('R')) != std::string::npos;)
                text.replace(at, 1, r);
            WriteFile(std::string("model/") + name + ".3d", text);
        }
        OpenGLInstallNoop(); // other tests rebuild these with tables and models of their own
        ModelInit();
        GuiInit();
        ThingInit();
        LightInit();
        ParticleInit();
        RandomSeed(1234);
        ResetState();
    }
    ~GameScope() {
        GuiInit();
        ThingKillAll();
        ThingUpdateAll(0.0f);
        LightClearAll();
        ParticleClearAll();
        ResetState();
    }
    // The state of a fresh program, through each module's own reset.
    static void ResetState() {
        GameReset();
        SceneReset();
        CommandInit();
        InputInit();
        gameInput.state.paused = 0;
    }
};

inline void GameStartLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    StartLevel(n);
}

// A level in play built by hand: the ship at the centre, nothing else unless the test adds it.
inline Thing* GameBareLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    return player = PlayerCreate();
}

inline void GameRun(int n, float dt) {
    for (int i = 0; i < n; i++)
        GameSlice(dt);
}

// The nth live thing (dead-flagged ones included) whose think callback is fn, and how many.
template <typename Fn> Thing* GameFindThink(Fn fn, int nth = 0) {
    for (int32_t i = 0; i < thingIndex.count; i++) {
        Thing* t = static_cast<Thing*>(thingIndex.items[i]);
        if (t->think == fn && nth-- == 0) return t;
    }
    return nullptr;
}

template <typename Fn> int GameCountThink(Fn fn) {
    int count = 0;
    while (GameFindThink(fn, count) != nullptr)
        count++;
    return count;
}

// A bounding sphere only: what the collision pass and the draw pass read of most models.
inline Model SphereModel(float radius) {
    Model m{};
    m.radius = radius;
    m.radiusSq = radius * radius;
    return m;
}

// One triangle in the z = 0 plane facing +z, its vertex normals equal to the face normal.
struct OneTriangleModel {
    ModelTriangle triangle{};
    Model model{};
    OneTriangleModel() {
        triangle.normal = {0.0f, 0.0f, 1.0f};
        const Vec3 corners[3] = {{-1.0f, -1.0f, 0.0f}, {1.0f, -1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
        for (int k = 0; k < 3; ++k)
            triangle.vertex[k] = {corners[k], {0.0f, 0.0f, 1.0f}, 0.0f, 0.0f};
        model = {.triangleCount = 1, .triangles = &triangle, .radius = 1.5f, .radiusSq = 2.25f};
    }
};
