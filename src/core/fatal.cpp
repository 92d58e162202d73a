// Fatal-signal guard. It runs on its own stack so a stack overflow can still be reported. The
// signal may land anywhere, also inside the allocator, stdio, a lock or X11, so the report itself
// uses only async-signal-safe calls (LogFatal); only after it is written does the guard touch the
// display, under a watchdog.
#include "core/fatal.h"

#include "core/log.h"
#include "core/window.h"

#include <SDL.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr int GUARDED_SIGNALS[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGTRAP};
// Faults this far below the lowest stack address count as running off the stack.
constexpr uintptr_t STACK_GUARD_SPAN = uintptr_t{256} * 1024;
constexpr size_t ALT_STACK_SIZE = size_t{64} * 1024;
constexpr unsigned FATAL_WATCHDOG_SECONDS = 3;

alignas(16) char altStack[ALT_STACK_SIZE];
pthread_t mainThread;
uintptr_t stackLow = 0;

bool FaultInStackGuard(const siginfo_t* info) {
    if (info->si_signo != SIGSEGV || info->si_code <= 0 || stackLow == 0)
        return false; // sent by kill or raise: there is no fault address
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    return address < stackLow + 4096 && address + STACK_GUARD_SPAN >= stackLow;
}

void FatalDie(int signal) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // Still blocked inside the handler: it is delivered, with its default action, on return.
    raise(signal);
}

volatile sig_atomic_t fatalSignal = 0;
volatile sig_atomic_t fatalStatus = 0;

// The display restore calls into libraries that take locks (X11, the GL driver); if the fault
// interrupted one of them holding its lock, it would wait forever. The watchdog then ends the
// process as the fatal path would have: by the original signal, unblocked, or with the exit status.
void FatalWatchdog(int) {
    const int signal = fatalSignal;
    if (signal == 0) _exit(fatalStatus);
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signal);
    _exit(128 + signal); // not reached
}

void FatalArmWatchdog(int signal, int status) {
    fatalSignal = signal;
    fatalStatus = status;
    struct sigaction action = {};
    action.sa_handler = FatalWatchdog;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    alarm(FATAL_WATCHDOG_SECONDS);
}

// Gives the display back: no GL context current, an exclusive full-screen mode left.
void FatalRestore() {
    WindowReleaseContext();
    WindowLeaveFullscreen();
}

void FatalHandler(int signal, siginfo_t* info, void*) {
    if (!pthread_equal(pthread_self(), mainThread)) {
        // A signal sent to the process (kill) may be given to any thread: the main thread reports
        // it. A fault of this thread's own is not ours to report.
        if (info->si_code <= 0 && pthread_kill(mainThread, signal) == 0) return;
        FatalDie(signal);
        return;
    }
    FatalArmWatchdog(signal, 0);
    const char* message = FatalExceptionName(signal, info->si_code, FaultInStackGuard(info));
    if (message) {
        LogFatal(message);
        FatalRestore();
    }
    FatalDie(signal);
}

} // namespace

const char* FatalExceptionName(int signal, int code, bool faultInStackGuard) {
    switch (signal) {
    case SIGSEGV:
        return faultInStackGuard ? "Fatal Exception: Stack Overflow\n"
                                 : "Fatal Exception: Access Violation\n";
    case SIGBUS:
        return code == BUS_ADRALN ? "Fatal Exception: Datatype Misalignment\n"
                                  : "Fatal Exception: In-page Error\n";
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV:
            return "Fatal Exception: Integer Divide By Zero\n";
        case FPE_INTOVF:
            return nullptr;
        case FPE_FLTDIV:
            return "Fatal Exception: Float Divide By Zero\n";
        case FPE_FLTOVF:
            return "Fatal Exception: Float Overflow\n";
        case FPE_FLTUND:
            return "Fatal Exception: Float Underflow\n";
        case FPE_FLTRES:
            return "Fatal Exception: Float Inexact Result\n";
        case FPE_FLTINV:
            return "Fatal Exception: Float Invalid Operation\n";
        case FPE_FLTSUB:
            return "Fatal Exception: Array Bounds Exceeded\n";
        default:
            break;
        }
        break;
    case SIGILL:
        if (code == ILL_PRVOPC) return "Fatal Exception: Private Instruction\n";
        break;
    case SIGTRAP:
        if (code == TRAP_BRKPT) return "Fatal Exception: Breakpoint\n";
        if (code == TRAP_TRACE) return "Fatal Exception: Single-step\n";
        break;
    default:
        break;
    }
    return "Fatal Exception: Unknown:\n";
}

void FatalRestoreDisplay(int status) {
    if (!mainWindow) return;
    FatalArmWatchdog(0, status);
    FatalRestore();
    alarm(0);
}

void FatalExit(int status) {
    // A switched display mode would outlive the process.
    FatalRestoreDisplay(status);
    // The log closes its file after every line, so only the echo on standard output can be waiting.
    std::fflush(nullptr);
    std::_Exit(status);
}

void FatalGuardInstall() {
    mainThread = pthread_self();
    pthread_attr_t attributes;
    if (pthread_getattr_np(mainThread, &attributes) == 0) {
        void* address = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attributes, &address, &size) == 0)
            stackLow = reinterpret_cast<uintptr_t>(address);
        pthread_attr_destroy(&attributes);
    }
    stack_t stack = {};
    stack.ss_sp = altStack;
    stack.ss_size = sizeof(altStack);
    sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_sigaction = FatalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : GUARDED_SIGNALS)
        sigaction(signal, &action, nullptr);
}

void ShowLastError() {
    const int error = errno;
    const char* sdlError = SDL_GetError();
    const char* text = (sdlError && sdlError[0]) ? sdlError : std::strerror(error);
    Log(LOG_ERROR, "%s", text);
    LogPrintf(LOG_ERROR, "\n");
    WindowMessageBox(text, "GetLastError", true);
    SDL_ClearError();
}
