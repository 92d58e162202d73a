// Models: the nine triangle meshes of the game, built once at start-up from text model files and
// from a latitude-longitude sphere, with face and smoothed vertex normals, texture coordinates, a
// bounding sphere and (the rail shot only) collision spheres. Never changed after start-up.
#pragma once

#include "foundation/vec.h"

#include <cstdint>

struct ModelVertex {
    Vec3 pos;
    Vec3 normal; // mean of the face normals of every triangle touching this position
    float s, t;
};

struct ModelTriangle {
    Vec3 normal; // unit face normal, (P1 - P0) x (P2 - P0)
    ModelVertex vertex[3];
};

struct Model {
    uint8_t hidden; // 1: ModelDraw draws nothing
    uint16_t triangleCount;
    ModelTriangle* triangles;
    float radius; // largest distance of any vertex from the origin; never lowered
    float radiusSq;
    char name[64];        // file name, or the built-in name of a generated model
    uint16_t pointCount;  // collision spheres (railShot only)
    Vec3* points;         // their centres in model space
    float* pointRadiusSq; // their squared radii
};

constexpr int MODEL_POOL_SIZE = 50;
constexpr int MODEL_FILE_MAX_TRIANGLES = 32767; // a model file's count is a signed 16-bit number
constexpr int MODEL_MAX_TRIANGLES = 65535;      // what triangleCount can hold
constexpr int MODEL_RAIL_POINT_COUNT = 9;

// The nine models, in build order.
extern Model* unitSphere;
extern Model* bigRock;
extern Model* explosionModel;
extern Model* backSphere;
extern Model* shipModel;
extern Model* medRock;
extern Model* bannerModel;
extern Model* saucerModel;
extern Model* railShotModel;

// Client start-up, after the texture font: clears the pool and builds the nine models in order.
// A missing or malformed model file ends the program with exit status 1.
void ModelInit();
// Recomputes face normals, vertex normals and (only ever raising it) the bounding radius.
void ModelFinish(Model* model);
// Unlit draw: white, one GL_TRIANGLES primitive of texture coordinates and positions. The caller
// has set the model-view matrix and bound the texture. Null or hidden models draw nothing.
void ModelDraw(const Model* model);

// Tests, fuzzing and the benchmark only (ModelInit builds the game's models with these):
// Releases what the pool's records own and clears the pool (the first step of ModelInit).
void ModelPoolClear();
// The next pool record (not cleared; ModelInit cleared the pool). Running out of the 50 records
// is fatal (exit status 1).
Model* ModelAlloc();
// Reads a text model: a triangle count 0..32767, then x y z s t for each of its 3N vertices.
// A missing file, a bad count, a missing number or text that is not a finite number ends the
// program with exit status 1 and a "ModelRead: <file> ..." line in the error log.
Model* ModelRead(const char* fileName);
// Sphere of the given radius from `stacks` bands of `slices` segments, bottom pole first;
// wrapPerQuad 0 wraps the texture once around, 1 shows it whole on every segment. Fewer than one
// slice or stack gives no triangles; more than MODEL_MAX_TRIANGLES is fatal.
Model* ModelCreateSphere(int32_t slices, int32_t stacks, float radius, int32_t wrapPerQuad);
// Multiply one coordinate of every vertex position by factor, then ModelFinish.
void ModelScaleX(Model* model, float factor);
void ModelScaleY(Model* model, float factor);
void ModelScaleZ(Model* model, float factor);
// Replaces every triangle by six around its centroid and edge midpoints, then ModelFinish.
// A result above MODEL_MAX_TRIANGLES is fatal (exit status 1).
void ModelSubdivide(Model* model);
