// Clocks: seconds since start-up and per-caller deltas from the high-resolution counter, and the
// timer-resolution request that the wave mixer makes (a clamp only on this platform).
#pragma once

#include <cstdint>

using ClockMark = int64_t;

void ClockInit();
// Seconds since ClockInit.
float ClockSeconds();
// Seconds from *mark to now; *mark becomes now. A null mark means the frame loop's own mark.
float ClockDelta(ClockMark* mark);
float ClockDeltaMs(ClockMark* mark);
// The current counter value, to start a mark of one's own.
ClockMark ClockNow();

// Clamps period into the timer service's range (1..1000000 ms) and writes it back.
void TimerRequestResolution(uint32_t& period);
void TimerDoneResolution(uint32_t period);
