// Frame pacing: the frame-rate cap's wait for the next frame's deadline, and the frame-time
// figures (median, 99th percentile, worst) that say how even the frames were.
//
// Measuring aids, read from the environment by FramePaceInit (players never set them):
//   SKX_FRAMES=N       the loop quits by itself after N frames (a fixed workload to compare)
//   SKX_FRAME_STATS=1  the frame-time figures go to standard error at shutdown
#pragma once

#include <cstdint>

// Reads the measuring aids and starts the frame schedule and the figures afresh.
void FramePaceInit();
// Waits until one period (1 / maxFps, or a demo's recorded frame time; 0 or less does not wait)
// has passed since the previous frame's deadline. A
// frame that ran more than a whole period late starts the schedule again from now rather than
// rushing the next ones to catch up. The wait sleeps to an absolute time and yields through its
// last fraction of a millisecond, so it wakes on time instead of up to a millisecond late.
void FramePaceWait(float seconds);
// Counts one frame of dt seconds into the figures (frames after the first second only, so the
// start-up does not count); true once the SKX_FRAMES limit is reached.
bool FramePaceRecord(float dt, float secondsSinceStart);
// Writes "Frame times ..." with the figures to standard error when SKX_FRAME_STATS is set.
void FramePaceReport();

// The figures so far, in milliseconds (0 when no frame was counted).
struct FramePaceFigures {
    int32_t frames;
    float medianMs;
    float p99Ms;
    float worstMs;
};
FramePaceFigures FramePaceGetFigures();
