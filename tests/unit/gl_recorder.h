// Recording GL table for tests: every GL call appends its name (without the "gl" prefix) and its
// numeric arguments (pointers as their address) to a fixed log that tests inspect.
//
//   GLRecorderInstall();            // saves the current table, installs the recorder, clears
//   DrawSomething();
//   EXPECT_EQ(GLRecorderCount("Begin"), 1);
//   GLRecorderRestore();            // or let a GLRecorderScope do both
#pragma once

#include "render/gl.h"

#include <string>
#include <vector>

constexpr int GL_RECORDER_MAX_ARGS = 10;
constexpr int GL_RECORDER_CAPACITY = 1 << 16;

struct GLRecordedCall {
    const char* name; // "Begin", "Vertex3f", ...
    int argCount;
    double args[GL_RECORDER_MAX_ARGS];
};

// Saves the current table and installs the recording one; clears the log and the strings.
void GLRecorderInstall();
// Saves the current table and installs the library's no-op table (benchmarks, smoke runs).
void GLNoopInstall();
// Puts back the table saved by the last install.
void GLRecorderRestore();
// Empties the log.
void GLRecorderClear();
// Number of calls logged (at most GL_RECORDER_CAPACITY; later calls are counted as dropped).
int GLRecorderSize();
int GLRecorderDropped();
// The logged calls, oldest first.
const GLRecordedCall* GLRecorderCalls();
// How many logged calls have this name.
int GLRecorderCount(const char* name);
// Index of the first call with this name at or after `from`, or -1.
int GLRecorderFind(const char* name, int from = 0);
// The names of the logged calls in order (for order checks).
std::vector<std::string> GLRecorderNames();
// The answer the recorder gives to glGetString(name); null until set.
void GLRecorderSetString(GLenum name, const char* value);

// Installs the recorder for one scope and restores the previous table at its end.
struct GLRecorderScope {
    GLRecorderScope() { GLRecorderInstall(); }
    ~GLRecorderScope() { GLRecorderRestore(); }
    GLRecorderScope(const GLRecorderScope&) = delete;
    GLRecorderScope& operator=(const GLRecorderScope&) = delete;
};
