// Thing engine: pool and ids, deferred death, culling, translucent order, bounce, draw callbacks.
#include "core/client.h"
#include "gl_recorder.h"
#include "render/texture.h"
#include "world_fixture.h"

#include <cmath>
#include <vector>

namespace {

std::vector<uint32_t> drawn;
void RecordDraw(Thing* thing) {
    drawn.push_back(thing->id);
}

int thinkCalls = 0;
void CountThink(Thing*, float) {
    ++thinkCalls;
}
void DieThink(Thing* thing, float) {
    thing->flags |= THING_DEAD;
}
void SpawnThink(Thing* thing, float) {
    ++thinkCalls;
    thing->think = CountThink;
    ThingCreate()->think = CountThink;
}

Thing* MakeDrawn(Vec3 pos, uint32_t flags = 0) {
    Thing* t = ThingCreate();
    t->pos = pos;
    t->flags = flags;
    t->draw = RecordDraw;
    return t;
}

bool AllZeroExceptNothing(const Thing* t) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(t);
    for (size_t i = 0; i < sizeof(Thing); ++i)
        if (bytes[i] != 0) return false;
    return true;
}

} // namespace

TEST(Thing, IdsStartAtOneAndKeepCountingAcrossFrees) {
    WorldScope world;
    Thing* a = ThingCreate();
    Thing* b = ThingCreate();
    EXPECT_EQ(a->id, 1u);
    EXPECT_EQ(b->id, 2u);
    EXPECT_EQ(a->scale, 1.0f);
    a->flags |= THING_DEAD;
    ThingUpdateAll(0.01f);
    Thing* c = ThingCreate();
    EXPECT_EQ(c->id, 3u); // the freed record's id is not reused
}

TEST(Thing, KilledThingReturnsClearedAfterOnePass) {
    WorldScope world;
    Thing* t = ThingCreate();
    t->pos = {1, 2, 3};
    t->think = CountThink;
    t->owner = 77;
    ThingKillAll();
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingFreeIndex.count, THING_MAX);
    EXPECT_TRUE(AllZeroExceptNothing(t));
}

TEST(Thing, SelfKilledThingStaysUntilNextPassAndIsNotDrawn) {
    WorldScope world;
    GLRecorderScope rec;
    Thing* t = MakeDrawn({0, 0, -5});
    t->think = DieThink;
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingIndex.count, 1);
    drawn.clear();
    ThingDrawAll();
    EXPECT_TRUE(drawn.empty());
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingIndex.count, 0);
}

TEST(Thing, FreeingMovesLastThingIntoSlotAndItStillThinks) {
    WorldScope world;
    thinkCalls = 0;
    Thing* a = ThingCreate();
    ThingCreate()->think = CountThink;
    Thing* last = ThingCreate();
    last->think = CountThink;
    a->flags |= THING_DEAD;
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thinkCalls, 2);
    EXPECT_EQ(thingIndex.items[0], last);
}

TEST(Thing, ThingsCreatedDuringThePassThinkInTheSamePass) {
    WorldScope world;
    thinkCalls = 0;
    ThingCreate()->think = SpawnThink;
    ThingUpdateAll(0.01f);
    EXPECT_EQ(thingIndex.count, 2);
    EXPECT_EQ(thinkCalls, 2);
}

TEST(Thing, CreatingThe501stThingEndsTheProgram) {
    EXPECT_EXIT(
        {
            WorldScope world;
            for (int i = 0; i <= THING_MAX; ++i)
                ThingCreate();
        },
        testing::ExitedWithCode(1), "");
}

TEST(Thing, CullsBehindTheCameraByTheSidePlanesOnly) {
    WorldScope world;
    GLRecorderScope rec;
    // c = 45: a unit-radius thing straight behind is drawn while D cos 45 <= 1.
    MakeDrawn({0, 0, 1.40f});   // 0.990 <= 1: drawn
    MakeDrawn({0, 0, 1.42f});   // 1.004 > 1: culled
    MakeDrawn({0, 0, -1.0e6f}); // far ahead: no far plane
    Thing* big = MakeDrawn({0, 0, 3.0f});
    big->scale = 2.5f; // 2.12 <= 2.5: drawn
    drawn.clear();
    ThingDrawAll();
    EXPECT_EQ(drawn, (std::vector<uint32_t>{1, 3, 4}));
}

TEST(Thing, CullRadiusIsModelRadiusTimesScaleAndFollowsCameraYaw) {
    WorldScope world;
    GLRecorderScope rec;
    Model sphere = SphereModel(2.0f);
    Thing* m = MakeDrawn({0, 0, 2.9f});
    m->model = &sphere; // 2.05 <= 2: no
    Thing* n = MakeDrawn({0, 0, 2.8f});
    n->model = &sphere; // 1.98: drawn
    drawn.clear();
    ThingDrawAll();
    EXPECT_EQ(drawn, (std::vector<uint32_t>{2}));
    cameraYaw = 180.0f; // now facing +z: both are ahead
    drawn.clear();
    ThingDrawAll();
    EXPECT_EQ(drawn.size(), 2u);
}

TEST(Thing, EmptyPoolsStillSetTheirDrawState) {
    WorldScope world;
    GLRecorderScope rec;
    ThingDrawAll();
    ParticleDraw();
    EXPECT_EQ(GLRecorderCount("CullFace"), 1);
    EXPECT_EQ(GLRecorderCount("AlphaFunc"), 1);
}

TEST(Thing, NarrowFieldOfViewCullsSideThings) {
    WorldScope world;
    GLRecorderScope rec;
    MakeDrawn({20, 0, -20}); // 45 degrees to the right
    fieldOfView = 90.0;
    drawn.clear();
    ThingDrawAll();
    EXPECT_EQ(drawn.size(), 1u);
    fieldOfView = 60.0;
    drawn.clear();
    ThingDrawAll();
    EXPECT_TRUE(drawn.empty());
}

TEST(Thing, OpaqueFirstThenTranslucentFarToNearSmallerFirstOnTies) {
    WorldScope world;
    GLRecorderScope rec;
    Model sphere = SphereModel(1.0f);
    Thing* near = MakeDrawn({0, 0, -5}, THING_TRANSLUCENT);
    Thing* far = MakeDrawn({0, 0, -20}, THING_TRANSLUCENT);
    Thing* tieBig = MakeDrawn({0, 0, -10}, THING_TRANSLUCENT);
    Thing* tieSmall = MakeDrawn({0, 0, -10}, THING_TRANSLUCENT);
    Thing* opaque = MakeDrawn({0, 0, -30});
    for (Thing* t : {near, far, tieBig, tieSmall, opaque})
        t->model = &sphere;
    tieBig->scale = 2.0f;
    tieSmall->scale = 0.5f;
    drawn.clear();
    ThingDrawAll();
    EXPECT_EQ(drawn,
              (std::vector<uint32_t>{opaque->id, far->id, tieSmall->id, tieBig->id, near->id}));
    EXPECT_FLOAT_EQ(far->viewDistSq, 400.0f);
    // Culling on for the pass, off after it.
    EXPECT_EQ(GLRecorderNames().front(), "Enable");
    EXPECT_EQ(GLRecorderCalls()[0].args[0], GL_CULL_FACE);
    EXPECT_EQ(GLRecorderNames().back(), "Disable");
}

TEST(Thing, CompareDepthWithoutModelUsesScale) {
    Thing a{}, b{};
    a.viewDistSq = b.viewDistSq = 9.0f;
    a.scale = b.scale = 1.0f;
    EXPECT_EQ(ThingCompareDepth(nullptr, &a, &b), 0);
    b.scale = 2.0f;
    EXPECT_EQ(ThingCompareDepth(nullptr, &b, &a), 1);
}

TEST(Thing, BounceTurnsOnlyOutgoingVelocity) {
    WorldScope world;
    Thing t{};
    t.pos = {60, 0, 0};
    t.vel = {-3, 0, 0};
    ThingBounce(&t);
    EXPECT_EQ(t.vel.x, -3.0f); // already returning
    t.vel = {3, 0, 0};
    ThingBounce(&t);
    EXPECT_EQ(t.vel.x, -3.0f);
    EXPECT_EQ(t.pos.x, 60.0f); // never clamped
    t.pos = {0, 100, -48.6f};
    t.vel = {1, 5, -2};
    ThingBounce(&t);
    EXPECT_EQ(t.vel.z, 2.0f);
    EXPECT_EQ(t.vel.y, 5.0f);  // y is not bounded
    t.pos = {48.5f, 0, 48.5f}; // on the bound: not beyond it
    t.vel = {1, 0, 1};
    ThingBounce(&t);
    EXPECT_EQ(t.vel.x, 1.0f);
    EXPECT_EQ(t.vel.z, 1.0f);
}

TEST(Thing, HitWithoutACallbackIsHarmless) {
    Thing t{};
    ThingHit(&t, THING_HIT_SHIP_SHOT);
    static int lastKind;
    lastKind = 0;
    t.hit = [](Thing*, int32_t kind) { lastKind = kind; };
    ThingHit(&t, THING_HIT_RAMMED);
    EXPECT_EQ(lastKind, 4);
}

TEST(Thing, PostCubeCornerColoursAndOutwardWinding) {
    GLRecorderScope rec;
    Thing t{};
    t.pos = {5, 0, -3};
    t.scale = 0.4f;
    ThingDrawPost(&t);
    EXPECT_EQ(GLRecorderCount("Begin"), 1);
    EXPECT_EQ(GLRecorderCount("Vertex3f"), 24);
    std::vector<Vec3> verts;
    const GLRecordedCall* calls = GLRecorderCalls();
    for (int i = 0; i < GLRecorderSize(); ++i) {
        if (std::string(calls[i].name) != "Vertex3f") continue;
        ASSERT_EQ(std::string(calls[i - 1].name), "Color3f");
        Vec3 v = {float(calls[i].args[0]), float(calls[i].args[1]), float(calls[i].args[2])};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(calls[i - 1].args[k], (calls[i].args[k] + 1.0) / 2.0);
        verts.push_back(v);
    }
    // Faces z-, z+, x-, x+, y+, y-, each counter-clockwise seen from outside.
    const Vec3 outward[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int f = 0; f < 6; ++f) {
        Vec3 e1 = verts[f * 4 + 1], e2 = verts[f * 4 + 2], n;
        VecSub(&e1, &verts[f * 4]);
        VecSub(&e2, &verts[f * 4]);
        VecCross(&n, &e1, &e2);
        EXPECT_GT(VecDot(&n, &outward[f]), 0.0) << "face " << f;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(VecDot(&verts[f * 4 + k], &outward[f]), 1.0) << "face " << f;
    }
}

TEST(Thing, DrawModelSetsAndRestoresStateForItsFlags) {
    GLRecorderScope rec;
    OneTriangleModel tri;
    Texture tex{};
    tex.glName = 13;
    Thing t{};
    t.model = &tri.model;
    t.texture = &tex;
    t.scale = 1.0f;
    t.flags = THING_UNLIT | THING_TRANSLUCENT | THING_NO_DEPTH_TEST | THING_INSIDE_OUT;
    niceFx = 1;
    ThingDrawModel(&t);
    std::vector<std::string> names = GLRecorderNames();
    const GLRecordedCall* c = GLRecorderCalls();
    int bind = GLRecorderFind("BindTexture");
    ASSERT_NE(bind, -1);
    EXPECT_EQ(c[bind].args[1], 13.0);
    int blend = GLRecorderFind("BlendFunc");
    ASSERT_NE(blend, -1);
    EXPECT_EQ(c[blend].args[0], GL_SRC_ALPHA);
    EXPECT_EQ(c[blend].args[1], GL_ONE_MINUS_SRC_ALPHA);
    int cullFront = GLRecorderFind("CullFace");
    EXPECT_EQ(c[cullFront].args[0], GL_FRONT);
    int begin = GLRecorderFind("Begin");
    EXPECT_GT(begin, cullFront); // the plain draw comes after the state
    int cullBack = GLRecorderFind("CullFace", begin);
    EXPECT_EQ(c[cullBack].args[0], GL_BACK);
    bool depthBackOn = false;
    for (int i = begin; i < GLRecorderSize(); ++i)
        if (names[i] == "Enable" && c[i].args[0] == GL_DEPTH_TEST) depthBackOn = true;
    EXPECT_TRUE(depthBackOn);

    // Without nicefx a translucent thing is drawn opaque.
    GLRecorderClear();
    niceFx = 0;
    ThingDrawModel(&t);
    EXPECT_EQ(GLRecorderCount("BlendFunc"), 0);
    niceFx = 1;
}
