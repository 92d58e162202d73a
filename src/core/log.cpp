// Log channels, time stamps, the boot-log copy and the start-up size rotation.
#include "core/log.h"

#include "core/fatal.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct LogChannel {
    const char* fileName;
    const char* tag;
    bool echo;
    FILE* file;
};

LogChannel logChannels[] = {
    {"error.log", "ERR", true, nullptr},
    {"boot.log", "BT!", true, nullptr},
    {"port.log", "BT!", true, nullptr},
    {"", "", false, nullptr},
};

constexpr long LOG_ROTATE_SIZE = 100000;
constexpr size_t LOG_MESSAGE_MAX = 4096;
constexpr size_t LOG_FATAL_LINE_MAX = 256; // a stamp and the longest fatal message fit

std::recursive_mutex logLock;
// Read by the fatal-signal report, which takes no lock.
volatile sig_atomic_t bootComplete = 0;
// The fatal-signal report's view of the log: the directory the logs live in (LogInit's working
// directory) and the local time's offset from UTC in seconds, refreshed by every stamped line.
int logDirectory = -1;
volatile sig_atomic_t localOffsetSeconds = 0;

int ChannelNumber(int channel) {
    return (channel < LOG_ERROR || channel > LOG_PORT) ? LOG_ERROR : channel;
}

// Opens the channel's file for appending, making it writable first; exit 2 when impossible.
FILE* LogOpen(LogChannel& ch, const char* who, const char* file, int line) {
    chmod(ch.fileName, S_IRUSR | S_IWUSR);
    ch.file = std::fopen(ch.fileName, "a");
    if (!ch.file) {
        char where[512];
        std::snprintf(where, sizeof(where), "%s(%s:%d) ", who, file, line);
        std::perror(where); // appends ": " and the system's text
        FatalExit(2);
    }
    return ch.file;
}

void LogWrite(int channel, const char* message, bool stamp) {
    LogChannel& ch = logChannels[channel];
    FILE* f =
        LogOpen(ch, stamp ? "Log: Failed to Open/Create file" : "LogPrintf", __FILE__, __LINE__);
    if (stamp) {
        std::time_t now = std::time(nullptr);
        std::tm tmNow{};
        localtime_r(&now, &tmNow);
        localOffsetSeconds = static_cast<sig_atomic_t>(tmNow.tm_gmtoff);
        std::fprintf(f, "%02d/%02d(%02d:%02d) ", tmNow.tm_mon + 1, tmNow.tm_mday, tmNow.tm_hour,
                     tmNow.tm_min);
    }
    std::fputs(message, f);
    if (ch.echo) {
        if (stamp)
            std::printf("%s: %s", ch.tag, message);
        else
            std::fputs(message, stdout);
        std::fflush(stdout);
    }
    std::fclose(f);
    ch.file = nullptr;
}

void LogRotate(const LogChannel& ch) {
    struct stat st {};
    if (stat(ch.fileName, &st) != 0 || st.st_size <= LOG_ROTATE_SIZE) return;
    char moved[256];
    size_t len = std::strlen(ch.fileName);
    if (len < 3 || len >= sizeof(moved)) return;
    std::memcpy(moved, ch.fileName, len - 3);
    std::memcpy(moved + len - 3, "old", 4);
    std::rename(ch.fileName, moved); // replaces an earlier .old; failures are ignored
}

// The fatal report's pieces, all async-signal-safe: plain stores and system calls only.
size_t FatalAppend(char* out, size_t at, size_t size, const char* text) {
    while (*text && at < size)
        out[at++] = *text++;
    return at;
}

void FatalWriteFile(const char* name, const char* line, size_t length) {
    if (logDirectory < 0) return;
    fchmodat(logDirectory, name, S_IRUSR | S_IWUSR, 0);
    const int fd = openat(logDirectory, name, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const ssize_t written = write(fd, line, length);
    static_cast<void>(written); // nothing is left to report a failure to
    close(fd);
}

// The echo goes only where it cannot block: a full pipe nobody reads must not hold the report.
void FatalEcho(const char* tag, const char* message) {
    pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    if (poll(&out, 1, 0) != 1 || (out.revents & POLLOUT) == 0) return;
    char line[LOG_FATAL_LINE_MAX];
    size_t n = FatalAppend(line, 0, sizeof(line), tag);
    n = FatalAppend(line, n, sizeof(line), ": ");
    n = FatalAppend(line, n, sizeof(line), message);
    const ssize_t written = write(STDOUT_FILENO, line, n);
    static_cast<void>(written);
}

} // namespace

size_t LogFormatStamp(int64_t localSeconds, char* out) {
    // Days since 1970-01-01 to a civil date (proleptic Gregorian, 400-year eras from 0000-03-01).
    int64_t days = localSeconds / 86400;
    int64_t secondsOfDay = localSeconds % 86400;
    if (secondsOfDay < 0) {
        secondsOfDay += 86400;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 is March
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int hour = static_cast<int>(secondsOfDay / 3600);
    const int minute = static_cast<int>(secondsOfDay / 60 % 60);
    const int fields[4] = {month, day, hour, minute};
    const char separators[4] = {'/', '(', ':', ')'};
    size_t n = 0;
    for (int i = 0; i < 4; ++i) {
        out[n++] = static_cast<char>('0' + fields[i] / 10);
        out[n++] = static_cast<char>('0' + fields[i] % 10);
        out[n++] = separators[i];
    }
    out[n++] = ' ';
    out[n] = '\0';
    return n;
}

void LogFatal(const char* message) {
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    char line[LOG_FATAL_LINE_MAX];
    size_t n = LogFormatStamp(static_cast<int64_t>(now.tv_sec) + localOffsetSeconds, line);
    n = FatalAppend(line, n, sizeof(line), message);
    const bool booting = !bootComplete;
    FatalWriteFile(logChannels[LOG_ERROR].fileName, line, n);
    if (booting) FatalWriteFile(logChannels[LOG_BOOT].fileName, line, n);
    FatalEcho(logChannels[LOG_ERROR].tag, message);
    if (booting) FatalEcho(logChannels[LOG_BOOT].tag, message);
}

void LogInit() {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    std::fputs("Deleting old boot log\n", stdout);
    std::remove("boot.log");
    for (LogChannel* ch = logChannels; ch->fileName[0] != '\0'; ++ch)
        LogRotate(*ch);
    // The fatal report cannot look for the logs then: it finds them through this descriptor.
    const int previous = logDirectory;
    logDirectory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous >= 0) close(previous);
    std::time_t now = std::time(nullptr);
    std::tm tmNow{};
    localtime_r(&now, &tmNow);
    localOffsetSeconds = static_cast<sig_atomic_t>(tmNow.tm_gmtoff);
}

void Log(int channel, const char* format, ...) {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    channel = ChannelNumber(channel);
    char message[LOG_MESSAGE_MAX];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    LogWrite(channel, message, true);
    if (channel != LOG_BOOT && !bootComplete) LogWrite(LOG_BOOT, message, true);
}

void LogPrintf(int channel, const char* text) {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    channel = ChannelNumber(channel);
    if (!text) text = "(null)";
    LogWrite(channel, text, false);
    if (channel != LOG_BOOT && !bootComplete) LogWrite(LOG_BOOT, text, false);
}

void LogInitComplete() {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    Log(LOG_BOOT, "Server initialization complete\n");
    bootComplete = 1;
}

void LogUnInit() {
    Log(LOG_BOOT, "LogUnInit: Releasing critical section\n");
}

void LogResetForTest() {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    bootComplete = 0;
}
