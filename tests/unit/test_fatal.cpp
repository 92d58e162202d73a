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

// The branches of the naming: the stack guard, the bus code, the one unhandled code, the defaults.
TEST(FatalNames, BySignalAndCode) {
    const struct {
        int signal, code;
        bool guard;
        const char* name; // after "Fatal Exception: "; null for no report
    } cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, "Access Violation"},
        {SIGSEGV, SI_USER, false, "Access Violation"},
        {SIGSEGV, SEGV_MAPERR, true, "Stack Overflow"},
        {SIGBUS, BUS_ADRALN, false, "Datatype Misalignment"},
        {SIGBUS, BUS_ADRERR, false, "In-page Error"},
        {SIGFPE, FPE_INTDIV, false, "Integer Divide By Zero"},
        {SIGFPE, FPE_FLTDIV, false, "Float Divide By Zero"},
        {SIGFPE, FPE_FLTSUB, false, "Array Bounds Exceeded"},
        {SIGFPE, FPE_INTOVF, false, nullptr},
        {SIGILL, ILL_PRVOPC, false, "Private Instruction"},
        {SIGTRAP, TRAP_TRACE, false, "Single-step"},
        {SIGILL, ILL_ILLOPC, false, "Unknown:"},
        {SIGTRAP, SI_USER, false, "Unknown:"},
        {SIGFPE, SI_USER, false, "Unknown:"},
    };
    for (const auto& c : cases) {
        const char* got = FatalExceptionName(c.signal, c.code, c.guard);
        if (!c.name)
            EXPECT_EQ(got, nullptr) << c.signal << "/" << c.code;
        else
            EXPECT_EQ(std::string(got ? got : ""),
                      std::string("Fatal Exception: ") + c.name + "\n");
    }
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
