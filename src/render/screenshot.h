// Screenshots: the `screenshot` command (F12) asks for the frame being drawn; ClientRender reads
// it back before the buffer swap into a buffer made at start-up, and a worker thread of this
// module encodes it as a PNG and writes screenshots/skarnex3d-YYYYMMDD-HHMMSS.png (-2, -3 ... for
// more in one second), so the frame loop never waits for the encoder or the disk (unless the
// thread could not be started).
#pragma once

#include <cstdint>

constexpr const char* SCREENSHOT_DIR = "screenshots";

// Client start-up, after CommandInit: registers `screenshot`, makes the pixel buffer for the
// window's size and starts the writer thread; without one, each screenshot is written on the
// spot, on the main thread.
void ScreenshotInit();
// Shutdown: lets a screenshot in progress finish, stops the thread, frees the buffer.
void ScreenshotUnInit();
// Screenshots written to disk since start-up; any thread may ask (the writer counts each file it
// finished), so the main thread learns of a saved file by polling it.
uint32_t ScreenshotSavedCount();
// The `screenshot` command: the next frame drawn is taken.
void ScreenshotCommand(const char* argument);
// Called by ClientRender after the frame is drawn and before the swap: reads the frame back when
// one was asked for and hands it to the writer. One at a time; a request while the writer is
// still busy is logged and dropped.
void ScreenshotCapture();
