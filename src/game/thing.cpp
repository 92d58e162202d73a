// Thing engine: the pool, the think pass and the draw pass.
#include "game/thing.h"

#include "core/fatal.h"
#include "core/ini.h"
#include "core/log.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/light.h"
#include "render/model.h"
#include "render/scene.h"
#include "render/texture.h"

#include <cstdlib>

Thing* thingList = nullptr;
Index thingIndex;
Index thingFreeIndex;
Index thingSortIndex;
uint32_t thingLastId = 0;
int32_t zpart = 0;

namespace {

const Setting THING_SETTING_ROWS[] = {
    {"zpart", SETTING_INT, 0, nullptr, INT32_MIN, INT32_MAX, SETTING_PLAY,
     [] { return double(zpart); }, [](double v) { ThingSetZSort(int32_t(v)); }},
};

} // namespace

const SettingTable thingSettings = SettingTableOf("thing", THING_SETTING_ROWS);

namespace {

constexpr int32_t THING_INDEX_BYTES = 1024;

// Pool indexes never grow after start-up: their storage holds the whole pool, so an append is a
// plain store.
void ThingAppend(Index* index, Thing* thing) {
    index->items[index->count++] = thing;
}

Thing* ThingAt(const Index* index, int32_t i) {
    return static_cast<Thing*>(index->items[i]);
}

// Bounding radius used for culling and for ordering equal-distance translucent things. A thing
// without a model counts as a sphere of radius scale (the draw pass rule), so ordering never
// dereferences a null model.
float ThingRadius(const Thing* thing) {
    return thing->model ? thing->model->radius * thing->scale : thing->scale;
}

// False when the thing lies outside the left or right plane of the view.
bool ThingInView(Thing* thing, double sideAngle) {
    Vec3 d = thing->pos;
    VecSub(&d, &cameraPos);
    thing->viewDistSq = static_cast<float>(VecDot(&d, &d));
    VecRotateY(&d, -cameraYaw);
    VecRotateX(&d, -cameraPitch);
    float r = ThingRadius(thing);
    Vec3 e = d;
    VecRotateY(&e, -sideAngle);
    if (e.z > r) return false;
    e = d;
    VecRotateY(&e, sideAngle);
    return !(e.z > r);
}

void ThingApplyTransform(const Thing* thing) {
    gl.LoadIdentity();
    gl.Translatef(thing->pos.x, thing->pos.y, thing->pos.z);
    gl.Scalef(thing->scale, thing->scale, thing->scale);
    gl.Rotatef(thing->pitch, 1.0f, 0.0f, 0.0f);
    gl.Rotatef(thing->yaw, 0.0f, 1.0f, 0.0f);
    gl.Rotatef(thing->roll, 0.0f, 0.0f, 1.0f);
}

// The post cube: six faces (z-, z+, x-, x+, y+, y-), each wound counter-clockwise seen from
// outside so that back-face culling keeps the outer faces.
constexpr float POST_FACES[6][4][3] = {
    {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
    {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
    {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
    {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
    {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
    {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
};

} // namespace

void ThingInit() {
    Log(LOG_BOOT, "Initing thing engine\n");
    if (!thingList) thingList = static_cast<Thing*>(std::calloc(THING_MAX, sizeof(Thing)));
    if (!thingList) {
        Log(LOG_ERROR, "Unable to allocate space for thingList\n");
        FatalExit(1);
    }
    // A second call (tests) starts again from an empty pool.
    IndexFree(&thingIndex);
    IndexFree(&thingFreeIndex);
    IndexFree(&thingSortIndex);
    MemZero(thingList, sizeof(Thing) * THING_MAX);
    thingLastId = 0;

    IndexCreate(&thingIndex, THING_INDEX_BYTES, "thingIndex", 0);
    IndexCreate(&thingFreeIndex, THING_INDEX_BYTES, "thingFreeIndex", 0);
    IndexCreate(&thingSortIndex, THING_INDEX_BYTES, "thingSortIndex", INDEX_ALLOW_DUPLICATES);
    for (int32_t i = 0; i < THING_MAX; ++i)
        IndexAdd(&thingFreeIndex, &thingList[i]);
    IndexResize(&thingIndex, THING_MAX);
    IndexResize(&thingSortIndex, THING_MAX);
    zpart = SettingReadInt(thingSettings, "zpart");
    SceneSetThingPass(ThingDrawAll);
}

Thing* ThingCreate() {
    if (thingFreeIndex.count == 0) {
        Log(LOG_ERROR, "ThingCreate: Out of memory\n");
        FatalExit(1);
    }
    Thing* thing = ThingAt(&thingFreeIndex, 0);
    IndexDelete(&thingFreeIndex, thing, nullptr);
    MemZero(thing, sizeof(Thing));
    thing->id = ++thingLastId;
    thing->scale = 1.0f;
    ThingAppend(&thingIndex, thing);
    return thing;
}

void ThingFree(Thing* thing) {
    IndexDelete(&thingIndex, thing, nullptr);
    ThingAppend(&thingFreeIndex, thing);
    MemZero(thing, sizeof(Thing));
}

void ThingKillAll() {
    for (int32_t i = 0; i < thingIndex.count; ++i)
        ThingAt(&thingIndex, i)->flags |= THING_DEAD;
}

void ThingUpdateAll(float dt) {
    int32_t i = 0;
    while (i < thingIndex.count) {
        Thing* thing = ThingAt(&thingIndex, i);
        if (thing->flags & THING_DEAD) {
            ThingFree(thing); // the last live thing moves into slot i
            continue;
        }
        if (thing->think) thing->think(thing, dt);
        ++i;
    }
}

void ThingDrawAll() {
    double sideAngle = 90.0 - SceneHorizontalFov() / 2.0;
    gl.Enable(GL_CULL_FACE);
    gl.CullFace(GL_BACK);
    IndexClear(&thingSortIndex);
    // The pool keeps no order (a freed slot takes the last thing), so the background is found
    // first; whatever follows may cover it without a depth test against it.
    for (int32_t i = 0; i < thingIndex.count; ++i) {
        Thing* thing = ThingAt(&thingIndex, i);
        if ((thing->flags & (THING_BACKGROUND | THING_DEAD)) == THING_BACKGROUND && thing->draw)
            thing->draw(thing);
    }
    for (int32_t i = 0; i < thingIndex.count; ++i) {
        Thing* thing = ThingAt(&thingIndex, i);
        if (thing->flags & (THING_DEAD | THING_BACKGROUND) || !ThingInView(thing, sideAngle))
            continue;
        if (thing->flags & THING_TRANSLUCENT)
            IndexInsertFixed(&thingSortIndex, thing, ThingCompareDepth);
        else if (thing->draw)
            thing->draw(thing);
    }
    for (int32_t i = 0; i < thingSortIndex.count; ++i) {
        Thing* thing = ThingAt(&thingSortIndex, i);
        if (thing->draw) thing->draw(thing);
    }
    gl.Disable(GL_CULL_FACE);
}

int ThingCompareDepth(const Index*, const void* a, const void* b) {
    const Thing* ta = static_cast<const Thing*>(a);
    const Thing* tb = static_cast<const Thing*>(b);
    if (ta->viewDistSq > tb->viewDistSq) return -1;
    if (ta->viewDistSq < tb->viewDistSq) return 1;
    float ra = ThingRadius(ta), rb = ThingRadius(tb);
    if (ra < rb) return -1;
    if (ra > rb) return 1;
    return 0;
}

const Index* ThingSortByZ() {
    IndexClear(&thingSortIndex);
    for (int32_t i = 0; i < thingIndex.count; ++i)
        IndexInsertFixed(&thingSortIndex, thingIndex.items[i], ThingCompareZ);
    return &thingSortIndex;
}

int ThingCompareZ(const Index*, const void* a, const void* b) {
    float za = static_cast<const Thing*>(a)->pos.z;
    float zb = static_cast<const Thing*>(b)->pos.z;
    if (za > zb) return 1;
    if (za < zb) return -1;
    return 0;
}

void ThingHit(Thing* thing, int32_t kind) {
    if (thing->hit) thing->hit(thing, kind);
}

void ThingMove(Thing* thing, float dt) {
    thing->pos.x += thing->vel.x * dt;
    thing->pos.y += thing->vel.y * dt;
    thing->pos.z += thing->vel.z * dt;
}

void ThingBounce(Thing* thing) {
    float b = arenaBound;
    if ((thing->pos.z > b && thing->vel.z > 0.0f) || (thing->pos.z < -b && thing->vel.z < 0.0f))
        thing->vel.z = -thing->vel.z;
    if ((thing->pos.x > b && thing->vel.x > 0.0f) || (thing->pos.x < -b && thing->vel.x < 0.0f))
        thing->vel.x = -thing->vel.x;
}

void ThingDrawModel(Thing* thing) {
    ThingApplyTransform(thing);
    uint32_t flags = thing->flags;
    if (thing->texture) {
        gl.Enable(GL_TEXTURE_2D);
        gl.BindTexture(GL_TEXTURE_2D, thing->texture->glName);
    }
    if (flags & THING_NO_DEPTH_TEST) gl.Disable(GL_DEPTH_TEST);
    if ((flags & THING_TRANSLUCENT) && niceFx) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        gl.Disable(GL_BLEND);
    }
    if (flags & THING_INSIDE_OUT) gl.CullFace(GL_FRONT);
    // An unlit model is drawn white, so its texels may replace the colour outright: the same
    // pixels, without the rasteriser interpolating and multiplying a colour for each one.
    const bool replace = (flags & THING_UNLIT) && thing->texture;
    if (replace) gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLfloat(GL_REPLACE));

    if (flags & THING_UNLIT)
        ModelDraw(thing->model);
    else
        ThingDrawLit(thing);

    if (replace) gl.TexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GLfloat(GL_MODULATE));
    if (thing->texture) gl.Disable(GL_TEXTURE_2D);
    if (flags & THING_NO_DEPTH_TEST) gl.Enable(GL_DEPTH_TEST);
    if (flags & THING_INSIDE_OUT) gl.CullFace(GL_BACK);
}

void ThingDrawLit(const Thing* thing) {
    const LightSubject subject = {thing->model,
                                  thing->pos,
                                  thing->pitch,
                                  thing->yaw,
                                  thing->roll,
                                  (thing->flags & THING_SHADE_VARIANT) != 0,
                                  (thing->flags & THING_NO_DYNAMIC_LIGHT) == 0};
    LightDrawModel(&subject);
}

void ThingDrawPost(Thing* thing) {
    ThingApplyTransform(thing);
    gl.Disable(GL_TEXTURE_2D);
    gl.Begin(GL_QUADS);
    for (const auto& face : POST_FACES) {
        for (const auto& v : face) {
            gl.Color3f((v[0] + 1.0f) * 0.5f, (v[1] + 1.0f) * 0.5f, (v[2] + 1.0f) * 0.5f);
            gl.Vertex3f(v[0], v[1], v[2]);
        }
    }
    gl.End();
}

void ThingSetZSort(int32_t sweep) {
    zpart = sweep;
}
