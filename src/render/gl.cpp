// GL driver loading: dlopen for the OpenGL 1.1 table (a GLX GetProcAddress answers for any name,
// so it cannot tell a missing entry point), SDL for the context and the extensions.
#include "render/gl.h"

#include "core/window.h"

#include <SDL.h>

#include <cstring>
#include <dlfcn.h>
#include <type_traits>

GLTable gl = {};
void* glLibrary = nullptr;
int32_t noGdi = 0;

void OpenGLSetNoGdi(int32_t value) {
    noGdi = value;
}
void* glExtensions[GL_EXTENSION_COUNT] = {};

GLExtensionTable glExt = {};

const char* const glFunctionNames[GL_FUNCTION_COUNT] = {
#define GL_FUNCTION(ret, name, params, args) "gl" #name,
#include "render/gl_functions.inc"
#undef GL_FUNCTION
};

const char* const glExtensionNames[GL_EXTENSION_COUNT] = {
    "glActiveTextureARB",    "glClientActiveTextureARB", "glMultiTexCoord1dARB",
    "glMultiTexCoord1dvARB", "glMultiTexCoord1fARB",     "glMultiTexCoord1fvARB",
    "glMultiTexCoord1iARB",  "glMultiTexCoord1ivARB",    "glMultiTexCoord1sARB",
    "glMultiTexCoord1svARB", "glMultiTexCoord2dARB",     "glMultiTexCoord2dvARB",
    "glMultiTexCoord2fARB",  "glMultiTexCoord2fvARB",    "glMultiTexCoord2iARB",
    "glMultiTexCoord2ivARB", "glMultiTexCoord2sARB",     "glMultiTexCoord2svARB",
    "glMultiTexCoord3dARB",  "glMultiTexCoord3dvARB",    "glMultiTexCoord3fARB",
    "glMultiTexCoord3fvARB", "glMultiTexCoord3iARB",     "glMultiTexCoord3ivARB",
    "glMultiTexCoord3sARB",  "glMultiTexCoord3svARB",    "glMultiTexCoord4dARB",
    "glMultiTexCoord4dvARB", "glMultiTexCoord4fARB",     "glMultiTexCoord4fvARB",
    "glMultiTexCoord4iARB",  "glMultiTexCoord4ivARB",    "glMultiTexCoord4sARB",
    "glMultiTexCoord4svARB", "glLockArraysEXT",          "glUnlockArraysEXT",
    "wglSwapIntervalEXT",    "wglGetSwapIntervalEXT",    "glPointParameterfEXT",
    "glPointParameterfvEXT",
};

namespace {

const Setting GLSETTINGS_ROWS[] = {
    {"opengl", SETTING_TEXT, 0, "auto", 1, 0, 0, nullptr, nullptr},
    {"nogdi", SETTING_INT, 0, nullptr, INT32_MIN, INT32_MAX, 0, nullptr, nullptr},
};

} // namespace

const SettingTable glSettings = SettingTableOf("gl", GLSETTINGS_ROWS);

namespace {

// The table as an array of entries, for look-ups by index; every member is a function pointer
// of the same size, laid out without padding.
static_assert(sizeof(GLTable) == GL_FUNCTION_COUNT * sizeof(void (*)()));

template <class R> R GLZero() {
    if constexpr (std::is_void_v<R>)
        return;
    else
        return R{};
}

#define GL_FUNCTION(ret, name, params, args)                                                       \
    ret Noop##name params {                                                                        \
        return GLZero<ret>();                                                                      \
    }
#include "render/gl_functions.inc"
#undef GL_FUNCTION

bool sdlLibraryLoaded = false;

} // namespace

void OpenGLChooseDriver(char* nameOut) {
    // There is no stand-alone card driver to probe here: the system library serves every card.
    std::memset(nameOut, 0, GL_DRIVER_NAME_SIZE);
    std::strncpy(nameOut, GL_SYSTEM_LIBRARY, GL_DRIVER_NAME_SIZE - 1);
}

int OpenGLInit(const char* driverName) {
    glLibrary = dlopen(driverName, RTLD_NOW | RTLD_LOCAL);
    // The context is SDL's: it must load the same library, which needs the video subsystem.
    if (glLibrary && SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_GL_LoadLibrary(driverName) == 0) {
            sdlLibraryLoaded = true;
        } else {
            dlclose(glLibrary);
            glLibrary = nullptr;
        }
    }
    if (!glLibrary) {
        WindowMessageBox("Could not open OpenGL Library", "Error");
        return -666;
    }

    void* entry = nullptr;
#define GL_FUNCTION(ret, name, params, args)                                                       \
    if (!(entry = dlsym(glLibrary, "gl" #name))) return -1;                                        \
    gl.name = reinterpret_cast<decltype(gl.name)>(entry);
#include "render/gl_functions.inc"
#undef GL_FUNCTION

    for (int i = 0; i < GL_EXTENSION_COUNT; ++i)
        glExtensions[i] = OpenGLGetProcAddress(glExtensionNames[i]);

    if (std::strcmp(driverName, GL_SYSTEM_LIBRARY) != 0) noGdi = 1;
    return 0;
}

void OpenGLUnInit() {
    if (sdlLibraryLoaded) {
        SDL_GL_UnloadLibrary();
        sdlLibraryLoaded = false;
    }
    if (glLibrary) dlclose(glLibrary);
    glLibrary = nullptr;
}

void OpenGLInstallNoop() {
#define GL_FUNCTION(ret, name, params, args) gl.name = Noop##name;
#include "render/gl_functions.inc"
#undef GL_FUNCTION
}

void* OpenGLTableEntry(int index) {
    if (index < 0 || index >= GL_FUNCTION_COUNT) return nullptr;
    void* entries[GL_FUNCTION_COUNT];
    std::memcpy(entries, &gl, sizeof(gl));
    return entries[index];
}

void* OpenGLCreateContext(SDL_Window* window) {
    if (!glLibrary || !window) return nullptr;
    return SDL_GL_CreateContext(window);
}

void OpenGLDeleteContext(void* context) {
    if (glLibrary && context) SDL_GL_DeleteContext(context);
}

bool OpenGLMakeCurrent(SDL_Window* window, void* context) {
    if (!glLibrary) return false;
    return SDL_GL_MakeCurrent(window, context) == 0;
}

namespace {

// Whether the driver's extension string names this extension as a whole word.
bool OpenGLHasExtension(const char* name) {
    const char* all = reinterpret_cast<const char*>(gl.GetString(GL_EXTENSIONS));
    const size_t length = std::strlen(name);
    for (const char* at = all; at && (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == all || at[-1] == ' ';
        if (starts && (at[length] == ' ' || at[length] == '\0')) return true;
    }
    return false;
}

template <class F> bool OpenGLExtensionEntry(F* slot, const char* name) {
    *slot = reinterpret_cast<F>(OpenGLGetProcAddress(name));
    return *slot != nullptr;
}

} // namespace

void OpenGLLoadExtensionTable() {
    glExt = {};
    if (!OpenGLHasExtension("GL_EXT_framebuffer_object") ||
        !OpenGLHasExtension("GL_EXT_framebuffer_blit"))
        return;
    GLExtensionTable found = {};
    if (OpenGLExtensionEntry(&found.GenFramebuffersEXT, "glGenFramebuffersEXT") &&
        OpenGLExtensionEntry(&found.BindFramebufferEXT, "glBindFramebufferEXT") &&
        OpenGLExtensionEntry(&found.FramebufferTexture2DEXT, "glFramebufferTexture2DEXT") &&
        OpenGLExtensionEntry(&found.CheckFramebufferStatusEXT, "glCheckFramebufferStatusEXT") &&
        OpenGLExtensionEntry(&found.BlitFramebufferEXT, "glBlitFramebufferEXT"))
        glExt = found;
}

void* OpenGLGetProcAddress(const char* name) {
    if (!glLibrary || !sdlLibraryLoaded) return nullptr;
    return SDL_GL_GetProcAddress(name);
}

void OpenGLSwapBuffers(SDL_Window* window) {
    // The "system" and "driver" swap paths are one and the same here.
    if (glLibrary && window) SDL_GL_SwapWindow(window);
}

bool OpenGLSetSwapInterval(int interval) {
    if (!glLibrary) return false;
    return SDL_GL_SetSwapInterval(interval) == 0;
}

bool OpenGLChoosePixelFormat(int32_t cdepth, int32_t zdepth) {
    const bool low = cdepth == 16;
    bool ok = SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0;
    ok = SDL_GL_SetAttribute(SDL_GL_RED_SIZE, low ? 5 : 8) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, low ? 6 : 8) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, low ? 5 : 8) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, zdepth) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0) == 0 && ok;
    // Every draw is OpenGL 1.1 immediate mode: a legacy (compatibility) context.
    ok = SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1) == 0 && ok;
    ok = SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1) == 0 && ok;
    return ok;
}
