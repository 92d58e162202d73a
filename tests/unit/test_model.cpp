// Models: sphere sizes, normals and winding, subdivision, scaling and radius, the text model
// reader on good and malformed files, the pool limit, the rail shot and the plain draw.
#include "render/model.h"

#include "gl_recorder.h"
#include "loader_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ModelTest : testing::Test {
    void SetUp() override { ModelPoolClear(); }
    void TearDown() override { ModelPoolClear(); }
};
using ModelDeathTest = ModelTest;

double Dot(const Vec3& a, const Vec3& b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

TEST_F(ModelTest, SphereTriangleCounts) {
    EXPECT_EQ(ModelCreateSphere(12, 8, 1.0f, 0)->triangleCount, 168);
    EXPECT_EQ(ModelCreateSphere(6, 6, 200.0f, 1)->triangleCount, 60);
    EXPECT_EQ(ModelCreateSphere(4, 2, 1.0f, 0)->triangleCount, 8);
    // A single band holds one triangle per slice; none for no bands or no slices.
    EXPECT_EQ(ModelCreateSphere(5, 1, 1.0f, 0)->triangleCount, 5);
    EXPECT_EQ(ModelCreateSphere(5, 0, 1.0f, 0)->triangleCount, 0);
    EXPECT_EQ(ModelCreateSphere(0, 4, 1.0f, 0)->triangleCount, 0);
}

TEST_F(ModelTest, SphereFacesOutwardWithUnitNormals) {
    Model* m = ModelCreateSphere(12, 8, 1.0f, 0);
    EXPECT_FLOAT_EQ(m->radius, 1.0f);
    for (int i = 0; i < m->triangleCount; ++i) {
        const ModelTriangle& t = m->triangles[i];
        Vec3 centre{(t.vertex[0].pos.x + t.vertex[1].pos.x + t.vertex[2].pos.x) / 3,
                    (t.vertex[0].pos.y + t.vertex[1].pos.y + t.vertex[2].pos.y) / 3,
                    (t.vertex[0].pos.z + t.vertex[1].pos.z + t.vertex[2].pos.z) / 3};
        EXPECT_GT(Dot(t.normal, centre), 0.0) << "triangle " << i << " faces inward";
        EXPECT_NEAR(std::sqrt(Dot(t.normal, t.normal)), 1.0, 1e-5);
    }
    // Texture wrapped once: the top band's last vertex (A0) sits at t = 7/8.
    const ModelTriangle& last = m->triangles[m->triangleCount - 1];
    EXPECT_FLOAT_EQ(last.vertex[2].t, 7.0f / 8.0f);
}

TEST_F(ModelTest, SphereSeamPolesAndBandsShareNormals) {
    // Corners that neighbouring triangles share (the seam at longitude 0 and the poles included)
    // must be one exact position, or their normals would not be smoothed across the edge.
    Model* m = ModelCreateSphere(6, 6, 200.0f, 1);
    EXPECT_FLOAT_EQ(m->radius, 200.0f);
    std::vector<const ModelVertex*> all;
    for (int i = 0; i < m->triangleCount; ++i)
        for (const ModelVertex& v : m->triangles[i].vertex)
            all.push_back(&v);
    for (const ModelVertex* a : all)
        for (const ModelVertex* b : all) {
            float dx = a->pos.x - b->pos.x, dy = a->pos.y - b->pos.y, dz = a->pos.z - b->pos.z;
            if (dx * dx + dy * dy + dz * dz > 1e-2f) continue;
            ASSERT_TRUE(VecEqual(&a->pos, &b->pos)) << "nearly equal corners must be equal";
            ASSERT_TRUE(VecEqual(&a->normal, &b->normal));
        }
    // Per-segment texture: the first (bottom) triangle shows the image whole.
    const ModelVertex* v = m->triangles[0].vertex;
    EXPECT_EQ(v[0].t, 1.0f);
    EXPECT_EQ(v[2].s, 0.5f);
}

TEST_F(ModelTest, ScalingRaisesButNeverLowersTheRadius) {
    Model* saucer = ModelCreateSphere(8, 2, 1.0f, 0);
    ModelScaleY(saucer, 0.35f);
    ModelSubdivide(saucer);
    EXPECT_FLOAT_EQ(saucer->radius, 1.0f);
    Model* rail = ModelCreateSphere(4, 2, 1.0f, 0);
    ModelScaleZ(rail, 9.0f);
    EXPECT_FLOAT_EQ(rail->radius, 9.0f);
    EXPECT_FLOAT_EQ(rail->radiusSq, 81.0f);
}

TEST_F(ModelTest, SubdivideKeepsTheSurfaceItsWindingAndItsTexture) {
    ScratchDir dir;
    WriteFile("tri.3d", "1\n0 0 0 0 0\n3 0 0 1 0\n0 0 -3 0 1\n");
    Model* m = ModelRead("tri.3d");
    Vec3 faceBefore = m->triangles[0].normal;
    ModelSubdivide(m);
    ASSERT_EQ(m->triangleCount, 6);
    double area = 0;
    for (int t = 0; t < 6; ++t) {
        const ModelVertex* v = m->triangles[t].vertex;
        Vec3 e1 = v[1].pos, e2 = v[2].pos, n;
        VecSub(&e1, &v[0].pos);
        VecSub(&e2, &v[0].pos);
        VecCross(&n, &e1, &e2);
        area += VecLength(&n) / 2;
        EXPECT_NEAR(Dot(m->triangles[t].normal, faceBefore), 1.0, 1e-6) << t << ": winding kept";
        for (int k = 0; k < 3; ++k) { // the texture follows the position: s = x / 3, t = -z / 3
            EXPECT_NEAR(v[k].s, v[k].pos.x / 3, 1e-6) << t << "/" << k;
            EXPECT_NEAR(v[k].t, -v[k].pos.z / 3, 1e-6) << t << "/" << k;
        }
    }
    EXPECT_NEAR(area, 4.5, 1e-5) << "the six pieces cover the triangle";
}

TEST_F(ModelTest, ReaderIgnoresLineLayout) {
    ScratchDir dir;
    WriteFile("lines.3d", "1\n1 2 3 0.25 0.5\n-1 0 0 0 1\n0 -2 0.5 1 0\n");
    WriteFile("column.3d", "  1\r\n1\r\n2\r\n3\r\n0.25\r\n0.5\r\n-1\n0\n0\n0\n1\n0\n-2\n0.5\n1\n0");
    Model* a = ModelRead("lines.3d");
    Model* b = ModelRead("column.3d");
    ASSERT_EQ(a->triangleCount, 1);
    ASSERT_EQ(b->triangleCount, 1);
    EXPECT_EQ(std::memcmp(&a->triangles[0], &b->triangles[0], sizeof(ModelTriangle)), 0);
    EXPECT_EQ(a->triangles[0].vertex[0].s, 0.25f);
    EXPECT_FLOAT_EQ(a->radius, std::sqrt(14.0f));
}

TEST_F(ModelTest, EmptyModelAndDraw) {
    ScratchDir dir;
    WriteFile("empty.3d", "0\n");
    Model* empty = ModelRead("empty.3d");
    EXPECT_EQ(empty->triangleCount, 0);
    EXPECT_EQ(empty->radius, 0.0f);
    Model* rail = ModelCreateSphere(4, 2, 1.0f, 0);
    rail->hidden = 1;
    GLRecorderScope rec;
    ModelDraw(empty);
    ModelDraw(rail);
    ModelDraw(nullptr);
    EXPECT_EQ(GLRecorderCount("Vertex3f"), 0);
    rail->hidden = 0;
    ModelDraw(rail);
    // Every corner once, in order, with its texture coordinates and no normals.
    EXPECT_EQ(GLRecorderCount("Vertex3f"), 8 * 3);
    EXPECT_EQ(GLRecorderCount("Normal3f"), 0);
    const GLRecordedCall* c = GLRecorderCalls();
    const ModelVertex& v = rail->triangles[2].vertex[1];
    int at = -1; // the eighth corner drawn
    for (int k = 0; k <= 2 * 3 + 1; ++k)
        at = GLRecorderFind("Vertex3f", at + 1);
    EXPECT_EQ(c[at - 1].args[0], v.s);
    EXPECT_EQ(c[at - 1].args[1], v.t);
    EXPECT_EQ(c[at].args[2], v.pos.z);
}

TEST_F(ModelDeathTest, MalformedFilesEndTheProgram) {
    ScratchDir dir;
    struct Case {
        const char* name;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"neg.3d", "-1\n", "ModelRead: neg.3d - triangle count outside 0 to 32767"},
        {"huge.3d", "40000\n", "ModelRead: huge.3d - triangle count outside 0 to 32767"},
        {"word.3d", "two\n", "ModelRead: word.3d - triangle count is not a number"},
        {"blank.3d", "", "ModelRead: blank.3d - no triangle count"},
        {"short.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0\n",
         "ModelRead: short.3d - fewer numbers than the triangle count announces (number 15)"},
        {"text.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 one 0 0 0\n",
         "ModelRead: text.3d - not a number (number 12)"},
        {"glued.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0x\n", "ModelRead: glued.3d - not a number"},
        {"nan.3d", "1\nnan 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n", "ModelRead: nan.3d - not a number"},
        {"inf.3d", "1\n1e99 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n", "ModelRead: inf.3d - not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.name, c.text);
        EXPECT_FATAL_LOG(ModelRead(c.name), "error.log", c.message);
    }
    EXPECT_FATAL_LOG(ModelRead("model/gone.3d"), "error.log",
                     "ModelRead: Error loading model/gone.3d\n");
}

TEST_F(ModelDeathTest, PoolLimitIsFatal) {
    ScratchDir dir;
    for (int i = 0; i < MODEL_POOL_SIZE; ++i)
        ASSERT_NE(ModelAlloc(), nullptr);
    EXPECT_FATAL_LOG(ModelAlloc(), "error.log", "ModelAlloc: overflowed model table\n");
    EXPECT_FATAL_LOG(ModelCreateSphere(256, 200, 1.0f, 0), "error.log", "ModelAlloc");
    ModelPoolClear();
    EXPECT_FATAL_LOG(ModelCreateSphere(256, 200, 1.0f, 0), "error.log",
                     "ModelCreateSphere: too many triangles\n");
}

// ModelInit over a model directory: the nine models in order with their names and the rail
// shot's collision spheres.
void CheckInitModels() {
    Model* order[] = {unitSphere, bigRock,     explosionModel, backSphere,   shipModel,
                      medRock,    bannerModel, saucerModel,    railShotModel};
    const char* names[] = {"unitSphere",      "model/bigrock.3d", "explosion",
                           "backSphere",      "model/ship.3d",    "model/medrock.3d",
                           "model/banner.3d", "saucer",           "railShot"};
    for (int i = 0; i < 9; ++i) {
        ASSERT_NE(order[i], nullptr) << i;
        EXPECT_STREQ(order[i]->name, names[i]);
        EXPECT_GT(order[i]->triangleCount, 0) << names[i];
        if (i > 0) {
            EXPECT_EQ(order[i] - order[i - 1], 1) << "pool records handed out in order";
        }
        for (int t = 0; t < order[i]->triangleCount; ++t)
            for (const ModelVertex& v : order[i]->triangles[t].vertex) {
                ASSERT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) &&
                            std::isfinite(v.normal.z))
                    << names[i];
                ASSERT_TRUE(std::isfinite(v.s) && std::isfinite(v.t)) << names[i];
            }
    }
    EXPECT_EQ(saucerModel->triangleCount, 96);
    ASSERT_EQ(railShotModel->pointCount, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(railShotModel->points[i].z, float(8 - 2 * i));
        EXPECT_EQ(railShotModel->pointRadiusSq[i], 1.0f);
    }
}

TEST_F(ModelTest, InitBuildsTheNineModels) {
    ScratchDir dir;
    mkdir("model", 0755);
    const char* tetra = "4\n"
                        "0 1 0 0.5 1  1 0 0 1 0  0 0 1 0 0\n"
                        "0 1 0 0.5 1  0 0 -1 1 0  1 0 0 0 0\n"
                        "0 1 0 0.5 1  0 0 1 1 0  0 0 -1 0 0\n"
                        "1 0 0 0 0  0 0 -1 0 1  0 0 1 1 1\n";
    for (const char* file :
         {"model/bigrock.3d", "model/medrock.3d", "model/ship.3d", "model/banner.3d"})
        WriteFile(file, tetra);
    ModelInit();
    CheckInitModels();
    EXPECT_EQ(shipModel->triangleCount, 24);
}

TEST_F(ModelTest, EveryGeneratedModelLoads) {
    if (!HaveGenerated("model")) GTEST_SKIP() << "no generated models";
    ScratchDir dir;
    ASSERT_EQ(symlink((RunDir() + "/model").c_str(), "model"), 0);
    ModelInit();
    CheckInitModels();
}

// Smoothed normals: the grouped computation must give bit for bit what comparing every corner with
// every other corner gives, on a real model with shared corners, creases and seams.
TEST_F(ModelTest, SmoothedNormalsMatchTheAllPairsDefinition) {
    if (!HaveGenerated("model")) GTEST_SKIP() << "no generated models";
    ScratchDir dir;
    ASSERT_EQ(symlink((RunDir() + "/model").c_str(), "model"), 0);
    for (const char* name : {"model/medrock.3d", "model/ship.3d"}) {
        Model* model = ModelRead(name);
        ASSERT_NE(model, nullptr);
        const ModelTriangle* t = model->triangles;
        int n = model->triangleCount;
        for (int i = 0; i < n; ++i)
            for (const ModelVertex& v : t[i].vertex) {
                Vec3 sum{0, 0, 0};
                int matches = 0;
                for (int u = 0; u < n; ++u)
                    for (const ModelVertex& w : t[u].vertex)
                        if (VecEqual(&w.pos, &v.pos)) {
                            VecAdd(&sum, &t[u].normal);
                            ++matches;
                        }
                VecDivide(&sum, matches);
                ASSERT_TRUE(VecEqual(&sum, &v.normal)) << name << " triangle " << i;
            }
    }
}

} // namespace
