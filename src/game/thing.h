// Thing engine: the pool of 500 game objects, their think pass with deferred death, and the draw
// pass (side-plane culling, opaque things at once, translucent ones far to near).
//
// A record is free (in thingFreeIndex, all zero), live (in thingIndex) or live and dead
// (THING_DEAD set, still in thingIndex until the next think pass frees it). Callbacks never free
// a thing: they set THING_DEAD, so no record is recycled while a pass still holds it.
#pragma once

#include "core/settings.h"

#include "foundation/index.h"
#include "foundation/vec.h"

#include <cstdint>

struct Model;
struct Texture;
struct Thing;

constexpr int32_t THING_MAX = 500;

// Flag word bits.
constexpr uint32_t THING_UNLIT = 1;             // ModelDraw instead of LightDrawModel
constexpr uint32_t THING_SHADE_VARIANT = 2;     // flat shading in LightDrawModel
constexpr uint32_t THING_INSIDE_OUT = 4;        // front faces culled (seen from inside)
constexpr uint32_t THING_TRANSLUCENT = 8;       // blended, drawn after opaque things, far to near
constexpr uint32_t THING_DEAD = 16;             // freed by the next think pass; not drawn
constexpr uint32_t THING_NO_COLLIDE = 32;       // never tested by the collision pass
constexpr uint32_t THING_NO_DYNAMIC_LIGHT = 64; // LightDrawModel ignores the dynamic lights
constexpr uint32_t THING_NO_DEPTH_TEST = 128;   // depth test off while drawn
// Drawn before every other thing: something around the camera and behind all else (the sky),
// which therefore needs no depth test and leaves the depth buffer cleared.
constexpr uint32_t THING_BACKGROUND = 256;

// ThingHit kinds.
constexpr int32_t THING_HIT_SHIP_SHOT = 1;
constexpr int32_t THING_HIT_SAUCER_SHOT = 2;
constexpr int32_t THING_HIT_RAMMED = 4;

using ThingThinkFn = void (*)(Thing* thing, float dt);
using ThingDrawFn = void (*)(Thing* thing);
using ThingTouchFn = void (*)(Thing* thing, Thing* other);
using ThingHitFn = void (*)(Thing* thing, int32_t kind);

struct Thing {
    uint32_t id; // serial number from 1; never 0 for a live thing
    Vec3 pos;
    Model* model;     // null only for things with THING_NO_COLLIDE
    Texture* texture; // bound by glName while drawn, or null
    float yaw;        // degrees about Y; also the heading for motion
    float pitch;      // degrees about X
    float roll;       // degrees about Z
    float scale;      // uniform model scale, also scales the collision radii; 1 on creation
    uint32_t flags;
    float viewDistSq; // squared camera distance, written by the draw pass
    Vec3 vel;         // units per second
    uint32_t voice;   // positional sound following the thing, or 0
    ThingThinkFn think;
    ThingDrawFn draw;
    ThingTouchFn touch;
    ThingHitFn hit;
    // The kind's own fields, each with one meaning; which kind uses which is listed in the kind's
    // header.
    float reload;     // seconds until it may fire again
    float emitCarry;  // particle emitters' carry of seconds not yet emitted
    uint32_t owner;   // id of the thing that fired this shot
    uint8_t weapon;   // weapon kind that fired this shot
    uint8_t pickup;   // what a pick-up grants (PICKUP_*)
    uint8_t struck;   // a shot that has struck a target (counted once for the results)
    float age;        // seconds since the kind's event (a hit, a launch, a blast)
    float lifetime;   // when age reaches it the kind acts; 0 = no countdown
    float sizeBase;   // explosion size at age 0
    float sizeGrowth; // explosion growth factor
    float steerClock; // seconds since the last steering decision
    float grace;      // seconds a returned ship stays untouchable
};

// The pool and its three indexes (pointers into thingList).
extern Thing* thingList;     // THING_MAX records
extern Index thingIndex;     // live things, unordered; a removed thing's slot takes the last one
extern Index thingFreeIndex; // free records, unordered
extern Index thingSortIndex; // scratch order of the draw pass and the z sweep
extern uint32_t thingLastId; // the id counter; the next thing gets thingLastId + 1
extern int32_t zpart;        // vantor.ini "zpart": non-zero picks the z-sweep collision pass
// Picks the collision pass: non-zero the z sweep.
void ThingSetZSort(int32_t sweep);
// vantor.ini zpart.
extern const SettingTable thingSettings;

// Start-up: the pool, the indexes and the zpart setting, and the draw pass handed to the scene.
// Exit 1 when the pool cannot be had. Running it again empties the pool and restarts the ids
// (tests rely on this).
void ThingInit();
// A cleared record with the next id and scale 1, appended to thingIndex. Exit 1 when all 500 are
// live. The caller fills in everything else.
Thing* ThingCreate();
// Back to the free pool, cleared. Only the think pass calls it.
void ThingFree(Thing* thing);
// Marks every live thing dead; the next think pass frees them and they are not drawn meanwhile.
void ThingKillAll();
// The think pass: frees dead things, calls think(thing, dt) for the others; things created during
// the pass get their think call in the same pass.
void ThingUpdateAll(float dt);
// The draw pass, once per frame after the camera is on the projection matrix.
void ThingDrawAll();
// Calls the thing's hit callback with kind (THING_HIT_*), if it has one.
void ThingHit(Thing* thing, int32_t kind);
// pos += vel * dt.
void ThingMove(Thing* thing, float dt);
// Turns the velocity back inward at the arena bound (x and z only; the position is not clamped).
void ThingBounce(Thing* thing);
// The standard draw callback: transform, texture, flags' GL state, lit or plain model draw.
void ThingDrawModel(Thing* thing);
// LightDrawModel of the thing: its model and pose, flat shading (THING_SHADE_VARIANT), the
// dynamic lights unless THING_NO_DYNAMIC_LIGHT.
void ThingDrawLit(const Thing* thing);
// The arena posts' draw callback: a cube from -1 to 1 coloured by its corners' coordinates.
void ThingDrawPost(Thing* thing);
// Draw order of translucent things: farther first; on equal distance the smaller first.
int ThingCompareDepth(const Index* index, const void* a, const void* b);
// The live things in thingSortIndex by ascending z (the collision sweep's order); valid until the
// next draw or sort.
const Index* ThingSortByZ();
// Collision sweep order: ascending z of pos.
int ThingCompareZ(const Index* index, const void* a, const void* b);
