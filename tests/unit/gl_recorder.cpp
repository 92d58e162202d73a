// Recording GL table: one generated function per OpenGL 1.1 entry point.
#include "gl_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

GLRecordedCall calls[GL_RECORDER_CAPACITY];
int callCount = 0;
GLTable saved = {};

template <class T> double RecordedValue(T value) {
    if constexpr (std::is_pointer_v<T>)
        return static_cast<double>(reinterpret_cast<uintptr_t>(value));
    else
        return static_cast<double>(value);
}

// Called as Recorder{"Name"}(args...): the macro's parenthesised argument list becomes the call's.
struct Recorder {
    const char* name;
    template <class... T> void operator()(T... values) const {
        if (callCount >= GL_RECORDER_CAPACITY) return;
        GLRecordedCall& call = calls[callCount++];
        call = {name, static_cast<int>(sizeof...(values)), {}};
        int i = 0;
        ((call.args[i++] = RecordedValue(values)), ...);
    }
};

template <class R> R RecordedResult() {
    if constexpr (std::is_void_v<R>)
        return;
    else
        return R{};
}

// NOLINTBEGIN(bugprone-macro-parentheses): a type, a name and two parenthesised lists
#define GL_FUNCTION(ret, name, params, args)                                                       \
    ret Record##name params {                                                                      \
        Recorder{#name} args;                                                                      \
        return RecordedResult<ret>();                                                              \
    }
// NOLINTEND(bugprone-macro-parentheses)
#include "render/gl_functions.inc"
#undef GL_FUNCTION

// The answers a window of 640 x 480 gives: its viewport and a largest texture of 1024.
void RecordGetIntegervAnswer(GLenum name, GLint* out) {
    Recorder{"GetIntegerv"}(name, out);
    static const GLint viewport[4] = {0, 0, 640, 480};
    if (name == GL_VIEWPORT) std::memcpy(out, viewport, sizeof viewport);
    if (name == GL_MAX_TEXTURE_SIZE) *out = 1024;
}

// GL 1.1 promises a projection stack of 2 and a model-view stack of 32: a draw routine that needs
// more works on a generous driver and breaks on the old ones.
GLenum matrixMode = GL_MODELVIEW;
int projectionDepth = 1, modelviewDepth = 1;
bool refuseStorage = false;

void RecordMatrixModeTracked(GLenum mode) {
    Recorder{"MatrixMode"}(mode);
    matrixMode = mode;
}

void RecordPushMatrixTracked() {
    Recorder{"PushMatrix"}();
    int& depth = matrixMode == GL_PROJECTION ? projectionDepth : modelviewDepth;
    ++depth;
    if (matrixMode == GL_PROJECTION)
        EXPECT_LE(depth, 2) << "the projection stack is only 2 deep in GL 1.1";
    else
        EXPECT_LE(depth, 32);
}

void RecordPopMatrixTracked() {
    Recorder{"PopMatrix"}();
    int& depth = matrixMode == GL_PROJECTION ? projectionDepth : modelviewDepth;
    EXPECT_GT(depth, 1) << "matrix stack underflow";
    --depth;
}

// A proxy texture answers with its width when the driver could hold it, 0 when not.
void RecordProxyAnswer(GLenum target, GLint level, GLenum name, GLint* out) {
    Recorder{"GetTexLevelParameteriv"}(target, level, name, out);
    *out = refuseStorage ? 0 : 1;
}

GLenum RecordGetErrorAnswer() {
    Recorder{"GetError"}();
    return refuseStorage ? GL_OUT_OF_MEMORY : GL_NO_ERROR;
}

// The framebuffer extensions, recorded like the rest: a framebuffer is named 1 and complete.
void RecordGenFramebuffersEXT(GLsizei n, GLuint* names) {
    Recorder{"GenFramebuffersEXT"}(n, names);
    for (GLsizei i = 0; i < n; ++i)
        names[i] = static_cast<GLuint>(i + 1);
}
void RecordBindFramebufferEXT(GLenum target, GLuint name) {
    Recorder{"BindFramebufferEXT"}(target, name);
}
void RecordFramebufferTexture2DEXT(GLenum target, GLenum attachment, GLenum textureTarget,
                                   GLuint texture, GLint level) {
    Recorder{"FramebufferTexture2DEXT"}(target, attachment, textureTarget, texture, level);
}
GLenum RecordCheckFramebufferStatusEXT(GLenum target) {
    Recorder{"CheckFramebufferStatusEXT"}(target);
    return 0x8CD5; // GL_FRAMEBUFFER_COMPLETE_EXT
}
void RecordBlitFramebufferEXT(GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0,
                              GLint dx1, GLint dy1, GLbitfield mask, GLenum filter) {
    Recorder{"BlitFramebufferEXT"}(sx0, sy0, sx1, sy1, dx0, dy0, dx1, dy1, mask, filter);
}

GLExtensionTable savedExt = {};

} // namespace

void GLRecorderRefuseStorage(bool refuse) {
    refuseStorage = refuse;
}

void GLRecorderInstall() {
    saved = gl;
    savedExt = glExt;
    glExt = {RecordGenFramebuffersEXT, RecordBindFramebufferEXT, RecordFramebufferTexture2DEXT,
             RecordCheckFramebufferStatusEXT, RecordBlitFramebufferEXT};
#define GL_FUNCTION(ret, name, params, args) gl.name = Record##name;
#include "render/gl_functions.inc"
#undef GL_FUNCTION
    gl.GetIntegerv = RecordGetIntegervAnswer;
    gl.MatrixMode = RecordMatrixModeTracked;
    gl.PushMatrix = RecordPushMatrixTracked;
    gl.PopMatrix = RecordPopMatrixTracked;
    gl.GetTexLevelParameteriv = RecordProxyAnswer;
    gl.GetError = RecordGetErrorAnswer;
    matrixMode = GL_MODELVIEW;
    projectionDepth = modelviewDepth = 1;
    refuseStorage = false;
    GLRecorderClear();
}

void GLRecorderRestore() {
    gl = saved;
    glExt = savedExt;
}

void GLRecorderClear() {
    callCount = 0;
}

int GLRecorderSize() {
    return callCount;
}

const GLRecordedCall* GLRecorderCalls() {
    return calls;
}

int GLRecorderCount(const char* name) {
    int n = 0;
    for (int i = 0; i < callCount; ++i)
        n += std::strcmp(calls[i].name, name) == 0;
    return n;
}

int GLRecorderFind(const char* name, int from) {
    for (int i = from < 0 ? 0 : from; i < callCount; ++i)
        if (std::strcmp(calls[i].name, name) == 0) return i;
    return -1;
}
