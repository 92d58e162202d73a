// Lights and the software-lit model draw.
#include "render/light.h"

#include "core/fatal.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "foundation/mem.h"
#include "render/gl.h"
#include "render/model.h"

#include <algorithm>
#include <cstdlib>

Light lightList[LIGHT_MAX];
Index lightIndex;
Index lightFreeIndex;
Index lightSortIndex;
Light viewerLight;
Vec3 viewerDir;
int32_t lights = 3;
float lightGamma = 2.0f;

namespace {

const Setting LIGHTSETTINGS_ROWS[] = {
    {"lights", SETTING_INT, 3, nullptr, 0, LIGHT_MAX_PER_THING, SETTING_PLAYER,
     [] { return double(lights); },
     [](double v) { lights = std::clamp(int32_t(v), 0, LIGHT_MAX_PER_THING); }},
    {"gamma", SETTING_FLOAT, 2.0, nullptr, 0.1, 10.0, 0, nullptr, nullptr},
};

} // namespace

const SettingTable lightSettings = SettingTableOf("light", LIGHTSETTINGS_ROWS);

namespace {

constexpr int32_t LIGHT_INDEX_BYTES = 1024;
constexpr float LIGHT_NO_DYNAMIC_LEVEL = 0.5f;

Light* LightAt(const Index* index, int32_t i) {
    return static_cast<Light*>(index->items[i]);
}

// Normalizes v unless it is the zero vector, which stays zero: a light or viewer exactly at a
// thing's centre then lights nothing instead of spreading NaN colours over the model.
void LightNormalize(Vec3* v) {
    if (v->x != 0.0f || v->y != 0.0f || v->z != 0.0f) VecNormalize(v);
}

// World direction into the subject's model space: the inverse of its pitch, yaw, roll transform.
void LightToModelSpace(Vec3* v, const LightSubject* subject) {
    VecRotateX(v, -subject->pitch);
    VecRotateY(v, -subject->yaw);
    VecRotateZ(v, -subject->roll);
}

float Dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// What the per-vertex loop needs of one chosen light, gathered once per thing.
struct LitLight {
    Vec3 offset; // world offset from the thing to the light
    Vec3 dir;    // unit direction in model space
    float invRadius;
    float red, green, blue; // colour times gamma
};

// The lit vertices of one draw call: texture coordinates, colour, position.
LightVertex lightBatch[LIGHT_BATCH_VERTICES];

void LightBatchBegin() {
    constexpr GLsizei stride = sizeof(LightVertex);
    gl.TexCoordPointer(2, GL_FLOAT, stride, &lightBatch[0].s);
    gl.ColorPointer(3, GL_FLOAT, stride, &lightBatch[0].red);
    gl.VertexPointer(3, GL_FLOAT, stride, &lightBatch[0].x);
    gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    gl.EnableClientState(GL_COLOR_ARRAY);
    gl.EnableClientState(GL_VERTEX_ARRAY);
}

void LightBatchEnd() {
    gl.DisableClientState(GL_VERTEX_ARRAY);
    gl.DisableClientState(GL_COLOR_ARRAY);
    gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
}

} // namespace

void LightInit() {
    Log(LOG_BOOT, "Initing light indexes\n");
    IndexFree(&lightIndex);
    IndexFree(&lightFreeIndex);
    IndexFree(&lightSortIndex);
    MemZero(lightList, sizeof(lightList));
    IndexCreate(&lightIndex, LIGHT_INDEX_BYTES, "lightIndex", 0);
    IndexCreate(&lightFreeIndex, LIGHT_INDEX_BYTES, "lightFreeIndex", 0);
    IndexCreate(&lightSortIndex, LIGHT_INDEX_BYTES, "lightSortIndex", INDEX_ALLOW_DUPLICATES);
    for (Light& light : lightList)
        IndexAdd(&lightFreeIndex, &light);
    IndexResize(&lightIndex, LIGHT_MAX);
    IndexResize(&lightSortIndex, LIGHT_MAX);
    lights = SettingReadInt(lightSettings, "lights");
    if (lights >= LIGHT_MAX_PER_THING) lights = LIGHT_MAX_PER_THING;
    if (lights < 0) lights = 0;
    lightGamma = SettingReadFloat(lightSettings, "gamma");
}

Light* LightAlloc() {
    if (lightFreeIndex.count == 0) {
        Log(LOG_ERROR, "LightAlloc: Out of lights - ergh!\n");
        FatalExit(1);
    }
    Light* light = LightAt(&lightFreeIndex, 0);
    IndexDelete(&lightFreeIndex, light, nullptr);
    return light;
}

Light* LightAdd() {
    Light* light = LightAlloc();
    lightIndex.items[lightIndex.count++] = light; // storage reserved for the whole pool
    return light;
}

Light* LightCreate(const Vec3* pos, float radius, float red, float green, float blue) {
    Light* light = LightAdd();
    light->pos = *pos;
    light->radius = radius;
    light->invRadius = 1.0f / radius;
    light->red = red;
    light->green = green;
    light->blue = blue;
    return light;
}

void LightClearAll() {
    while (lightIndex.count > 0) {
        Light* light = LightAt(&lightIndex, 0);
        IndexDelete(&lightIndex, light, nullptr);
        lightFreeIndex.items[lightFreeIndex.count++] = light;
    }
}

void LightSetViewer(const Vec3* pos, float intensity) {
    viewerLight.pos = *pos;
    viewerLight.red = viewerLight.green = viewerLight.blue = intensity;
}

int LightCompareKey(const Index*, const void* a, const void* b) {
    float ka = static_cast<const Light*>(a)->sortKey;
    float kb = static_cast<const Light*>(b)->sortKey;
    if (ka > kb) return 1;
    if (ka < kb) return -1;
    return 0;
}

void LightDrawModel(const LightSubject* subject) {
    const Model* model = subject->model;
    if (!model) return;
    const float gamma = lightGamma;

    // 1. Viewer direction in model space.
    viewerDir = viewerLight.pos;
    VecSub(&viewerDir, &subject->pos);
    LightNormalize(&viewerDir);
    LightToModelSpace(&viewerDir, subject);

    // 2-3. The nearest lights in proportion to their reach, at most `lights` of them.
    IndexClear(&lightSortIndex);
    const bool dynamic = subject->dynamic;
    if (lights != 0 && dynamic) {
        for (int32_t i = 0; i < lightIndex.count; ++i) {
            Light* light = LightAt(&lightIndex, i);
            light->dir = light->pos;
            VecSub(&light->dir, &subject->pos);
            light->sortKey =
                static_cast<float>(VecDot(&light->dir, &light->dir)) * light->invRadius;
            IndexInsertFixed(&lightSortIndex, light, LightCompareKey);
            if (lightSortIndex.count > lights) lightSortIndex.count--;
        }
    }

    // 4. Base colour from the viewer light.
    float baseR, baseG, baseB;
    if (dynamic) {
        baseR = gamma * viewerLight.red;
        baseG = gamma * viewerLight.green;
        baseB = gamma * viewerLight.blue;
    } else {
        baseR = baseG = baseB = gamma * LIGHT_NO_DYNAMIC_LEVEL;
    }

    // 5. A light inside the model brightens all of it evenly; the others light per vertex.
    LitLight lit[LIGHT_MAX_PER_THING];
    int32_t litCount = 0;
    int32_t k = 0;
    while (k < lightSortIndex.count) {
        Light* light = LightAt(&lightSortIndex, k);
        if (light->sortKey * light->radius < model->radiusSq) {
            baseR += gamma * light->red;
            baseG += gamma * light->green;
            baseB += gamma * light->blue;
            IndexDelete(&lightSortIndex, light, nullptr); // the moved entry is examined next
            continue;
        }
        LitLight& l = lit[litCount++];
        l.offset = light->dir;
        LightNormalize(&light->dir);
        LightToModelSpace(&light->dir, subject);
        l.dir = light->dir;
        l.invRadius = light->invRadius;
        l.red = gamma * light->red;
        l.green = gamma * light->green;
        l.blue = gamma * light->blue;
        ++k;
    }

    // 6-8. Triangles facing the viewer, a colour for every vertex, sent in batches from one array:
    // a software driver spends more on four calls a vertex than on the lighting itself.
    const bool flat = subject->flat;
    const Vec3 view = viewerDir;
    gl.Disable(GL_CULL_FACE);
    LightBatchBegin();
    int32_t count = 0;
    for (int32_t t = 0; t < model->triangleCount; ++t) {
        const ModelTriangle& tri = model->triangles[t];
        if (Dot(view, tri.normal) <= 0.0f) continue;
        if (count + 3 > LIGHT_BATCH_VERTICES) {
            gl.DrawArrays(GL_TRIANGLES, 0, count);
            count = 0;
        }
        for (const ModelVertex& v : tri.vertex) {
            const Vec3& n = flat ? tri.normal : v.normal;
            float d = Dot(view, n);
            if (d <= 0.0f) d = 0.0f;
            float r = d * baseR, g = d * baseG, b = d * baseB;
            for (int32_t i = 0; i < litCount; ++i) {
                const LitLight& l = lit[i];
                float ox = l.offset.x + v.pos.x, oy = l.offset.y + v.pos.y,
                      oz = l.offset.z + v.pos.z;
                float a = 1.0f - (ox * ox + oy * oy + oz * oz) * l.invRadius;
                if (a < 0.0f) continue;
                float f = Dot(l.dir, n) * a;
                if (f < 0.0f) continue;
                r += f * l.red;
                g += f * l.green;
                b += f * l.blue;
            }
            lightBatch[count++] = {v.s, v.t, r, g, b, v.pos.x, v.pos.y, v.pos.z};
        }
    }
    if (count > 0) gl.DrawArrays(GL_TRIANGLES, 0, count);
    LightBatchEnd();
    gl.Enable(GL_CULL_FACE);
}
