// Shared set-up for the game tests: a scratch directory with a vantor.ini and
// small hand-made model files, the nine models, fresh thing, light and particle
// pools, commands, the GUI, a no-op GL table, a fixed random seed and the game
// state of a fresh program.
#pragma once

#include "console/command.h"
#include "console/input.h"
#include "render/scene.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "game/player.h"
#include "game/thing.h"
#include "render/gl.h"
#include "render/light.h"
#include "game/pause.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "test_util.h"
#include "ui/gui.h"
#include "ui/screens.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <sys/stat.h>

// An octahedron of the given radius as model file text.
inline std::string GameOctahedronText(float r) {
    const float v[6][3] = {{r, 0, 0}, {-r, 0, 0}, {0, r, 0}, {0, -r, 0}, {0, 0, r}, {0, 0, -r}};
    const int faces[8][3] = {{0, 2, 4}, {4, 2, 1}, {1, 2, 5}, {5, 2, 0},
                             {4, 3, 0}, {1, 3, 4}, {5, 3, 1}, {0, 3, 5}};
    std::string text = "8\n";
    char line[128];
    for (const auto& f : faces)
        for (int k = 0; k < 3; k++) {
            std::snprintf(line, sizeof(line), "%g %g %g %g %g\n", v[f[k]][0], v[f[k]][1],
                          v[f[k]][2], 0.25 * k, 0.5);
            text += line;
        }
    return text;
}

struct GameScope {
    ScratchDir dir;
    explicit GameScope(const std::string& ini = "") {
        WriteFile("vantor.ini", ini);
        mkdir("model", 0755);
        WriteFile("model/bigrock.3d", GameOctahedronText(2.0f));
        WriteFile("model/medrock.3d", GameOctahedronText(1.0f));
        WriteFile("model/ship.3d", GameOctahedronText(0.8f));
        WriteFile("model/banner.3d", GameOctahedronText(1.0f));
        // Other tests rebuild these with models and tables of their own: start from ours.
        OpenGLInstallNoop();
        ModelInit();
        CommandInit();
        GuiInit();
        ThingInit();
        LightInit();
        ParticleInit();
        RandomSeed(1234);
        ResetState();
    }
    ~GameScope() {
        CloseScreens();
        ThingKillAll();
        ThingUpdateAll(0.0f);
        LightClearAll();
        ParticleClearAll();
        ResetState();
    }
    static void CloseScreens() {
        if (GuiFindScreen(NameEntryScreen) != nullptr) GuiFreeLayer(NameEntryScreen);
        if (GuiFindScreen(MenuScreen) != nullptr) GuiFreeLayer(MenuScreen);
    }
    // The state of a fresh program, through each module's own reset.
    static void ResetState() {
        GameReset();
        SceneReset();
        CommandInit();
        InputInit();
        gamePaused = 0;
    }
};

// Level n as a game reaches it: level set, ships left, then StartLevel.
inline void GameStartLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    StartLevel(n);
}

// Runs GameSlice n times with step dt.
inline void GameRun(int n, float dt) {
    for (int i = 0; i < n; i++)
        GameSlice(dt);
}

// Live things (dead-flagged ones included) whose think callback is fn: how many, and the nth.
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

// A level in play built by hand: the ship at the centre, nothing else unless
// the test adds it.
inline Thing* GameBareLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    darkLevel = (n % 4 == 3) ? 1 : 0;
    player = PlayerCreate();
    return player;
}
