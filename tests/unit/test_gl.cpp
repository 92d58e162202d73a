// GL function table: the name list, and the loader's results against the system library.
#include "gl_recorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

TEST(GLTable, NamesAreInStrictlyAscendingOrder) {
    for (int i = 1; i < GL_FUNCTION_COUNT; ++i)
        EXPECT_LT(std::strcmp(glFunctionNames[i - 1], glFunctionNames[i]), 0) << glFunctionNames[i];
}

TEST(GLTable, InitFillsEveryEntryFromTheLibrary) {
    GLTable before = gl;
    noGdi = 0;
    ASSERT_EQ(OpenGLInit(GL_SYSTEM_LIBRARY), 0);
    EXPECT_EQ(noGdi, 0); // the exact system name keeps the system-first path
    void* lib = dlopen(GL_SYSTEM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr);
    for (int i = 0; i < GL_FUNCTION_COUNT; ++i)
        EXPECT_EQ(OpenGLTableEntry(i), dlsym(lib, glFunctionNames[i])) << glFunctionNames[i];
    EXPECT_EQ(OpenGLTableEntry(-1), nullptr);
    EXPECT_EQ(OpenGLTableEntry(GL_FUNCTION_COUNT), nullptr);
    dlclose(lib);
    OpenGLUnInit();
    EXPECT_EQ(glLibrary, nullptr);
    gl = before;
}

TEST(GLTable, InitResults) {
    setenv("SKX_NO_MESSAGEBOX", "1", 1);
    GLTable before = gl;
    EXPECT_EQ(OpenGLInit("nosuch-driver.so"), -666);
    EXPECT_EQ(glLibrary, nullptr);
    // A library that lacks the GL entry points: the first one missing gives -1.
    noGdi = 0;
    EXPECT_EQ(OpenGLInit("libm.so.6"), -1);
    EXPECT_NE(glLibrary, nullptr); // stays loaded
    OpenGLUnInit();
    // Any name other than the exact system one sets noGdi.
    const char* fullPath = "/usr/lib/x86_64-linux-gnu/libGL.so.1";
    if (dlopen(fullPath, RTLD_NOW | RTLD_NOLOAD) || access(fullPath, R_OK) == 0) {
        noGdi = 0;
        EXPECT_EQ(OpenGLInit(fullPath), 0);
        EXPECT_EQ(noGdi, 1);
        OpenGLUnInit();
    }
    noGdi = 0;
    gl = before;
}

TEST(GLTable, AutoChoosesSystemLibrary) {
    char name[GL_DRIVER_NAME_SIZE];
    std::memset(name, 'x', sizeof(name));
    OpenGLChooseDriver(name);
    EXPECT_STREQ(name, "libGL.so.1");
}
