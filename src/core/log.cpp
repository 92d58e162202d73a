// Log channels, time stamps, the boot-log copy and the start-up size rotation.
#include "core/log.h"

#include "core/app.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <sys/stat.h>

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

std::recursive_mutex logLock;
bool bootComplete = false;

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
        AppExit(2);
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

} // namespace

void LogInit() {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    std::fputs("Deleting old boot log\n", stdout);
    std::remove("boot.log");
    for (LogChannel* ch = logChannels; ch->fileName[0] != '\0'; ++ch)
        LogRotate(*ch);
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
    bootComplete = true;
}

void LogUnInit() {
    Log(LOG_BOOT, "LogUnInit: Releasing critical section\n");
}

void LogResetForTest() {
    std::lock_guard<std::recursive_mutex> guard(logLock);
    bootComplete = false;
}
