// Recording GL table for tests: every GL call appends its name (without the "gl" prefix) and its
// numeric arguments (pointers as their address) to a fixed log that tests inspect.
#pragma once

#include "render/gl.h"

constexpr int GL_RECORDER_MAX_ARGS = 10;
constexpr int GL_RECORDER_CAPACITY = 1 << 16;

struct GLRecordedCall {
    const char* name; // "Begin", "Vertex3f", ...
    int argCount;
    double args[GL_RECORDER_MAX_ARGS];
};

// Saves the current table and installs the recording one, with an empty log.
void GLRecorderInstall();
// Puts back the table saved by the last install.
void GLRecorderRestore();
void GLRecorderClear();
// Number of calls logged (later calls beyond the capacity are dropped).
int GLRecorderSize();
// The logged calls, oldest first.
const GLRecordedCall* GLRecorderCalls();
// How many logged calls have this name.
int GLRecorderCount(const char* name);
// Index of the first call with this name at or after `from`, or -1.
int GLRecorderFind(const char* name, int from = 0);

// Installs the recorder for one scope and restores the previous table at its end.
struct GLRecorderScope {
    GLRecorderScope() { GLRecorderInstall(); }
    ~GLRecorderScope() { GLRecorderRestore(); }
    GLRecorderScope(const GLRecorderScope&) = delete;
    GLRecorderScope& operator=(const GLRecorderScope&) = delete;
};
