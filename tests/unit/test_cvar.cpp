// Console variables: type rules of set, the camera alias, names and table limits.
#include "console/cvar.h"
#include "core/log.h"
#include "render/scene.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

class CVarTest : public ::testing::Test {
  protected:
    ScratchDir dir;
    void SetUp() override {
        LogResetForTest();
        CVarInit();
    }
};

TEST(StringIsFloat, PlainDecimalFractionsOnly) {
    for (const char* yes : {"2.0", "-0.5", ".5", "3.", ".", "-.5", "007.250"})
        EXPECT_TRUE(StringIsFloat(yes)) << yes;
    for (const char* no : {"2", "-", "1e5", "1.2.3", "+1.0", " 1.0", "", "1.0 ", "-1.-", "1,5"})
        EXPECT_FALSE(StringIsFloat(no)) << '"' << no << '"';
    EXPECT_FALSE(StringIsFloat(nullptr));
}

TEST(NameCompare, UnsignedBytesAndPrefixes) {
    EXPECT_EQ(NameCompare(nullptr, "camera", "camera"), 0);
    EXPECT_EQ(NameCompare(nullptr, "cam", "camera"), -1);
    EXPECT_EQ(NameCompare(nullptr, "camera", "cam"), 1);
    // Upper case sorts before lower case; bytes above 127 sort after ASCII.
    EXPECT_EQ(NameCompare(nullptr, "Camera", "camera"), -1);
    EXPECT_EQ(NameCompare(nullptr, "\xe9t\xe9", "zoom"), 1);
}

TEST_F(CVarTest, NewFloatStaysFloatAndNewLongReadsFloatTextAsInteger) {
    CVarSet("gravity", "1.5");
    CVar* gravity = CVarFind("gravity");
    ASSERT_NE(gravity, nullptr);
    EXPECT_EQ(gravity->type, CVAR_FLOAT);
    EXPECT_FLOAT_EQ(gravity->value.f, 1.5f);
    CVarSet("gravity", "3");
    EXPECT_EQ(gravity->type, CVAR_FLOAT);
    EXPECT_FLOAT_EQ(gravity->value.f, 3.0f);

    CVarSet("lives", "7");
    CVar* lives = CVarFind("lives");
    ASSERT_NE(lives, nullptr);
    EXPECT_EQ(lives->type, CVAR_LONG);
    EXPECT_EQ(lives->value.l, 7);
    CVarSet("lives", "2.9");
    EXPECT_EQ(lives->value.l, 2);
}

TEST_F(CVarTest, TextWithoutLeadingNumberLeavesValueUnchanged) {
    CVarSet("lives", "7");
    CVar* lives = CVarFind("lives");
    for (const char* text : {"abc", "", "-", "+", " x5"})
        CVarSet("lives", text);
    EXPECT_EQ(lives->value.l, 7);
    CVarSet("lives", "  -4xyz");
    EXPECT_EQ(lives->value.l, -4);
    CVarSet("gravity", "0.25");
    CVarSet("gravity", "fast");
    EXPECT_FLOAT_EQ(CVarFind("gravity")->value.f, 0.25f);
}

TEST_F(CVarTest, NewVariableFromNonNumericTextIsLongZero) {
    CVarSet("name", "player");
    ASSERT_NE(CVarFind("name"), nullptr);
    EXPECT_EQ(CVarFind("name")->type, CVAR_LONG);
    EXPECT_EQ(CVarFind("name")->value.l, 0);
    CVarSet("dot", ".");
    EXPECT_EQ(CVarFind("dot")->type, CVAR_FLOAT);
    EXPECT_EQ(CVarFind("dot")->value.f, 0.0f);
}

TEST_F(CVarTest, OutOfRangeLongsSaturateInsteadOfWrapping) {
    CVarSet("big", "99999999999");
    EXPECT_EQ(CVarFind("big")->value.l, INT32_MAX);
    CVarSet("big", "-99999999999");
    EXPECT_EQ(CVarFind("big")->value.l, INT32_MIN);
    CVarSet("big", "4294967298"); // would wrap to 2 if truncated
    EXPECT_EQ(CVarFind("big")->value.l, INT32_MAX);
}

TEST_F(CVarTest, CameraAliasWritesThroughAndLookupsAreCaseSensitive) {
    cameraMode = 0;
    CVarRegisterLong("camera", &cameraMode);
    CVarSet("camera", "2");
    EXPECT_EQ(cameraMode, 2);
    EXPECT_EQ(CVarFind("camera")->type, CVAR_LONG_PTR);
    CVarSet("camera", "1.9");
    EXPECT_EQ(cameraMode, 1);

    EXPECT_EQ(CVarFind("Camera"), nullptr);
    CVarSet("Camera", "3");
    EXPECT_EQ(cameraMode, 1);
    ASSERT_NE(CVarFind("Camera"), nullptr);
    EXPECT_EQ(CVarFind("Camera")->type, CVAR_LONG);

    // Registering again re-points the alias, without a second record.
    int32_t other = 0;
    CVar* camera = CVarFind("camera");
    CVarRegisterLong("camera", &other);
    EXPECT_EQ(CVarFind("camera"), camera);
    CVarSet("camera", "5");
    EXPECT_EQ(other, 5);
    EXPECT_EQ(cameraMode, 1);
    cameraMode = 0;
}

TEST_F(CVarTest, NullArgumentsDoNothing) {
    CVarSet(nullptr, "1");
    CVarSet("x", nullptr);
    CVarRegisterLong("y", nullptr);
    CVarRegisterLong(nullptr, &cameraMode);
    EXPECT_EQ(CVarFind("x"), nullptr);
    EXPECT_EQ(CVarFind("y"), nullptr);
    EXPECT_EQ(CVarFind(nullptr), nullptr);
}

TEST_F(CVarTest, NameOf63IsAcceptedAnd64EndsTheProgram) {
    std::string name63(63, 'n');
    CVarSet(name63.c_str(), "1");
    ASSERT_NE(CVarFind(name63.c_str()), nullptr);
    std::string name64(64, 'n');
    EXPECT_EXIT(CVarSet(name64.c_str(), "1"), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CVarCreate: cvarName too long\n"), std::string::npos);
}

TEST_F(CVarTest, The255thVariableFitsAndThe256thEndsTheProgram) {
    char name[16];
    for (int i = 0; i < 255; ++i) {
        std::snprintf(name, sizeof(name), "v%03d", i);
        CVarSet(name, "1");
    }
    EXPECT_NE(CVarFind("v254"), nullptr);
    // The table check comes before the name check.
    std::string tooLong(80, 'x');
    EXPECT_EXIT(CVarCreate(tooLong.c_str()), testing::ExitedWithCode(1), "");
    std::string errors = ReadFile("error.log");
    EXPECT_NE(errors.find("CVarCreate: overflowed cvar table\n"), std::string::npos);
    EXPECT_EQ(errors.find("too long"), std::string::npos);
    // Setting an existing variable on a full table is fine.
    CVarSet("v100", "9");
    EXPECT_EQ(CVarFind("v100")->value.l, 9);
}

} // namespace
