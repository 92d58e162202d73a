// Shared set-up for the world and game tests: a scratch directory with a vantor.ini and small
// hand-made model files, the nine models, fresh thing, light and particle pools, commands, the
// GUI, a no-op GL table, a fixed random seed and the game state of a fresh program.
#pragma once

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
#include "ui/screens.h"

#include <gtest/gtest.h>

#include <string>

// An octahedron of radius r as model file text (corner 2a + s lies at -s * r on axis a).
inline std::string GameOctahedronText(float r) {
    const int faces[8][3] = {{0, 2, 4}, {4, 2, 1}, {1, 2, 5}, {5, 2, 0},
                             {4, 3, 0}, {1, 3, 4}, {5, 3, 1}, {0, 3, 5}};
    std::string text = "8\n";
    for (const auto& f : faces)
        for (int k = 0; k < 3; k++) {
            float v[3] = {0, 0, 0};
            v[f[k] / 2] = f[k] % 2 ? -r : r;
            text += std::to_string(v[0]) + " " + std::to_string(v[1]) + " " +
                    std::to_string(v[2]) + " " + std::to_string(0.25f * k) + " 0.5\n";
        }
    return text;
}

struct GameScope {
    ScratchDir dir;
    explicit GameScope(const std::string& ini = "") {
        WriteFile("vantor.ini", ini);
        const char* names[] = {"bigrock", "medrock", "ship", "banner"};
        const float radii[] = {2.0f, 1.0f, 0.8f, 1.0f};
        for (int i = 0; i < 4; i++)
            WriteFile(std::string("model/") + names[i] + ".3d", GameOctahedronText(radii[i]));
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

// The camera at the origin looking down -z, level (the world engine tests place things by it).
inline void CameraAtOrigin() {
    cameraPos = {0.0f, 0.0f, 0.0f};
    cameraYaw = cameraPitch = cameraRoll = 0.0f;
}

// Level n as a game reaches it: level set, ships left, then StartLevel.
inline void GameStartLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    StartLevel(n);
}

inline void GameRun(int n, float dt) {
    for (int i = 0; i < n; i++)
        GameSlice(dt);
}

// Live things (dead-flagged ones included) whose think callback is fn: the nth, and how many.
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

// A level in play built by hand: the ship at the centre, nothing else unless the test adds it.
inline Thing* GameBareLevel(int32_t n, int32_t shipsLeft = 5) {
    level = n;
    lives = shipsLeft;
    darkLevel = (n % 4 == 3) ? 1 : 0;
    player = PlayerCreate();
    return player;
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
        for (int k = 0; k < 3; ++k) {
            triangle.vertex[k].pos = corners[k];
            triangle.vertex[k].normal = {0.0f, 0.0f, 1.0f};
        }
        model.triangleCount = 1;
        model.triangles = &triangle;
        model.radius = 1.5f;
        model.radiusSq = 2.25f;
    }
};
