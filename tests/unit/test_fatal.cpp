// Fatal-signal guard: the names by signal and code, and real faults in a child process that must
// be logged and then end the child by the same signal.
#include "core/fatal.h"
#include "core/log.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(FatalNames, BySignalAndCode) {
    EXPECT_STREQ(FatalExceptionName(SIGSEGV, SEGV_MAPERR, false),
                 "Fatal Exception: Access Violation\n");
    EXPECT_STREQ(FatalExceptionName(SIGSEGV, SI_USER, false),
                 "Fatal Exception: Access Violation\n");
    EXPECT_STREQ(FatalExceptionName(SIGSEGV, SEGV_MAPERR, true),
                 "Fatal Exception: Stack Overflow\n");
    EXPECT_STREQ(FatalExceptionName(SIGBUS, BUS_ADRALN, false),
                 "Fatal Exception: Datatype Misalignment\n");
    EXPECT_STREQ(FatalExceptionName(SIGBUS, BUS_ADRERR, false), "Fatal Exception: In-page Error\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_INTDIV, false),
                 "Fatal Exception: Integer Divide By Zero\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTDIV, false),
                 "Fatal Exception: Float Divide By Zero\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTOVF, false),
                 "Fatal Exception: Float Overflow\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTUND, false),
                 "Fatal Exception: Float Underflow\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTRES, false),
                 "Fatal Exception: Float Inexact Result\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTINV, false),
                 "Fatal Exception: Float Invalid Operation\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, FPE_FLTSUB, false),
                 "Fatal Exception: Array Bounds Exceeded\n");
    EXPECT_EQ(FatalExceptionName(SIGFPE, FPE_INTOVF, false), nullptr); // not handled
    EXPECT_STREQ(FatalExceptionName(SIGILL, ILL_PRVOPC, false),
                 "Fatal Exception: Private Instruction\n");
    EXPECT_STREQ(FatalExceptionName(SIGILL, ILL_ILLOPC, false), "Fatal Exception: Unknown:\n");
    EXPECT_STREQ(FatalExceptionName(SIGTRAP, TRAP_BRKPT, false), "Fatal Exception: Breakpoint\n");
    EXPECT_STREQ(FatalExceptionName(SIGTRAP, TRAP_TRACE, false), "Fatal Exception: Single-step\n");
    EXPECT_STREQ(FatalExceptionName(SIGTRAP, SI_USER, false), "Fatal Exception: Unknown:\n");
    EXPECT_STREQ(FatalExceptionName(SIGFPE, SI_USER, false), "Fatal Exception: Unknown:\n");
}

volatile int* volatile nowhere = nullptr;
volatile int zero = 0;

void NullWrite() {
    *nowhere = 1;
}
void DivideByZero() {
    zero = 1000 / zero;
}
volatile bool keepGoing = true;
int Recurse(int depth) {
    volatile char pad[4096];
    pad[0] = static_cast<char>(depth);
    return (keepGoing ? Recurse(depth + 1) : 0) + pad[0];
}
void Overflow() {
    Recurse(0);
}

struct Outcome {
    int signal;
    std::string errorLog;
    std::string bootLog;
};

// Runs fault in a child with the guard installed (after start-up when complete is set).
Outcome Crash(void (*fault)(), bool complete) {
    ScratchDir dir;
    pid_t pid = fork();
    if (pid == 0) {
        // A bounded stack, so that running off it is a fault and not a machine out of memory.
        struct rlimit stack;
        getrlimit(RLIMIT_STACK, &stack);
        if (stack.rlim_cur == RLIM_INFINITY || stack.rlim_cur > (8u << 20)) {
            stack.rlim_cur = 8u << 20;
            setrlimit(RLIMIT_STACK, &stack);
        }
        FatalGuardInstall();
        LogInit();
        LogResetForTest();
        if (complete) LogInitComplete();
        fault();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome o;
    o.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    o.errorLog = ReadFile("error.log");
    o.bootLog = ReadFile("boot.log");
    return o;
}

// ASan and UBSan report a null write or a division by zero themselves before any handler of ours
// runs, so these real faults are checked in the plain build only.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "the sanitizer owns this fault"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif

TEST(FatalGuard, NullWriteDuringStartUpIsLoggedInBothLogsAndKillsBySignal) {
    SKIP_UNDER_SANITIZERS();
    Outcome o = Crash(NullWrite, false);
    EXPECT_EQ(o.signal, SIGSEGV);
    EXPECT_NE(o.errorLog.find("Fatal Exception: Access Violation\n"), std::string::npos);
    EXPECT_NE(o.bootLog.find("Fatal Exception: Access Violation\n"), std::string::npos);
    EXPECT_EQ(o.bootLog.find("LogUnInit"), std::string::npos); // nothing is torn down
}

TEST(FatalGuard, AfterStartUpOnlyTheErrorLog) {
    SKIP_UNDER_SANITIZERS();
    Outcome o = Crash(DivideByZero, true);
    EXPECT_EQ(o.signal, SIGFPE);
    EXPECT_NE(o.errorLog.find("Fatal Exception: Integer Divide By Zero\n"), std::string::npos);
    EXPECT_EQ(o.bootLog.find("Fatal Exception"), std::string::npos);
}

TEST(FatalGuard, StackOverflowIsNamedFromTheAlternateStack) {
    Outcome o = Crash(Overflow, true);
    EXPECT_EQ(o.signal, SIGSEGV);
    EXPECT_NE(o.errorLog.find("Fatal Exception: Stack Overflow\n"), std::string::npos)
        << o.errorLog;
}

} // namespace
