// Explosions and scenery.
#include "game/explosion.h"

#include "audio/wave.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/backdrop.h"
#include "render/gl.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/texture.h"

namespace {

constexpr float CORE_START_AGE = 0.3f;
constexpr float CORE_LIFETIME = 1.7f;
constexpr float BLAST_SOUND_RANGE = 10000.0f;
// Explosion pieces alive at once. The other things of a level stay well below the rest of the
// pool, so a storm of explosions can never take the records that rocks, shots and the ship need:
// an explosion beyond it goes without its extra pieces.
constexpr int32_t EXPLOSION_MAX_PIECES = 120;

struct PlanetLook {
    int32_t texture;
    float scale;
    float height;
};

// By level mod 4.
constexpr PlanetLook PLANETS[4] = {
    {TEXTURE_MARS, 30.0f, -70.0f},
    {TEXTURE_EARTH, 15.0f, 40.0f},
    {TEXTURE_JUPITER, 25.0f, 40.0f},
    {TEXTURE_FIERY, 15.0f, 30.0f},
};

// The planet hangs this far from the camera in x and z.
constexpr float PLANET_OFFSET_X = -70.0f;
constexpr float PLANET_OFFSET_Z = -170.0f;

int32_t ExplosionPieceCount() {
    int32_t count = 0;
    for (int32_t i = 0; i < thingIndex.count; i++)
        if (ExplosionIsPiece(static_cast<const Thing*>(thingIndex.items[i]))) count++;
    return count;
}

Thing* ExplosionPiece(const Vec3* pos, const Vec3* vel) {
    Thing* piece = ThingCreate();
    piece->pos = *pos;
    if (vel != nullptr) piece->vel = *vel;
    piece->model = explosionModel;
    piece->flags = THING_TRANSLUCENT | THING_NO_COLLIDE;
    piece->think = ExplosionThink;
    piece->draw = ExplosionDraw;
    piece->scale = 0.0f;
    return piece;
}

float ShardOffset(float spread) {
    return static_cast<float>(RandomRange(1, 300) - 150) * spread * 0.001f;
}

void PostCreate(float x, float z) {
    Thing* post = ThingCreate();
    VecSet(&post->pos, x, 0.0, z);
    post->scale = 0.4f;
    post->flags = THING_NO_COLLIDE;
    post->think = PostThink;
    post->draw = ThingDrawPost;
}

void SkyCreate() {
    Thing* sky = ThingCreate();
    sky->pos = cameraPos;
    sky->model = backSphere;
    sky->texture = &textures[TEXTURE_SPACE];
    // Drawn first and without the depth test: it surrounds the camera behind everything, and a
    // depth-free opaque fill is the cheapest full-window pass a software rasteriser has.
    sky->flags =
        THING_UNLIT | THING_INSIDE_OUT | THING_NO_COLLIDE | THING_BACKGROUND | THING_NO_DEPTH_TEST;
    sky->think = SkyThink;
    sky->draw = SkyDraw;
}

void PlanetCreate(int32_t n) {
    const PlanetLook& look = PLANETS[((n % 4) + 4) % 4];
    Thing* planet = ThingCreate();
    VecSet(&planet->pos, cameraPos.x + PLANET_OFFSET_X, look.height, cameraPos.z + PLANET_OFFSET_Z);
    planet->model = unitSphere;
    planet->texture = &textures[look.texture];
    planet->scale = look.scale;
    planet->think = PlanetThink;
    planet->draw = ThingDrawModel;
}

// Colour phases of a fireball at t = age / lifetime: white-yellow, orange-red, then fading.
struct FirePhase {
    float x, c, alpha;
};

FirePhase ExplosionPhase(float t, float h) {
    if (t <= 0.33f) return {1.0f, ((0.333f - t) * 1.5f + 0.5f) * h, 1.0f};
    if (t <= 0.66f) return {(0.666f - t) * 3.0f, (0.666f - t) * 1.5f * h, 1.0f};
    return {0.0f, 0.0f, (1.0f - t) * 3.0f};
}

} // namespace

void ExplosionCreate(const Vec3* pos, const Vec3* vel, int32_t shards, float base, float scale,
                     float spread, uint32_t voice) {
    int32_t room = EXPLOSION_MAX_PIECES - ExplosionPieceCount();
    if (room-- > 0) {
        Thing* core = ExplosionPiece(pos, vel);
        core->voice = voice;
        core->age = CORE_START_AGE;
        core->lifetime = CORE_LIFETIME;
        core->sizeBase = base * scale;
        core->sizeGrowth = scale * 0.3f;
        if (niceFx && room-- > 0) {
            Thing* second = ExplosionPiece(pos, vel);
            second->lifetime = CORE_LIFETIME;
            second->sizeBase = base * scale;
            second->sizeGrowth = scale * 0.3f;
        }
    }
    for (int32_t i = 0; i < shards && room-- > 0; i++) {
        Vec3 p = *pos;
        const float dx = ShardOffset(spread);
        const float dy = ShardOffset(spread);
        const float dz = ShardOffset(spread);
        p.x += dx * scale;
        p.y += dy * scale;
        p.z += dz * scale;
        Thing* shard = ExplosionPiece(&p, vel);
        shard->lifetime = static_cast<float>(RandomRange(1, 300) - 150) * 0.001f + 0.75f;
        shard->sizeBase =
            (static_cast<float>(RandomRange(1, 100) - 50) * 0.001f + base + 0.1f) * scale;
        shard->sizeGrowth = (static_cast<float>(RandomRange(1, 200) - 100) * 0.001f + 0.3f) * scale;
    }
    ParticleExplosion(pos, vel);
}

void ExplosionBlast(const Vec3* pos, const Vec3* vel, const ExplosionKind& kind, bool positional) {
    const uint32_t voice = positional ? WavePlayAt(SND_EXPLODE, 255, pos, BLAST_SOUND_RANGE)
                                      : WavePlay(SND_EXPLODE, 255);
    ExplosionCreate(pos, vel, kind.shards, kind.base, kind.scale, kind.spread, voice);
}

bool ExplosionIsPiece(const Thing* thing) {
    return thing->think == ExplosionThink;
}

void ExplosionThink(Thing* piece, float dt) {
    ThingMove(piece, dt);
    GameLight(&piece->pos, 225.0f, 1.3f, 0.2f, 0.0f);
    piece->age += dt;
    if (piece->age > piece->lifetime) piece->flags |= THING_DEAD;
    piece->scale = piece->age * piece->age * piece->sizeGrowth + piece->sizeBase;
    if (piece->voice != 0) piece->voice = WaveUpdateAt(piece->voice, &piece->pos);
}

void ExplosionDraw(Thing* piece) {
    const Model* model = piece->model;
    gl.LoadIdentity();
    gl.Translatef(piece->pos.x, piece->pos.y, piece->pos.z);
    gl.Scalef(piece->scale, piece->scale, piece->scale);
    gl.Rotatef(piece->pitch, 1.0f, 0.0f, 0.0f);
    gl.Rotatef(piece->yaw, 0.0f, 1.0f, 0.0f);
    gl.Rotatef(piece->roll, 0.0f, 0.0f, 1.0f);

    Vec3 e = cameraPos;
    VecSub(&e, &piece->pos);
    if (VecDot(&e, &e) > 0.0)
        VecNormalize(&e);
    else
        VecSet(&e, 0.0, 0.0, 1.0); // the viewer inside the centre: any side will do
    VecRotateX(&e, -piece->pitch);
    VecRotateY(&e, -piece->yaw);
    VecRotateZ(&e, -piece->roll);

    if (niceFx) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        gl.Disable(GL_BLEND);
    }

    const float t = piece->lifetime > 0.0f ? piece->age / piece->lifetime : 1.0f;
    const float h = (t + 0.5f) / 2.0f;
    const float k = (1.0f - h) / 255.0f;
    const FirePhase phase = ExplosionPhase(t, h);
    const Texture* fiery = &textures[TEXTURE_FIERY];

    gl.Begin(GL_TRIANGLES);
    for (int32_t i = 0; model != nullptr && i < model->triangleCount; i++) {
        const ModelTriangle& tri = model->triangles[i];
        if (VecDot(&e, &tri.normal) <= 0.0) continue;
        for (const ModelVertex& v : tri.vertex) {
            const float d = static_cast<float>(VecDot(&e, &v.normal));
            uint8_t r = 255, g = 255, b = 255;
            TextureGetTexel(fiery, static_cast<int32_t>(v.s * static_cast<float>(fiery->width - 1)),
                            static_cast<int32_t>(v.t * static_cast<float>(fiery->height - 1)), r, g,
                            b);
            gl.Color4f((r * k + h) * d, (g * k + phase.x * h) * d, (b * k + phase.c) * d,
                       phase.alpha);
            gl.Vertex3f(v.pos.x, v.pos.y, v.pos.z);
        }
    }
    gl.End();
    gl.Disable(GL_BLEND);
}

void BuildScenery(int32_t n) {
    if (starsEnabled) SkyCreate();
    PlanetCreate(n);
    const int32_t c = arenaPosts;
    const float s = arenaSize;
    for (int32_t i = 0; i < c; i++) {
        const float w = (static_cast<float>(i) / static_cast<float>(c - 1) - 0.5f) * s;
        PostCreate(w, -0.5f * s);
        PostCreate(w, 0.5f * s);
    }
    for (int32_t i = 1; i < c - 1; i++) {
        const float w = (static_cast<float>(i) / static_cast<float>(c - 1) - 0.5f) * s;
        PostCreate(-0.5f * s, w);
        PostCreate(0.5f * s, w);
    }
}

Thing* BannerCreate() {
    Thing* banner = ThingCreate();
    VecSet(&banner->pos, 0.0, 0.8, -0.5);
    banner->model = bannerModel;
    banner->texture = &textures[TEXTURE_BANNER3];
    banner->flags = THING_SHADE_VARIANT | THING_NO_COLLIDE | THING_NO_DYNAMIC_LIGHT;
    banner->draw = ThingDrawModel;
    if (niceFx) {
        banner->scale = 4.0f;
        banner->think = BannerThink;
    } else {
        banner->scale = 2.0f;
        banner->pitch = -20.0f;
    }
    return banner;
}

void SkyThink(Thing* sky, float dt) {
    sky->pos = cameraPos;
}

void SkyDraw(Thing* sky) {
    BackdropView view;
    view.offset = sky->pos;
    VecSub(&view.offset, &cameraPos);
    view.pitch = sky->pitch;
    view.yaw = sky->yaw;
    view.roll = sky->roll;
    view.scale = sky->scale;
    view.texture = sky->texture ? sky->texture->glName : 0;
    if (BackdropDraw(&view)) return;
    ThingDrawModel(sky);
    BackdropKeep(&view);
}

void PlanetThink(Thing* planet, float dt) {
    planet->pos.x = cameraPos.x + PLANET_OFFSET_X;
    planet->pos.z = cameraPos.z + PLANET_OFFSET_Z;
    planet->yaw = GameAngleWrap(planet->yaw + 15.0f * dt);
}

void PostThink(Thing* post, float dt) {
    post->yaw = GameAngleWrap(post->yaw + 30.0f * dt);
    post->roll = GameAngleWrap(post->roll + 50.0f * dt);
    if (lights >= 4) GameLight(&post->pos, 64.0f, 0.0f, 0.0f, 0.5f);
}

void BannerThink(Thing* banner, float dt) {
    banner->pitch = GameAngleWrap(banner->pitch + 30.0f * dt);
}
