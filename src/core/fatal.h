// Fatal error reporting: the guard that names a fatal signal of the main thread in the error log
// and gives the display back before the process dies, and ShowLastError.
#pragma once

// Installs the guard for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGTRAP on an alternate signal
// stack. On such a signal on the main thread: the message in error.log, no GL context current,
// the desktop's mode restored, then the process dies by the same signal with its default action.
// Signals on other threads take their default action unlogged.
void FatalGuardInstall();

// The error-log message for a signal and its si_code, or null when the guard does not handle it
// (integer overflow) and the default action takes it. faultInStackGuard: the fault address lies
// in the guard area below the main thread's stack.
const char* FatalExceptionName(int signal, int code, bool faultInStackGuard);

// Logs the last system error (SDL's when it has one, else errno's text) on the error log and
// shows it in a box captioned "GetLastError".
void ShowLastError();
