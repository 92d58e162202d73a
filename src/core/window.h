// Window, display modes and GL context: the one window of the program on SDL2.
#pragma once

// Shows a modal message box with no owner window. Skipped when the environment variable
// SKX_NO_MESSAGEBOX is "1" (unattended runs: a modal box would wait forever); without a display
// it fails silently. Callers log their message either way.
void WindowMessageBox(const char* text, const char* caption);
