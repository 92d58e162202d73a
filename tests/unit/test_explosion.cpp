// Explosions and scenery.
#include "game/explosion.h"
#include "game_fixture.h"
#include "gl_recorder.h"
#include "render/texture.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace {

constexpr float DT = 0.01f;

TEST(Explosion, PiecesWithAndWithoutNiceFx) {
    GameScope scope;
    const Vec3 pos = {1.0f, 2.0f, 3.0f};
    const Vec3 vel = {0.0f, 0.0f, 4.0f};
    niceFx = 0;
    ExplosionCreate(&pos, &vel, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_EQ(GameCountThink(ExplosionThink), 5);
    EXPECT_EQ(particleIndex.count, 50); // both bursts at the default density
    niceFx = 1;
    ExplosionCreate(&pos, nullptr, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_EQ(GameCountThink(ExplosionThink), 11);
    int cores = 0;
    for (int k = 0; k < 11; k++) {
        const Thing* p = GameFindThink(ExplosionThink, k);
        if (p->lifetime == 1.7f) {
            cores++;
            EXPECT_FLOAT_EQ(p->sizeBase, 0.6f);
            EXPECT_TRUE(p->age == 0.3f || p->age == 0.0f);
        } else {
            // Shards: 0.6 to 0.9 s, scattered around the centre by at most 0.15 *
            // spread * scale.
            EXPECT_GE(p->lifetime, 0.6f);
            EXPECT_LE(p->lifetime, 0.9f);
            EXPECT_LE(std::fabs(p->pos.x - pos.x), 0.15f * 1.3f * 2.0f + 1e-5f);
            EXPECT_GE(p->sizeBase, (0.3f + 0.1f - 0.05f) * 2.0f - 1e-5f);
            EXPECT_LE(p->sizeBase, (0.3f + 0.1f + 0.05f) * 2.0f + 1e-5f);
        }
    }
    EXPECT_EQ(cores, 3);
}

TEST(Explosion, CorePieceLivesOnePointFourSecondsAndGrows) {
    GameScope scope;
    const Vec3 pos = {0.0f, 0.0f, 0.0f};
    niceFx = 0;
    ExplosionCreate(&pos, nullptr, 0, 0.12f, 1.8f, 1.3f, 0);
    Thing* core = GameFindThink(ExplosionThink);
    GameSlice(DT);
    EXPECT_NEAR(core->scale, 0.31f * 0.31f * 1.8f * 0.3f + 0.12f * 1.8f, 1e-4);
    EXPECT_GT(lightIndex.count, 0);
    GameRun(138, DT);
    EXPECT_FALSE(core->flags & THING_DEAD);
    GameRun(3, DT);
    EXPECT_EQ(GameCountThink(ExplosionThink), 0);
}

TEST(Explosion, PiecesStopAtTheirCapAndThePoolIsNeverExhausted) {
    GameScope scope;
    const Vec3 pos = {0.0f, 0.0f, 0.0f};
    for (int k = 0; k < 200; k++)
        ExplosionCreate(&pos, nullptr, 4, 0.3f, 2.0f, 1.3f, 0);
    EXPECT_LE(GameCountThink(ExplosionThink), 120);
    EXPECT_GE(GameCountThink(ExplosionThink), 100);
    GameSlice(DT); // more lights wanted than the pool holds: the rest go without
    EXPECT_LE(lightIndex.count, LIGHT_MAX);
}

// Colours sent for a piece at a given point of its life.
std::vector<GLRecordedCall> DrawAt(Thing* piece, float t) {
    piece->age = t * piece->lifetime;
    GLRecorderScope rec;
    ExplosionDraw(piece);
    std::vector<GLRecordedCall> colours;
    for (int i = 0; i < GLRecorderSize(); i++)
        if (std::string(GLRecorderCalls()[i].name) == "Color4f")
            colours.push_back(GLRecorderCalls()[i]);
    return colours;
}

TEST(Explosion, FieryPhasesAndFade) {
    GameScope scope;
    const Vec3 pos = {0.0f, 0.0f, -10.0f};
    niceFx = 1;
    ExplosionCreate(&pos, nullptr, 0, 0.3f, 1.0f, 1.0f, 0);
    Thing* piece = GameFindThink(ExplosionThink);
    piece->scale = 1.0f;
    cameraPos = {0.0f, 0.0f, 0.0f};
    // Without the Fiery image every texel reads black, so the colour is (h, X h,
    // C) * d.
    const std::vector<GLRecordedCall> mid = DrawAt(piece, 0.5f);
    ASSERT_FALSE(mid.empty());
    // Only faces toward the viewer: fewer than all triangles.
    EXPECT_LT(mid.size(), static_cast<size_t>(explosionModel->triangleCount) * 3);
    const float x = (0.666f - 0.5f) * 3.0f;
    for (const GLRecordedCall& c : mid) {
        EXPECT_FLOAT_EQ(c.args[3], 1.0f);
        if (c.args[0] > 1e-3) {
            EXPECT_NEAR(c.args[1] / c.args[0], x, 1e-3);
        }
    }
    const std::vector<GLRecordedCall> late = DrawAt(piece, 0.9f);
    ASSERT_FALSE(late.empty());
    for (const GLRecordedCall& c : late) {
        EXPECT_NEAR(c.args[3], 0.3, 1e-4);
        EXPECT_NEAR(c.args[1], 0.0, 1e-6); // no yellow left
    }
    // Blended with nicefx, opaque without.
    {
        GLRecorderScope rec;
        ExplosionDraw(piece);
        EXPECT_GE(GLRecorderFind("Enable"), 0);
    }
    niceFx = 0;
    {
        GLRecorderScope rec;
        ExplosionDraw(piece);
        EXPECT_EQ(GLRecorderCount("Enable"), 0);
    }
}

TEST(Scenery, ThirtySixPostsOnTheArenaSquare) {
    GameScope scope;
    BuildScenery(1);
    std::set<std::pair<int, int>> seen;
    int posts = 0;
    for (int32_t i = 0; i < thingIndex.count; i++) {
        const Thing* t = static_cast<const Thing*>(thingIndex.items[i]);
        if (t->think != PostThink) continue;
        posts++;
        EXPECT_TRUE(t->flags & THING_NO_COLLIDE);
        const bool onEdge = std::fabs(std::fabs(t->pos.x) - 50.0f) < 1e-3f ||
                            std::fabs(std::fabs(t->pos.z) - 50.0f) < 1e-3f;
        EXPECT_TRUE(onEdge);
        seen.insert({static_cast<int>(std::lround(t->pos.x * 10)),
                     static_cast<int>(std::lround(t->pos.z * 10))});
    }
    EXPECT_EQ(posts, 36);
    EXPECT_EQ(seen.size(), 36u); // corners not doubled
    EXPECT_TRUE(seen.count({-500, -500}));
    EXPECT_TRUE(seen.count({-389, -500})); // 11.1 apart
}

TEST(Scenery, PlanetByLevelAndTheSkyOnlyWithStars) {
    GameScope scope;
    struct Case {
        int32_t n, texture;
        float scale, y;
    };
    const Case cases[] = {{4, TEXTURE_MARS, 30, -70},
                          {1, TEXTURE_EARTH, 15, 40},
                          {2, TEXTURE_JUPITER, 25, 40},
                          {3, TEXTURE_FIERY, 15, 30}};
    for (const Case& c : cases) {
        ThingKillAll();
        ThingUpdateAll(0.0f);
        starsEnabled = c.n % 2;
        BuildScenery(c.n);
        Thing* planet = GameFindThink(PlanetThink);
        ASSERT_NE(planet, nullptr);
        EXPECT_EQ(planet->texture, &textures[c.texture]);
        EXPECT_EQ(planet->scale, c.scale);
        EXPECT_EQ(planet->pos.y, c.y);
        EXPECT_EQ(GameCountThink(SkyThink), starsEnabled ? 1 : 0);
    }
    cameraPos = {5.0f, 1.0f, 7.0f};
    ThingUpdateAll(0.5f);
    Thing* planet = GameFindThink(PlanetThink);
    EXPECT_EQ(planet->pos.x, 5.0f - 70.0f);
    EXPECT_EQ(planet->pos.z, 7.0f - 170.0f);
    EXPECT_NEAR(planet->yaw, 7.5f, 1e-4);
    Thing* sky = GameFindThink(SkyThink);
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->pos.z, 7.0f);
}

TEST(Scenery, BannerTumblesWithNiceFxAndStandsStillWithout) {
    GameScope scope;
    niceFx = 1;
    Thing* banner = BannerCreate();
    EXPECT_EQ(banner->scale, 4.0f);
    banner->pitch = 170.0f;
    BannerThink(banner, 0.5f);
    EXPECT_NEAR(banner->pitch, -175.0f, 1e-4);
    niceFx = 0;
    Thing* still = BannerCreate();
    EXPECT_EQ(still->think, nullptr);
}

TEST(Scenery, PostsLightTheArenaOnlyAtTheHighestLightSetting) {
    {
        GameScope scope("lights = 4\n");
        BuildScenery(1);
        GameSlice(DT);
        EXPECT_GE(lightIndex.count, 36);
    }
    {
        GameScope scope;
        BuildScenery(1);
        GameSlice(DT);
        EXPECT_EQ(lightIndex.count, 0);
    }
}

} // namespace
