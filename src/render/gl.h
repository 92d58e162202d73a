// GL function table and driver loading. No GL library is linked: OpenGLInit loads the driver
// named by the "opengl" setting at run time and fills the table `gl`, through which every GL
// call of the program goes (gl.Begin(GL_QUADS), gl.Vertex3f(x, y, z)). The types and constants
// are our own copies of the OpenGL 1.1 ones, so nothing includes <GL/gl.h>.
#pragma once

#include "core/settings.h"

#include <cstddef>
#include <cstdint>

using GLenum = unsigned int;
using GLboolean = unsigned char;
using GLbitfield = unsigned int;
using GLvoid = void;
using GLbyte = signed char;
using GLshort = short;
using GLint = int;
using GLubyte = unsigned char;
using GLushort = unsigned short;
using GLuint = unsigned int;
using GLsizei = int;
using GLfloat = float;
using GLclampf = float;
using GLdouble = double;
using GLclampd = double;

#include "render/gl_constants.inc"

struct SDL_Window;

constexpr int GL_FUNCTION_COUNT = 336; // every OpenGL 1.1 entry point
constexpr int GL_EXTENSION_COUNT = 40; // optional extensions, looked up but never called
constexpr size_t GL_DRIVER_NAME_SIZE = 256;
// The system library that "opengl = auto" chooses; only this exact name keeps noGdi clear.
constexpr const char* GL_SYSTEM_LIBRARY = "libGL.so.1";

// One typed pointer per OpenGL 1.1 entry point, named without the "gl" prefix, in ascending
// order of the names.
struct GLTable {
// NOLINTNEXTLINE(bugprone-macro-parentheses): the arguments are a type, a name and a parameter list
#define GL_FUNCTION(ret, name, params, args) ret(*name) params;
#include "render/gl_functions.inc"
#undef GL_FUNCTION
};

// The framebuffer-object and blit extensions (GL_EXT_framebuffer_object and
// GL_EXT_framebuffer_blit), named without the "gl" prefix: all set by OpenGLLoadExtensionTable
// when the driver names both extensions and has every entry point, else all null.
struct GLExtensionTable {
    void (*GenFramebuffersEXT)(GLsizei n, GLuint* names);
    void (*BindFramebufferEXT)(GLenum target, GLuint name);
    void (*FramebufferTexture2DEXT)(GLenum target, GLenum attachment, GLenum textureTarget,
                                    GLuint texture, GLint level);
    GLenum (*CheckFramebufferStatusEXT)(GLenum target);
    void (*BlitFramebufferEXT)(GLint srcX0, GLint srcY0, GLint srcX1, GLint srcY1, GLint dstX0,
                               GLint dstY0, GLint dstX1, GLint dstY1, GLbitfield mask,
                               GLenum filter);
};
extern GLExtensionTable glExt;

// The table every GL call goes through. Filled once by OpenGLInit (or by a test's recording or
// no-op table); entries keep their addresses after OpenGLUnInit.
extern GLTable gl;
// The full GL names of the table's entries, in table order ("glAccum" ... "glViewport").
extern const char* const glFunctionNames[GL_FUNCTION_COUNT];
// The extension names, in look-up order, and what the look-up found (null when missing).
extern const char* const glExtensionNames[GL_EXTENSION_COUNT];
extern void* glExtensions[GL_EXTENSION_COUNT];
// Handle of the loaded driver library, or null.
extern void* glLibrary;
// Set: the swap and pixel-format wrappers go to the driver's own functions first. Set by
// OpenGLInit for any driver other than GL_SYSTEM_LIBRARY, then overridden by "nogdi".
extern int32_t noGdi;
// The nogdi setting (0 or 1); OpenGLInit may still set it for a driver of its own.
void OpenGLSetNoGdi(int32_t value);

// Writes the driver for "opengl = auto" into nameOut (GL_DRIVER_NAME_SIZE bytes).
void OpenGLChooseDriver(char* nameOut);
// Loads driverName and fills the table: 0 on success, -666 when the library cannot be loaded
// (after the "Could not open OpenGL Library" box), -1 when an OpenGL 1.1 entry point is missing
// (the entries before it stay filled, the library stays loaded).
int OpenGLInit(const char* driverName);
// Frees the driver library; nothing may call GL afterwards.
void OpenGLUnInit();
// Fills the table with functions that do nothing and return zero: for benchmarks and headless
// runs of draw code. Does not load or free any library.
void OpenGLInstallNoop();

// Window-system wrappers. Each does nothing (returns null/false) while no library is loaded.
// Creates a context for the window and makes it current; null on failure.
void* OpenGLCreateContext(SDL_Window* window);
void OpenGLDeleteContext(void* context);
// (null, null) makes no context current. Returns false on failure.
bool OpenGLMakeCurrent(SDL_Window* window, void* context);
// Extension look-up through the driver; null when missing.
void* OpenGLGetProcAddress(const char* name);
// With a context current (client start-up): fills glExt from the driver, or empties it.
void OpenGLLoadExtensionTable();
// Presents the back buffer.
void OpenGLSwapBuffers(SDL_Window* window);
// Swap interval of the current context: 0 immediate, 1 vertical sync, -1 adaptive (late frames
// are shown at once). False when the driver refuses it.
bool OpenGLSetSwapInterval(int interval);
// Asks for the pixel format before the window is created: double buffer, depth bits zdepth,
// colour 5/6/5 for cdepth 16 else 8/8/8, no alpha, stencil or accumulation. False when the
// request is refused.
bool OpenGLChoosePixelFormat(int32_t cdepth, int32_t zdepth);

// Tests only (the loader checks the table through it too):
// Address of table entry i (table order).
void* OpenGLTableEntry(int index);

// vantor.ini opengl and nogdi.
extern const SettingTable glSettings;
