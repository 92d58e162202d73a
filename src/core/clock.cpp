// The clock record is written once by ClockInit and only read afterwards, so the mixer thread
// may read it without a lock.
#include "core/clock.h"

#include <SDL.h>

namespace {

constexpr uint32_t TIMER_PERIOD_MIN = 1;
constexpr uint32_t TIMER_PERIOD_MAX = 1000000;

struct Clock {
    int64_t frequency;
    float secondsPerTick;
    int64_t startCount;
    ClockMark frameMark;
};

Clock clockState{};

int64_t Counter() {
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}

} // namespace

void ClockInit() {
    clockState = Clock{};
    clockState.frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    clockState.secondsPerTick = static_cast<float>(1.0 / static_cast<double>(clockState.frequency));
    clockState.startCount = Counter();
    clockState.frameMark = clockState.startCount;
}

ClockMark ClockNow() {
    return Counter();
}

float ClockSeconds() {
    return static_cast<float>(Counter() - clockState.startCount) * clockState.secondsPerTick;
}

float ClockDelta(ClockMark* mark) {
    ClockMark* m = mark ? mark : &clockState.frameMark;
    int64_t now = Counter();
    float seconds = static_cast<float>(now - *m) * clockState.secondsPerTick;
    *m = now;
    return seconds;
}

float ClockDeltaMs(ClockMark* mark) {
    return ClockDelta(mark) * 1000.0f;
}

void TimerRequestResolution(uint32_t& period) {
    if (period < TIMER_PERIOD_MIN) period = TIMER_PERIOD_MIN;
    if (period > TIMER_PERIOD_MAX) period = TIMER_PERIOD_MAX;
}

void TimerDoneResolution(uint32_t) {}
