// Shared set-up for the world engine tests: a scratch directory with a vantor.ini, fresh thing,
// light and particle pools, the camera at its start values, and hand-made models.
#pragma once

#include "game/game.h"
#include "game/thing.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <string>

struct WorldScope {
    ScratchDir dir;
    explicit WorldScope(const std::string& ini = "") {
        WriteFile("vantor.ini", ini);
        ThingInit();
        LightInit();
        ParticleInit();
        cameraPos = {0.0f, 0.0f, 0.0f};
        cameraYaw = 0.0f;
        cameraPitch = 0.0f;
        cameraRoll = 0.0f;
        fieldOfView = 90.0;
        darkLevel = 0;
        arenaBound = 48.5f;
    }
    ~WorldScope() {
        ThingKillAll();
        ThingUpdateAll(0.0f);
        LightClearAll();
        ParticleClearAll();
    }
};

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
            triangle.vertex[k].s = 0.25f * k;
            triangle.vertex[k].t = 0.5f;
        }
        model.triangleCount = 1;
        model.triangles = &triangle;
        model.radius = 1.5f;
        model.radiusSq = 2.25f;
    }
};
