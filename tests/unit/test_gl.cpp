// GL function table: the name list, and the loader's results against the system library.
#include "render/gl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

TEST(GLTable, InitFillsEveryEntryFromTheLibraryOrSaysWhyNot) {
    for (int i = 1; i < GL_FUNCTION_COUNT; ++i)
        EXPECT_LT(std::strcmp(glFunctionNames[i - 1], glFunctionNames[i]), 0) << glFunctionNames[i];
    setenv("SKX_NO_MESSAGEBOX", "1", 1);
    GLTable before = gl;
    EXPECT_EQ(OpenGLInit("nosuch-driver.so"), -666);
    EXPECT_EQ(OpenGLInit("libm.so.6"), -1); // a library without the GL entry points
    OpenGLUnInit();
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
    gl = before;
}
