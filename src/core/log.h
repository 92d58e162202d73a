// Log: the program's only diagnostic channel. One plain-text file per channel in the
// working directory, opened, appended and closed for every message so nothing is lost
// when the program dies. Safe to call from any thread (one recursive lock).
#pragma once

#include <cstddef>
#include <cstdint>

enum LogChannelId : int {
    LOG_ERROR = 0, // "error.log"
    LOG_BOOT =
        1, // "boot.log": the current run only; holds copies of errors until start-up completes
    LOG_PORT = 2, // "port.log": no writer; only the start-up size check touches it
};

// First call of the program: deletes the old boot log, moves logs above 100000 bytes aside.
void LogInit();
// printf-style message preceded by the "MM/DD(hh:mm) " time stamp. The caller supplies "\n".
// A negative channel or one above LOG_PORT counts as LOG_ERROR.
void Log(int channel, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Continues a line that Log began: the text unchanged, no stamp, no formatting.
void LogPrintf(int channel, const char* text);
// End of start-up: logs "Server initialization complete"; error lines stop being copied to
// boot.log.
void LogInitComplete();
// Last call of the program; nothing may log afterwards.
void LogUnInit();

// The fatal-signal report: message (a constant text) with its time stamp on error.log, and on
// boot.log while start-up is not complete, then echoed where standard output can take it at once.
// Async-signal-safe: no lock, no allocation, no stdio; the logs are found in LogInit's directory.
void LogFatal(const char* message);
// Writes the "MM/DD(hh:mm) " stamp of a local time given as seconds since 1970 into out (at least
// 14 bytes), without the C library; returns its length, 13.
size_t LogFormatStamp(int64_t localSeconds, char* out);

// Tests only: forget the boot-complete state so a fresh LogInit behaves like a new process.
void LogResetForTest();
