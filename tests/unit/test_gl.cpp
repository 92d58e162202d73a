// GL function table: the name list against the system library, the loader's results, and the
// recording table the draw tests rely on.
#include "gl_recorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <set>
#include <string>
#include <unistd.h>

TEST(GLTable, NamesAreTheOpenGL11SetInAscendingOrder) {
    std::set<std::string> unique;
    for (int i = 0; i < GL_FUNCTION_COUNT; ++i) {
        unique.insert(glFunctionNames[i]);
        if (i > 0) {
            EXPECT_LT(std::strcmp(glFunctionNames[i - 1], glFunctionNames[i]), 0) << i;
        }
    }
    EXPECT_EQ(unique.size(), 336u);
}

TEST(GLTable, EveryNameIsExportedBySystemLibrary) {
    void* lib = dlopen(GL_SYSTEM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (int i = 0; i < GL_FUNCTION_COUNT; ++i)
        EXPECT_NE(dlsym(lib, glFunctionNames[i]), nullptr) << glFunctionNames[i];
    dlclose(lib);
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

TEST(GLRecorder, RecordsNamesAndArgumentsAndRestores) {
    OpenGLInstallNoop();
    GLTable before = gl;
    {
        GLRecorderScope scope;
        gl.Begin(GL_QUADS);
        gl.Vertex3f(1.5f, -2.0f, 3.0f);
        gl.TexImage2D(GL_TEXTURE_2D, 0, 3, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        gl.End();
        EXPECT_EQ(gl.GetError(), GL_NO_ERROR);
        EXPECT_EQ(gl.GetString(GL_VENDOR), nullptr);
        GLRecorderSetString(GL_VENDOR, "Test Vendor");
        EXPECT_STREQ(reinterpret_cast<const char*>(gl.GetString(GL_VENDOR)), "Test Vendor");

        ASSERT_EQ(GLRecorderSize(), 7);
        const GLRecordedCall* calls = GLRecorderCalls();
        EXPECT_STREQ(calls[0].name, "Begin");
        EXPECT_EQ(calls[1].argCount, 3);
        EXPECT_EQ(calls[1].args[1], -2.0);
        EXPECT_EQ(calls[2].argCount, 9);
        EXPECT_EQ(calls[2].args[4], 32.0);
        EXPECT_EQ(GLRecorderFind("End"), 3);
        EXPECT_EQ(GLRecorderFind("Begin", 1), -1);
        EXPECT_EQ(GLRecorderCount("GetString"), 2);
        GLRecorderClear();
        EXPECT_EQ(GLRecorderSize(), 0);
    }
    EXPECT_EQ(std::memcmp(&gl, &before, sizeof(gl)), 0);
}

TEST(GLRecorder, FullLogDropsInsteadOfOverrunning) {
    GLRecorderScope scope;
    for (int i = 0; i < GL_RECORDER_CAPACITY + 5; ++i)
        gl.Vertex2i(i, i);
    EXPECT_EQ(GLRecorderSize(), GL_RECORDER_CAPACITY);
    EXPECT_EQ(GLRecorderDropped(), 5);
    EXPECT_EQ(GLRecorderCalls()[GL_RECORDER_CAPACITY - 1].args[0], GL_RECORDER_CAPACITY - 1);
}
