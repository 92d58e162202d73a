// Frame pacing and frame-time figures. The figures are a histogram of fixed 10 µs bins, so
// counting a frame neither allocates nor sorts.
#include "core/framepace.h"

#include <sched.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using Clock = std::chrono::steady_clock;

constexpr float BIN_MS = 0.01f;
constexpr int32_t BIN_COUNT = 10000; // 100 ms; longer frames share the last bin
constexpr float SKIP_SECONDS = 1.0f; // start-up frames are not counted
// The sleep ends this long before the deadline; the rest is yielded away, since a sleeping
// thread is woken up to the timer slack (50 µs) or a time slice late.
constexpr auto SPIN_TIME = std::chrono::microseconds(300);

struct FramePace {
    Clock::time_point deadline;
    bool scheduled;
    int64_t frameLimit; // SKX_FRAMES, 0 for none
    int64_t framesSeen;
    bool report;
    int32_t counted;
    float worstMs;
    int32_t bins[BIN_COUNT];
};

FramePace pace{};

void FramePaceSleepUntil(Clock::time_point when) {
    const auto sleepUntil = when - SPIN_TIME;
    if (Clock::now() < sleepUntil) {
        // steady_clock is CLOCK_MONOTONIC here, so its time can be slept to directly.
        const auto ns =
            std::chrono::duration_cast<std::chrono::nanoseconds>(sleepUntil.time_since_epoch())
                .count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
        }
    }
    while (Clock::now() < when)
        sched_yield();
}

float FramePacePercentile(float fraction) {
    const auto rank = static_cast<int32_t>(fraction * static_cast<float>(pace.counted - 1)) + 1;
    int32_t seen = 0;
    for (int32_t i = 0; i < BIN_COUNT - 1; ++i) {
        seen += pace.bins[i];
        if (seen >= rank) return static_cast<float>(i + 1) * BIN_MS; // the bin's upper edge
    }
    return pace.worstMs; // in the last bin, of frames over 100 ms: the worst bounds it
}

} // namespace

void FramePaceInit() {
    pace = FramePace{};
    if (const char* frames = std::getenv("SKX_FRAMES")) pace.frameLimit = std::atoll(frames);
    if (pace.frameLimit < 0) pace.frameLimit = 0;
    const char* stats = std::getenv("SKX_FRAME_STATS");
    pace.report = stats && *stats && *stats != '0';
}

void FramePaceWait(float seconds) {
    if (!(seconds > 0.0f)) { // a timedemo draws as fast as it can: no deadline to keep
        pace.scheduled = false;
        return;
    }
    const auto period = std::chrono::nanoseconds(static_cast<int64_t>(seconds * 1e9));
    const auto now = Clock::now();
    if (!pace.scheduled || now > pace.deadline + period) {
        pace.deadline = now;
        pace.scheduled = true;
    } else {
        FramePaceSleepUntil(pace.deadline);
    }
    pace.deadline += period;
}

bool FramePaceRecord(float dt, float secondsSinceStart) {
    ++pace.framesSeen;
    if (secondsSinceStart > SKIP_SECONDS) {
        const float ms = dt * 1000.0f;
        // Clamped before the conversion: an absurd frame time (a suspended process, a broken
        // clock) has no int value.
        const float place = ms / BIN_MS;
        int32_t bin = BIN_COUNT - 1;
        if (!(place >= 0.0f))
            bin = 0;
        else if (place < static_cast<float>(BIN_COUNT - 1))
            bin = static_cast<int32_t>(place);
        ++pace.bins[bin];
        ++pace.counted;
        if (ms > pace.worstMs) pace.worstMs = ms;
    }
    return pace.frameLimit > 0 && pace.framesSeen >= pace.frameLimit;
}

FramePaceFigures FramePaceGetFigures() {
    if (pace.counted == 0) return {0, 0.0f, 0.0f, 0.0f};
    return {pace.counted, FramePacePercentile(0.5f), FramePacePercentile(0.99f), pace.worstMs};
}

void FramePaceReport() {
    if (!pace.report) return;
    const FramePaceFigures f = FramePaceGetFigures();
    std::fprintf(stderr,
                 "Frame times after the first second: %ld frames, median %.2f ms, "
                 "99th percentile %.2f ms, worst %.2f ms\n",
                 static_cast<long>(f.frames), static_cast<double>(f.medianMs),
                 static_cast<double>(f.p99Ms), static_cast<double>(f.worstMs));
}
