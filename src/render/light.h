// Lights: short-lived coloured point lights dropped by moving things every game slice, the viewer
// light at the camera, and the software-lit model draw. GL lighting is never enabled: the lit draw
// picks the few lights nearest a thing and sends a colour with every vertex.
#pragma once

#include "core/settings.h"

#include "foundation/index.h"
#include "foundation/vec.h"

#include <cstdint>

struct Model;

constexpr int32_t LIGHT_MAX = 100;
constexpr int32_t LIGHT_MAX_PER_THING = 4;
// One vertex of a lit draw as LightDrawModel hands it to GL (client arrays, GL_FLOAT).
struct LightVertex {
    float s, t;
    float red, green, blue;
    float x, y, z;
};
// Vertices sent in one draw call; a model with more facing triangles takes several.
constexpr int32_t LIGHT_BATCH_VERTICES = 3072;

struct Light {
    Vec3 pos;
    float radius;           // reach as a squared distance: radius 49 reaches 7 units; never 0
    float invRadius;        // 1 / radius
    float red, green, blue; // above 1 brightens
    Vec3 dir;      // lit-draw scratch: offset from the thing, then unit direction in model space
    float sortKey; // lit-draw scratch: squared distance from the thing / radius
};

extern Light lightList[LIGHT_MAX];
extern Index lightIndex;     // the lights of the current slice
extern Index lightFreeIndex; // free records
extern Index lightSortIndex; // the lights chosen for the thing being drawn, nearest by reach first
extern Light viewerLight;    // at the camera; only pos and colour are used
extern Vec3 viewerDir;       // lit-draw scratch: unit direction to the viewer in model space
// vantor.ini "lights": dynamic lights that may light one thing, 0..4 (0 = none).
extern int32_t lights;
// vantor.ini "gamma": multiplies every light's contribution.
extern float lightGamma;

// Start-up: the pool, the three indexes and the two settings. Running it again empties the pool.
void LightInit();
// LightAlloc, appended to this slice's lights.
Light* LightAdd();
// A light of this slice at pos with the given reach (squared distance, not 0) and colour.
Light* LightCreate(const Vec3* pos, float radius, float red, float green, float blue);
// Returns every light of the slice to the pool; the game slice calls it first.
void LightClearAll();
// Moves the viewer light to pos with a grey of the given intensity.
void LightSetViewer(const Vec3* pos, float intensity);
// Ascending sortKey.
int LightCompareKey(const Index* index, const void* a, const void* b);
// What the lit draw needs of the object it lights: a thing of the game, which sits above.
struct LightSubject {
    const Model* model;
    Vec3 pos;
    float pitch, yaw, roll; // degrees: the model's rotation, in this order
    bool flat;              // flat shading: the face normal for every vertex
    bool dynamic;           // lit by this slice's lights too, not only by the viewer light
};
// The lit model draw of an object whose transform is on the model-view matrix and whose texture
// is bound. Culls triangles facing away from the viewer; leaves face culling enabled.
void LightDrawModel(const LightSubject* subject);

// vantor.ini lights and gamma.
extern const SettingTable lightSettings;

// Tests only (LightAdd takes records through it):
// A free record, not yet in lightIndex. Exit 1 when all 100 are taken.
Light* LightAlloc();
