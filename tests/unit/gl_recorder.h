// Recording GL table for tests: every GL call appends its name (without the "gl" prefix) and its
// numeric arguments (pointers as their address) to a fixed log that tests inspect. glGetIntegerv
// answers as a 640 x 480 window would. Matrix stacks deeper than GL 1.1 promises (projection 2,
// model-view 32), and pops of an empty stack, fail the running test. The framebuffer extensions
// (glExt) are recorded too: a framebuffer made is named 1 and is complete.
#pragma once

#include "render/gl.h"

constexpr int GL_RECORDER_MAX_ARGS = 10;
constexpr int GL_RECORDER_CAPACITY = 1 << 16;

struct GLRecordedCall {
    const char* name; // "Begin", "Vertex3f", ...
    int argCount;
    double args[GL_RECORDER_MAX_ARGS];
};

// Install saves the current table and installs the recording one with an empty log; Restore puts
// the saved one back. Size counts the calls logged (those beyond the capacity are dropped), Calls
// gives them oldest first, Count those with a name, Find the first at or after `from` (or -1).
void GLRecorderInstall();
void GLRecorderRestore();
void GLRecorderClear();
int GLRecorderSize();
const GLRecordedCall* GLRecorderCalls();
int GLRecorderCount(const char* name);
int GLRecorderFind(const char* name, int from = 0);
// true: proxy textures answer width 0 and glGetError GL_OUT_OF_MEMORY, as a driver out of memory.
void GLRecorderRefuseStorage(bool refuse);

// Installs the recorder for one scope and restores the previous table at its end.
struct GLRecorderScope {
    GLRecorderScope() { GLRecorderInstall(); }
    ~GLRecorderScope() { GLRecorderRestore(); }
    GLRecorderScope(const GLRecorderScope&) = delete;
    GLRecorderScope& operator=(const GLRecorderScope&) = delete;
};
