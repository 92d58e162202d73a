// Collision pass: bounding spheres, the rail shot's collision spheres, all-pairs or z sweep.
#include "game/collision.h"

#include "game/thing.h"
#include "render/model.h"

namespace {

// Pairs farther apart than this along z are never tested by the sweep, whatever their sizes.
constexpr float ZSWEEP_WINDOW = 12.0f;

Thing* ThingAt(const Index* index, int32_t i) {
    return static_cast<Thing*>(index->items[i]);
}

float DistSq(const Vec3& a, const Vec3& b) {
    float x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return x * x + y * y + z * z;
}

// World centre of collision sphere k: model centre scaled, turned by yaw, moved to pos.
Vec3 SphereCentre(const Thing* thing, int32_t k) {
    Vec3 c = thing->model->points[k];
    VecScale(&c, thing->scale);
    VecRotateY(&c, thing->yaw);
    VecAdd(&c, &thing->pos);
    return c;
}

bool CollideSpheres(const Thing* a, const Thing* b) {
    const Model* ma = a->model;
    const Model* mb = b->model;
    float sa2 = a->scale * a->scale, sb2 = b->scale * b->scale;
    if (ma->pointCount > 0) {
        for (int32_t k = 0; k < ma->pointCount; ++k) {
            Vec3 ca = SphereCentre(a, k);
            float qa = sa2 * ma->pointRadiusSq[k];
            if (mb->pointCount > 0) {
                for (int32_t l = 0; l < mb->pointCount; ++l) {
                    Vec3 cb = SphereCentre(b, l);
                    if (DistSq(cb, ca) < sb2 * mb->pointRadiusSq[l] + qa) return true;
                }
            } else if (DistSq(b->pos, ca) < qa + sb2 * mb->radiusSq) {
                return true;
            }
        }
        return false;
    }
    for (int32_t l = 0; l < mb->pointCount; ++l) {
        Vec3 cb = SphereCentre(b, l);
        if (DistSq(cb, a->pos) < sb2 * mb->pointRadiusSq[l] + sa2 * ma->radiusSq) return true;
    }
    return false;
}

void CollideReport(Thing* a, Thing* b) {
    if (a->touch) a->touch(a, b);
    if (b->touch) b->touch(b, a);
}

// What the broad test needs of the first thing of a pair, read once per inner loop and again
// after every report (a touch callback may move or rescale it).
struct CollideSide {
    Vec3 pos;
    float reachSq;
};

CollideSide CollideSideOf(const Thing* a) {
    return {a->pos, a->scale * a->scale * a->model->radiusSq};
}

// The pair test with a's values hoisted; reports a touching pair and refreshes them.
void CollidePair(Thing* a, CollideSide& side, Thing* b) {
    float reach = side.reachSq + b->scale * b->scale * b->model->radiusSq;
    if (!(DistSq(side.pos, b->pos) < reach)) return;
    if ((a->model->pointCount || b->model->pointCount) && !CollideSpheres(a, b)) return;
    CollideReport(a, b);
    side = CollideSideOf(a);
}

void CollideAllPairs() {
    for (int32_t i = 0; i < thingIndex.count; ++i) {
        Thing* a = ThingAt(&thingIndex, i);
        if (a->flags & THING_NO_COLLIDE) continue;
        CollideSide side = CollideSideOf(a);
        // The count is re-read after every test: things created by a touch take part at once.
        for (int32_t j = i + 1; j < thingIndex.count; ++j) {
            Thing* b = ThingAt(&thingIndex, j);
            if (b->flags & THING_NO_COLLIDE) continue;
            CollidePair(a, side, b);
        }
    }
}

void CollideSweep() {
    const Index* sorted = ThingSortByZ();
    int32_t n = sorted->count;
    for (int32_t i = 0; i < n; ++i) {
        Thing* a = ThingAt(sorted, i);
        if (a->flags & THING_NO_COLLIDE) continue;
        CollideSide side = CollideSideOf(a);
        for (int32_t j = i + 1; j < n; ++j) {
            Thing* b = ThingAt(sorted, j);
            if (b->pos.z - a->pos.z > ZSWEEP_WINDOW) break;
            if (b->flags & THING_NO_COLLIDE) continue;
            CollidePair(a, side, b);
        }
    }
}

} // namespace

void CollideAll() {
    if (zpart == 0)
        CollideAllPairs();
    else
        CollideSweep();
}
