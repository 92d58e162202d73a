// Models: subdivision, scaling and radius, the text model reader on malformed files and the pool
// limit (every game test reads hand-made models; tests/unit/test_assets.cpp the generated ones).
#include "render/model.h"

#include "loader_files.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ModelTest : testing::Test {
    void SetUp() override { ModelPoolClear(); }
    void TearDown() override { ModelPoolClear(); }
};
using ModelDeathTest = ModelTest;

double Dot(const Vec3& a, const Vec3& b) {
    return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

TEST_F(ModelTest, SubdivideKeepsSurfaceWindingAndTextureAndScalingOnlyRaisesTheRadius) {
    ScratchDir dir;
    WriteFile("tri.3d", "1\n0 0 0 0 0\n3 0 0 1 0\n0 0 -3 0 1\n");
    Model* m = ModelRead("tri.3d");
    const Vec3 faceBefore = m->triangles[0].normal;
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
        EXPECT_GT(Dot(n, faceBefore), 0.0) << t << ": winding kept";
        for (int k = 0; k < 3; ++k) { // the texture follows the position: s = x / 3, t = -z / 3
            EXPECT_NEAR(v[k].s, v[k].pos.x / 3, 1e-6) << t << "/" << k;
            EXPECT_NEAR(v[k].t, -v[k].pos.z / 3, 1e-6) << t << "/" << k;
        }
    }
    EXPECT_NEAR(area, 4.5, 1e-5) << "the six pieces cover the triangle";
    Model* saucer = ModelCreateSphere(8, 2, 1.0f, 0);
    ModelScaleY(saucer, 0.35f);
    EXPECT_FLOAT_EQ(saucer->radius, 1.0f);
    ModelScaleZ(saucer, 9.0f);
    EXPECT_FLOAT_EQ(saucer->radiusSq, 81.0f);
}

TEST_F(ModelDeathTest, MalformedFilesAndAFullPoolEndTheProgram) {
    ScratchDir dir;
    const char* cases[][3] = {
        {"neg.3d", "-1\n", "neg.3d - triangle count outside 0 to 32767"},
        {"huge.3d", "40000\n", "huge.3d - triangle count outside 0 to 32767"},
        {"word.3d", "two\n", "word.3d - triangle count is not a number"},
        {"blank.3d", "", "blank.3d - no triangle count"},
        {"short.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0\n",
         "short.3d - fewer numbers than the triangle count announces (number 15)"},
        {"text.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 one 0 0 0\n", "text.3d - not a number (number 12)"},
        {"glued.3d", "1\n0 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0x\n", "glued.3d - not a number"},
        {"nan.3d", "1\nnan 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n", "nan.3d - not a number"},
        {"inf.3d", "1\n1e99 0 0 0 0\n1 0 0 0 0\n0 1 0 0 0\n", "inf.3d - not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        WriteFile(c[0], c[1]);
        EXPECT_FATAL_LOG(ModelRead(c[0]), "error.log", std::string("ModelRead: ") + c[2]);
    }
    EXPECT_FATAL_LOG(ModelRead("model/gone.3d"), "error.log",
                     "ModelRead: Error loading model/gone.3d\n");
    EXPECT_FATAL_LOG(ModelCreateSphere(256, 200, 1.0f, 0), "error.log",
                     "ModelCreateSphere: too many triangles\n");
    for (int i = 0; i < MODEL_POOL_SIZE; ++i)
        ASSERT_NE(ModelAlloc(), nullptr);
    EXPECT_FATAL_LOG(ModelAlloc(), "error.log", "ModelAlloc: overflowed model table\n");
}

} // namespace
