// Log: the program's only diagnostic channel. One plain-text file per channel in the
// working directory, opened, appended and closed for every message so nothing is lost
// when the program dies. Safe to call from any thread (one recursive lock).
#pragma once

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

// Tests only: forget the boot-complete state so a fresh LogInit behaves like a new process.
void LogResetForTest();
