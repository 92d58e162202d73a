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

// One variable set step by step: its type and value after each text.
TEST_F(CVarTest, SetRulesForTypesTextAndRange) {
    struct Step {
        const char* name;
        const char* text;
        int32_t type;
        double value;
    };
    const Step steps[] = {
        {"gravity", "1.5", CVAR_FLOAT, 1.5},
        {"gravity", "3", CVAR_FLOAT, 3}, // stays float
        {"gravity", "fast", CVAR_FLOAT, 3},
        {"lives", "7", CVAR_LONG, 7},
        {"lives", "2.9", CVAR_LONG, 2}, // float text read as an integer
        {"lives", "abc", CVAR_LONG, 2},
        {"lives", "", CVAR_LONG, 2},
        {"lives", "-", CVAR_LONG, 2},
        {"lives", " x5", CVAR_LONG, 2},
        {"lives", "  -4xyz", CVAR_LONG, -4},
        {"name", "player", CVAR_LONG, 0},
        {"dot", ".", CVAR_FLOAT, 0},
        {"big", "99999999999", CVAR_LONG, INT32_MAX},
        {"big", "-99999999999", CVAR_LONG, INT32_MIN},
        {"big", "4294967298", CVAR_LONG, INT32_MAX}, // not wrapped to 2
    };
    for (const Step& s : steps) {
        CVarSet(s.name, s.text);
        CVar* v = CVarFind(s.name);
        ASSERT_NE(v, nullptr) << s.name;
        EXPECT_EQ(v->type, s.type) << s.name << " = '" << s.text << "'";
        EXPECT_EQ(s.type == CVAR_FLOAT ? double(v->value.f) : double(v->value.l), s.value)
            << s.name << " = '" << s.text << "'";
    }
    CVarSet(nullptr, "1");
    CVarSet("x", nullptr);
    CVarRegisterLong("y", nullptr);
    CVarRegisterLong(nullptr, &cameraMode);
    EXPECT_EQ(CVarFind("x"), nullptr);
    EXPECT_EQ(CVarFind("y"), nullptr);
    EXPECT_EQ(CVarFind(nullptr), nullptr);
}

TEST_F(CVarTest, CameraAliasWritesThroughAndLookupsAreCaseSensitive) {
    cameraMode = 0;
    CVarRegisterLong("camera", &cameraMode);
    CVarSet("camera", "1.9");
    EXPECT_EQ(cameraMode, 1);
    CVarSet("Camera", "3"); // another variable
    EXPECT_EQ(cameraMode, 1);
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

TEST_F(CVarTest, NameAndTableLimitsEndTheProgram) {
    std::string name63(63, 'n');
    CVarSet(name63.c_str(), "1");
    ASSERT_NE(CVarFind(name63.c_str()), nullptr);
    std::string name64(64, 'n');
    EXPECT_EXIT(CVarSet(name64.c_str(), "1"), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CVarCreate: cvarName too long\n"), std::string::npos);
    char name[16];
    for (int i = 0; i < 254; ++i) {
        std::snprintf(name, sizeof(name), "v%03d", i);
        CVarSet(name, "1");
    }
    CVarSet("v100", "9"); // an existing variable on a full table is fine
    EXPECT_EQ(CVarFind("v100")->value.l, 9);
    // The table check comes before the name check.
    std::string tooLong(80, 'x');
    EXPECT_EXIT(CVarCreate(tooLong.c_str()), testing::ExitedWithCode(1), "");
    EXPECT_NE(ReadFile("error.log").find("CVarCreate: overflowed cvar table\n"), std::string::npos);
}

} // namespace
