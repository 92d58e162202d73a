// The GL function table's loader against the system library and its extension look-up, the sky's
// kept copy, what the renderer timing test's verdicts switch off at and just above their
// thresholds and the names its lines give (tests/integration/boot.sh runs the real measurement),
// and screenshots' names, without their writer thread (tests/integration/demo.sh checks one).
#include "render/timing.h"

#include "console/command.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/window.h"
#include "gl_recorder.h"
#include "render/backdrop.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/screenshot.h"
#include "render/texture.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <pthread.h>
#include <set>

namespace {

TEST(TimingVerdicts, EachSlowFillSwitchesOffItsEffectsAboveTheThreshold) {
    struct Case {
        float linear, blend, nearest;
        int32_t width, fx, stars, particleTexture, textureFilter, fontFilter;
    };
    const Case cases[] = {
        {20.0f, 20.0f, 10.0f, 640, 1, 1, 1, 1, 1}, // at the thresholds: nothing changes
        {20.01f, 1.0f, 1.0f, 640, 1, 1, 1, 0, 0},  // fonts nearest only at 640 x 480
        {30.0f, 1.0f, 1.0f, 800, 1, 1, 1, 0, 1},
        {1.0f, 25.0f, 5.0f, 640, 0, 1, 0, 1, 1},  // slow blending
        {1.0f, 1.0f, 10.01f, 640, 1, 0, 1, 1, 1}, // stars need 10 ms
        {1.0f, 1.0f, 20.5f, 640, 1, 0, 0, 1, 1},  // particle textures 20
    };
    GLRecorderScope rec;
    const int32_t width = screenWidth, height = screenHeight;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.linear << " " << c.blend << " " << c.nearest);
        niceFx = starsEnabled = particleTextured = textureLinear = fontLinear = 1;
        for (float& t : timingResults)
            t = 1.0f;
        timingResults[TIMING_LINEAR_TEXTURE_FILL] = c.linear;
        timingResults[TIMING_BLEND_FILL] = c.blend;
        timingResults[TIMING_NEAREST_TEXTURE_FILL] = c.nearest;
        screenWidth = c.width;
        screenHeight = c.width * 3 / 4;
        TimingTestApply();
        EXPECT_EQ(niceFx, c.fx);
        EXPECT_EQ(starsEnabled, c.stars);
        EXPECT_EQ(particleTextured, c.particleTexture);
        EXPECT_EQ(textureLinear, c.textureFilter);
        EXPECT_EQ(fontLinear, c.fontFilter);
    }
    screenWidth = width;
    screenHeight = height;
    niceFx = starsEnabled = particleTextured = 1;
    // The boot log names each measurement.
    ScratchDir dir;
    LogResetForTest();
    ClockInit();
    gl.Finish = [] { // 120 ms while the last filter set is linear: slow at linear filtering alone
        const GLRecordedCall* c = GLRecorderCalls();
        int i = GLRecorderSize();
        while (--i >= 0 && std::strcmp(c[i].name, "TexParameterf") != 0) {
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(120);
        while (i >= 0 && c[i].args[2] == GL_LINEAR && std::chrono::steady_clock::now() < end) {
        }
    };
    TimingTest();
    const std::string log = ReadFile("boot.log");
    const auto ms = [&](const std::string& name) { // throws when the line is missing
        return std::stod(log.substr(log.rfind(' ', log.find("ms " + name + "\n")) + 1));
    };
    EXPECT_GE(ms("Linear Texture Fill Test"), 120.0) << log;
    EXPECT_LT(ms("Nearest Texture Fill Test"), 120.0) << log;
    for (float& t : timingResults)
        t = 0.0f;
}

TEST(GLTable, InitFillsEveryEntryFromTheLibraryOrSaysWhyNot) {
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
    // Through SDL's GL (offscreen), in a child that keeps the driver loaded: the blit is taken when
    // both extensions are named whole, anywhere. Exit status: a bit for the start, one per list.
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            int found =
                SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && OpenGLInit(GL_SYSTEM_LIBRARY) == 0;
            static const char* names;
            gl.GetString = [](GLenum) { return reinterpret_cast<const GLubyte*>(names); };
            for (const char* list :
                 {"GL_ARB_imaging GL_EXT_framebuffer_object GL_EXT_framebuffer_blit",
                  "GL_EXT_framebuffer_blit_more GL_EXT_framebuffer_object"}) {
                names = list;
                OpenGLLoadExtensionTable();
                found = found * 2 + (glExt.BlitFramebufferEXT != nullptr);
            }
            std::exit(found);
        },
        testing::ExitedWithCode(0b110), "");
    gl = before;
}

// The copy is taken of a view that held for two frames and drawn only while the view is the same;
// drawn back inside the world pass it stays within GL 1.1's projection stack (the recorder fails
// the test above 2) and leaves the camera's projection for the things drawn after it. A driver
// that cannot hold the copy is asked once per view size, and the sky is drawn afresh.
TEST(Backdrop, TheCopyIsDrawnOnlyForTheViewItWasTakenOf) {
    GLRecorderScope rec;
    BackdropReset();
    backdropBlitAllowed = false; // the GL 1.1 quad first
    const BackdropView view = {{0, 0, 0}, 0, 0, 0, 1, 5};
    SceneDrawWorld();
    BackdropKeep(&view);
    EXPECT_FALSE(BackdropDraw(&view));
    BackdropKeep(&view);
    GLRecorderClear();
    EXPECT_TRUE(BackdropDraw(&view));
    const int ortho = GLRecorderFind("Ortho");
    ASSERT_GE(ortho, 0);
    EXPECT_GE(GLRecorderFind("Rotatef", ortho), 0) << "the camera is not back after the copy";
    cameraYaw += 1.0f; // the ship turned: the stars must turn with it
    EXPECT_FALSE(BackdropDraw(&view));
    cameraYaw -= 1.0f;

    GLRecorderRefuseStorage(true);
    BackdropReset();
    const int32_t size[2] = {sceneViewport[2], sceneViewport[3]};
    SetProjection(size[0], size[1] + 64, 1.0f); // outgrows the copy: it must be made again
    for (int frame = 0; frame < 4; ++frame) {
        BackdropKeep(&view);
        EXPECT_FALSE(BackdropDraw(&view));
    }
    EXPECT_EQ(GLRecorderCount("GetTexLevelParameteriv"), 1);
    GLRecorderRefuseStorage(false);
    SetProjection(size[0], size[1], 1.0f);
    BackdropKeep(&view);
    BackdropKeep(&view);
    EXPECT_TRUE(BackdropDraw(&view));
    // Where the driver has the framebuffer blit, the copy goes back by it, pixel for pixel into
    // the scene's viewport.
    backdropBlitAllowed = true;
    GLRecorderClear();
    EXPECT_TRUE(BackdropDraw(&view));
    const int blit = GLRecorderFind("BlitFramebufferEXT");
    ASSERT_GE(blit, 0);
    const double* a = GLRecorderCalls()[blit].args;
    const int32_t* port = sceneViewport;
    EXPECT_EQ(std::vector<double>(a, a + 8),
              (std::vector<double>{0, 0, double(port[2]), double(port[3]), double(port[0]),
                                   double(port[1]), double(port[0] + port[2]),
                                   double(port[1] + port[3])}));
    EXPECT_EQ(GLRecorderCount("Ortho"), 0);
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PopMatrix();
    BackdropReset();
}

TEST(Screenshot, WrittenAtOnceWithoutAWriterThreadAndByTheWriterWithOne) {
    ScratchDir dir;
    LogResetForTest();
    GLRecorderScope rec;
    CommandInit();
    const int32_t width = screenWidth, height = screenHeight;
    const int32_t wide = desktopWidth, high = desktopHeight;
    screenWidth = desktopWidth = 64;
    screenHeight = desktopHeight = 48;
    // No thread can start: each would ask for a stack larger than the address space.
    pthread_attr_t saved, huge;
    ASSERT_EQ(pthread_getattr_default_np(&saved), 0);
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, size_t{1} << 50);
    pthread_setattr_default_np(&huge);
    ScreenshotInit();
    pthread_setattr_default_np(&saved);
    pthread_attr_destroy(&huge);
    pthread_attr_destroy(&saved);
    EXPECT_NE(ReadFile("error.log").find("ScreenshotInit: no writer thread"), std::string::npos);
    std::set<std::string> taken; // the plain names of the next ten seconds: shots get numbers
    for (std::time_t now = std::time(nullptr), t = now; t < now + 10; ++t) {
        char name[64];
        struct tm local;
        std::strftime(name, sizeof name, "screenshots/skarnex3d-%Y%m%d-%H%M%S",
                      localtime_r(&t, &local));
        WriteFile(std::string(name) + ".png", "");
        taken.insert(name);
    }
    ScreenshotCommand("");
    ScreenshotCapture();
    ScreenshotUnInit();
    ScreenshotInit(); // now with the writer thread, which UnInit waits for
    ScreenshotCommand("");
    ScreenshotCapture();
    ScreenshotUnInit();
    screenWidth = width;
    screenHeight = height;
    desktopWidth = wide;
    desktopHeight = high;
    EXPECT_EQ(GLRecorderCount("ReadPixels"), 2);
    EXPECT_NE(ReadFile("boot.log").find("(64x48)"), std::string::npos);
    size_t pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SCREENSHOT_DIR)) {
        const std::string name = entry.path().string();
        if (entry.file_size() == 0) continue;
        ++pngs;
        const size_t dash = name.rfind('-');
        EXPECT_TRUE(taken.count(name.substr(0, dash)) &&
                    (name.substr(dash) == "-2.png" || name.substr(dash) == "-3.png"))
            << name;
    }
    EXPECT_EQ(pngs, 2u);
}

} // namespace
