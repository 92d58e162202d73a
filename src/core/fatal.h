// Fatal error reporting: the guard that names a fatal signal of the main thread in the error log
// and gives the display back before the process dies, the exit every fatal path ends in, and
// ShowLastError.
#pragma once

// Installs the guard for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGTRAP on an alternate signal
// stack. On such a signal on the main thread: the message in error.log, no GL context current,
// the desktop's mode restored, then the process dies by the same signal with its default action.
// A fault on another thread takes its default action unlogged; a signal sent to the process is
// handed to the main thread.
void FatalGuardInstall();

// The exit path's share of the guard (statuses 1, 2, 3, from any thread): when there is a window,
// makes no GL context current and leaves an exclusive full-screen mode, as a fatal signal does. A
// restore that hangs on a lock ends the process with status after a few seconds.
void FatalRestoreDisplay(int status);

// The end of every fatal path (exit statuses 1, 2 and 3), from any thread and any module: gives a
// switched display mode back (FatalRestoreDisplay), flushes standard output and ends the process
// at once. No destructor runs, so the mixer's timer thread and the music worker, wherever they
// are, cannot turn the status into an abort.
[[noreturn]] void FatalExit(int status);

// The error-log message for a signal and its si_code, or null when the guard does not handle it
// (integer overflow) and the default action takes it. faultInStackGuard: the fault address lies
// in the guard area below the main thread's stack.
const char* FatalExceptionName(int signal, int code, bool faultInStackGuard);

// Logs the last system error (SDL's when it has one, else errno's text) on the error log and
// shows it in a box captioned "GetLastError".
void ShowLastError();
