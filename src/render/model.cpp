// Models: a pool of 50 mesh records, the text model reader, the sphere builder and the mesh
// operations every builder finishes with.
#include "render/model.h"

#include "core/fatal.h"
#include "core/log.h"
#include "render/gl.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

Model* unitSphere = nullptr;
Model* bigRock = nullptr;
Model* explosionModel = nullptr;
Model* backSphere = nullptr;
Model* shipModel = nullptr;
Model* medRock = nullptr;
Model* bannerModel = nullptr;
Model* saucerModel = nullptr;
Model* railShotModel = nullptr;

namespace {

Model modelPool[MODEL_POOL_SIZE];
int modelsInUse = 0;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void ModelFail(const char* message) {
    Log(LOG_ERROR, "%s", message);
    FatalExit(1);
}

ModelTriangle* ModelAllocTriangles(int count, const char* caller) {
    if (count == 0) return nullptr;
    auto* triangles =
        static_cast<ModelTriangle*>(std::calloc(size_t(count), sizeof(ModelTriangle)));
    if (!triangles) {
        char message[128];
        std::snprintf(message, sizeof message, "%s: Out of memory\n", caller);
        ModelFail(message);
    }
    return triangles;
}

void ModelSetName(Model* model, const char* name) {
    std::snprintf(model->name, sizeof model->name, "%s", name);
}

// Releases what a record owns; used when the pool is cleared again (a second start-up in tests).
void ModelRelease(Model* model) {
    std::free(model->triangles);
    std::free(model->points);
    std::free(model->pointRadiusSq);
}

// Next white-space separated word of the file into word (up to size - 1 bytes); false at the end
// of the file. A longer word is reported as too long rather than split into two numbers.
enum class WordResult { ok, end, tooLong };
WordResult ModelReadWord(std::FILE* file, char* word, size_t size) {
    int c;
    do {
        c = std::fgetc(file);
    } while (c != EOF && std::isspace(static_cast<unsigned char>(c)));
    if (c == EOF) return WordResult::end;
    size_t n = 0;
    while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
        if (n + 1 >= size) return WordResult::tooLong;
        word[n++] = static_cast<char>(c);
        c = std::fgetc(file);
    }
    word[n] = 0;
    return WordResult::ok;
}

[[noreturn]] void ModelReadFail(const char* fileName, const char* what, long index) {
    char message[512];
    std::snprintf(message, sizeof message, "ModelRead: %s - %s (number %ld)\n", fileName, what,
                  index);
    ModelFail(message);
}

float ModelReadFloat(std::FILE* file, const char* fileName, long index) {
    char word[64];
    WordResult result = ModelReadWord(file, word, sizeof word);
    if (result == WordResult::end)
        ModelReadFail(fileName, "fewer numbers than the triangle count announces", index);
    char* end = nullptr;
    errno = 0;
    float value = std::strtof(word, &end);
    // Overflow or text such as "nan" would put unusable positions into the collision maths.
    if (result == WordResult::tooLong || end == word || *end != 0 || !std::isfinite(value))
        ModelReadFail(fileName, "not a number", index);
    return value;
}

int ModelReadCount(std::FILE* file, const char* fileName) {
    char word[64];
    WordResult result = ModelReadWord(file, word, sizeof word);
    if (result == WordResult::end) ModelReadFail(fileName, "no triangle count", 0);
    char* end = nullptr;
    errno = 0;
    long count = std::strtol(word, &end, 10);
    if (result == WordResult::tooLong || end == word || *end != 0 || errno == ERANGE)
        ModelReadFail(fileName, "triangle count is not a number", 0);
    if (count < 0 || count > MODEL_FILE_MAX_TRIANGLES)
        ModelReadFail(fileName, "triangle count outside 0 to 32767", 0);
    return static_cast<int>(count);
}

// Sine and cosine of a latitude step. The poles are exact so that the vertices of every segment
// meeting there share one position (and hence one smoothed normal).
void SphereLatitude(int32_t index, int32_t stacks, float step, float& sine, float& cosine) {
    if (index == 0) {
        sine = -1.0f;
        cosine = 0.0f;
    } else if (index == stacks) {
        sine = 1.0f;
        cosine = 0.0f;
    } else {
        float rad = (float(index) * step - 90.0f) * VEC_DEG_TO_RAD;
        sine = std::sin(rad);
        cosine = std::cos(rad);
    }
}

// The last longitude closes the ring exactly onto the first (shared seam positions).
void SphereLongitude(int32_t index, int32_t slices, float step, float& sine, float& cosine) {
    if (index == 0 || index == slices) {
        sine = 0.0f;
        cosine = 1.0f;
    } else {
        float rad = float(index) * step * VEC_DEG_TO_RAD;
        sine = std::sin(rad);
        cosine = std::cos(rad);
    }
}

// One corner position, computed the same way for every band that shares it.
Vec3 SpherePoint(float radius, float latSin, float latCos, float lonSin, float lonCos) {
    return Vec3{radius * latCos * lonCos, radius * latSin, radius * latCos * lonSin};
}

void SetVertex(ModelVertex* v, const Vec3& pos, float s, float t) {
    v->pos = pos;
    v->s = s;
    v->t = t;
}

ModelVertex Midpoint(const ModelVertex& a, const ModelVertex& b) {
    ModelVertex m{};
    m.pos = Vec3{(a.pos.x + b.pos.x) / 2, (a.pos.y + b.pos.y) / 2, (a.pos.z + b.pos.z) / 2};
    m.s = (a.s + b.s) / 2;
    m.t = (a.t + b.t) / 2;
    return m;
}

ModelVertex Centroid(const ModelVertex& a, const ModelVertex& b, const ModelVertex& c) {
    ModelVertex m{};
    m.pos = Vec3{(a.pos.x + b.pos.x + c.pos.x) / 3, (a.pos.y + b.pos.y + c.pos.y) / 3,
                 (a.pos.z + b.pos.z + c.pos.z) / 3};
    m.s = (a.s + b.s + c.s) / 3;
    m.t = (a.t + b.t + c.t) / 3;
    return m;
}

void SetTriangle(ModelTriangle* tri, const ModelVertex& a, const ModelVertex& b,
                 const ModelVertex& c) {
    tri->vertex[0] = a;
    tri->vertex[1] = b;
    tri->vertex[2] = c;
}

void ModelBuildRailPoints(Model* model) {
    model->pointCount = MODEL_RAIL_POINT_COUNT;
    model->points = static_cast<Vec3*>(std::calloc(MODEL_RAIL_POINT_COUNT, sizeof(Vec3)));
    model->pointRadiusSq = static_cast<float*>(std::calloc(MODEL_RAIL_POINT_COUNT, sizeof(float)));
    if (!model->points || !model->pointRadiusSq) ModelFail("ModelInit: Out of memory\n");
    // Nine unit spheres spaced along the shot's length, front to back.
    for (int i = 0; i < MODEL_RAIL_POINT_COUNT; ++i) {
        model->points[i] = Vec3{0.0f, 0.0f, float(8 - 2 * i)};
        model->pointRadiusSq[i] = 1.0f;
    }
}

} // namespace

void ModelPoolClear() {
    for (int i = 0; i < modelsInUse; ++i)
        ModelRelease(&modelPool[i]);
    std::fill(std::begin(modelPool), std::end(modelPool), Model{});
    modelsInUse = 0;
    unitSphere = bigRock = explosionModel = backSphere = shipModel = nullptr;
    medRock = bannerModel = saucerModel = railShotModel = nullptr;
}

void ModelInit() {
    Log(LOG_BOOT, "Loading Models\n");
    ModelPoolClear();

    unitSphere = ModelCreateSphere(12, 8, 1.0f, 0);
    ModelSetName(unitSphere, "unitSphere");
    bigRock = ModelRead("model/bigrock.3d");
    explosionModel = ModelCreateSphere(12, 8, 1.0f, 0);
    ModelScaleX(explosionModel, 1.1f);
    ModelScaleZ(explosionModel, 1.1f);
    ModelSetName(explosionModel, "explosion");
    backSphere = ModelCreateSphere(6, 6, 200.0f, 1);
    ModelSetName(backSphere, "backSphere");
    shipModel = ModelRead("model/ship.3d");
    ModelSubdivide(shipModel);
    medRock = ModelRead("model/medrock.3d");
    bannerModel = ModelRead("model/banner.3d");
    saucerModel = ModelCreateSphere(8, 2, 1.0f, 0);
    ModelScaleY(saucerModel, 0.35f);
    ModelSubdivide(saucerModel);
    ModelSetName(saucerModel, "saucer");
    railShotModel = ModelCreateSphere(4, 2, 1.0f, 0);
    ModelScaleZ(railShotModel, 9.0f);
    ModelSetName(railShotModel, "railShot");
    ModelBuildRailPoints(railShotModel);
}

Model* ModelAlloc() {
    if (modelsInUse >= MODEL_POOL_SIZE) ModelFail("ModelAlloc: overflowed model table\n");
    return &modelPool[modelsInUse++];
}

Model* ModelRead(const char* fileName) {
    FilePtr file(std::fopen(fileName, "r"));
    if (!file) {
        char message[512];
        std::snprintf(message, sizeof message, "ModelRead: Error loading %s\n", fileName);
        ModelFail(message);
    }
    char message[512];
    std::snprintf(message, sizeof message, "ModelRead: %s\n", fileName);
    Log(LOG_BOOT, "%s", message);

    Model* model = ModelAlloc();
    ModelSetName(model, fileName);
    int count = ModelReadCount(file.get(), fileName);
    model->triangleCount = static_cast<uint16_t>(count);
    model->triangles = ModelAllocTriangles(count, "ModelRead");
    // Every number is read before the model is used: a short or bad file never leaves a
    // vertex undefined because it ends the program here.
    long index = 1;
    for (int i = 0; i < count; ++i) {
        for (ModelVertex& v : model->triangles[i].vertex) {
            v.pos.x = ModelReadFloat(file.get(), fileName, index++);
            v.pos.y = ModelReadFloat(file.get(), fileName, index++);
            v.pos.z = ModelReadFloat(file.get(), fileName, index++);
            v.s = ModelReadFloat(file.get(), fileName, index++);
            v.t = ModelReadFloat(file.get(), fileName, index++);
        }
    }
    file.reset();
    ModelFinish(model);
    return model;
}

Model* ModelCreateSphere(int32_t slices, int32_t stacks, float radius, int32_t wrapPerQuad) {
    Model* model = ModelAlloc();
    // A single band holds only bottom triangles, one per slice; more bands emit two per slice
    // except at the two poles.
    long count = 0;
    if (slices >= 1 && stacks == 1)
        count = slices;
    else if (slices >= 1 && stacks >= 2)
        count = 2L * slices * (stacks - 1);
    if (count > MODEL_MAX_TRIANGLES) ModelFail("ModelCreateSphere: too many triangles\n");
    model->triangleCount = static_cast<uint16_t>(count);
    model->triangles = ModelAllocTriangles(static_cast<int>(count), "ModelCreateSphere");
    if (count == 0) {
        ModelFinish(model);
        return model;
    }

    float dPhi = 180.0f / float(stacks);
    float dLambda = 360.0f / float(slices);
    ModelTriangle* tri = model->triangles;
    for (int32_t i = 0; i < stacks; ++i) {
        float sin0, cos0, sin1, cos1;
        SphereLatitude(i, stacks, dPhi, sin0, cos0);
        SphereLatitude(i + 1, stacks, dPhi, sin1, cos1);
        float t0 = (float(i) * dPhi) / 180.0f;
        float t1 = (float(i + 1) * dPhi) / 180.0f;
        for (int32_t j = 0; j < slices; ++j) {
            float lonSin0, lonCos0, lonSin1, lonCos1;
            SphereLongitude(j, slices, dLambda, lonSin0, lonCos0);
            SphereLongitude(j + 1, slices, dLambda, lonSin1, lonCos1);
            float s0 = (float(j) * dLambda) / 360.0f;
            float s1 = (float(j + 1) * dLambda) / 360.0f;
            Vec3 a1 = SpherePoint(radius, sin1, cos1, lonSin0, lonCos0);
            Vec3 b1 = SpherePoint(radius, sin1, cos1, lonSin1, lonCos1);
            Vec3 a0 = SpherePoint(radius, sin0, cos0, lonSin0, lonCos0);
            Vec3 b0 = SpherePoint(radius, sin0, cos0, lonSin1, lonCos1);
            bool bottom = i == 0;
            bool top = i == stacks - 1 && !bottom;
            if (!top) { // (A1, B1, A0): the bottom band's triangle or a middle band's first
                ModelVertex* v = tri->vertex;
                if (wrapPerQuad) {
                    SetVertex(&v[0], a1, 0, 1);
                    SetVertex(&v[1], b1, 1, 1);
                    SetVertex(&v[2], a0, bottom ? 0.5f : 0.0f, 0);
                } else {
                    SetVertex(&v[0], a1, s0, t1);
                    SetVertex(&v[1], b1, s1, t1);
                    SetVertex(&v[2], a0, s0, bottom ? 0.0f : t0);
                }
                ++tri;
            }
            if (!bottom) { // (B1, B0, A0): the top band's triangle or a middle band's second
                ModelVertex* v = tri->vertex;
                if (wrapPerQuad) {
                    SetVertex(&v[0], b1, top ? 0.5f : 1.0f, 1);
                    SetVertex(&v[1], b0, 1, 0);
                    SetVertex(&v[2], a0, 0, 0);
                } else {
                    SetVertex(&v[0], b1, s1, t1);
                    SetVertex(&v[1], b0, s1, t0);
                    SetVertex(&v[2], a0, s0, t0);
                }
                ++tri;
            }
        }
    }
    ModelFinish(model);
    return model;
}

void ModelScaleX(Model* model, float factor) {
    for (int i = 0; i < model->triangleCount; ++i)
        for (ModelVertex& v : model->triangles[i].vertex)
            v.pos.x *= factor;
    ModelFinish(model);
}

void ModelScaleY(Model* model, float factor) {
    for (int i = 0; i < model->triangleCount; ++i)
        for (ModelVertex& v : model->triangles[i].vertex)
            v.pos.y *= factor;
    ModelFinish(model);
}

void ModelScaleZ(Model* model, float factor) {
    for (int i = 0; i < model->triangleCount; ++i)
        for (ModelVertex& v : model->triangles[i].vertex)
            v.pos.z *= factor;
    ModelFinish(model);
}

void ModelSubdivide(Model* model) {
    int count = model->triangleCount * 6;
    if (count > MODEL_MAX_TRIANGLES) {
        char message[256];
        std::snprintf(message, sizeof message, "ModelSubdivide: %s - too many triangles\n",
                      model->name);
        ModelFail(message);
    }
    ModelTriangle* out = ModelAllocTriangles(count, "ModelSubdivide");
    ModelTriangle* dst = out;
    for (int i = 0; i < model->triangleCount; ++i) {
        const ModelVertex* v = model->triangles[i].vertex;
        ModelVertex c = Centroid(v[0], v[1], v[2]);
        ModelVertex m01 = Midpoint(v[0], v[1]);
        ModelVertex m12 = Midpoint(v[1], v[2]);
        ModelVertex m20 = Midpoint(v[2], v[0]);
        SetTriangle(dst++, v[0], m01, c);
        SetTriangle(dst++, m01, v[1], c);
        SetTriangle(dst++, c, v[1], m12);
        SetTriangle(dst++, c, m12, v[2]);
        SetTriangle(dst++, c, v[2], m20);
        SetTriangle(dst++, v[0], c, m20);
    }
    std::free(model->triangles);
    model->triangles = out;
    model->triangleCount = static_cast<uint16_t>(count);
    ModelFinish(model);
}

namespace {

bool PositionLess(const Vec3& a, const Vec3& b) {
    if (a.x != b.x) return a.x < b.x;
    if (a.y != b.y) return a.y < b.y;
    return a.z < b.z;
}

// Each vertex normal is the mean of the face normals of every triangle with a vertex at exactly
// the same position, one term per matching vertex. Grouping the corners by position (a stable
// sort, so a group keeps triangle order) gives every vertex the same sum, added in the same order,
// as comparing it with every other vertex would, in n log n instead of n squared: the big rock
// alone has 3840 corners. The corner list is start-up scratch.
void ModelSmoothNormals(ModelTriangle* tris, int count) {
    std::vector<uint32_t> corners(static_cast<size_t>(count) * 3);
    for (size_t i = 0; i < corners.size(); ++i)
        corners[i] = static_cast<uint32_t>(i);
    auto position = [tris](uint32_t c) -> const Vec3& { return tris[c / 3].vertex[c % 3].pos; };
    std::stable_sort(corners.begin(), corners.end(), [&](uint32_t a, uint32_t b) {
        return PositionLess(position(a), position(b));
    });
    for (size_t first = 0; first < corners.size();) {
        size_t last = first + 1;
        while (last < corners.size() &&
               VecEqual(&position(corners[first]), &position(corners[last])))
            ++last;
        Vec3 sum{0, 0, 0};
        for (size_t i = first; i < last; ++i)
            VecAdd(&sum, &tris[corners[i] / 3].normal);
        VecDivide(&sum, static_cast<double>(last - first));
        for (size_t i = first; i < last; ++i)
            tris[corners[i] / 3].vertex[corners[i] % 3].normal = sum;
        first = last;
    }
}

} // namespace

void ModelFinish(Model* model) {
    ModelTriangle* tris = model->triangles;
    int count = model->triangleCount;
    for (int i = 0; i < count; ++i) {
        Vec3 e1 = tris[i].vertex[1].pos;
        Vec3 e2 = tris[i].vertex[2].pos;
        VecSub(&e1, &tris[i].vertex[0].pos);
        VecSub(&e2, &tris[i].vertex[0].pos);
        VecCross(&tris[i].normal, &e1, &e2);
        // A degenerate triangle has no direction; a zero normal keeps NaN out of its neighbours.
        if (VecLength(&tris[i].normal) > 0.0)
            VecNormalize(&tris[i].normal);
        else
            tris[i].normal = Vec3{0, 0, 0};
    }
    ModelSmoothNormals(tris, count);
    for (int i = 0; i < count; ++i) {
        for (const ModelVertex& v : tris[i].vertex) {
            float length = static_cast<float>(VecLength(&v.pos));
            if (length > model->radius) {
                model->radius = length;
                model->radiusSq = length * length;
            }
        }
    }
}

void ModelDraw(const Model* model) {
    if (!model || model->hidden == 1) return;
    gl.Color3f(1, 1, 1);
    gl.Begin(GL_TRIANGLES);
    for (int i = 0; i < model->triangleCount; ++i) {
        for (const ModelVertex& v : model->triangles[i].vertex) {
            gl.TexCoord2f(v.s, v.t);
            gl.Vertex3f(v.pos.x, v.pos.y, v.pos.z);
        }
    }
    gl.End();
}
