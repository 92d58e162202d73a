// Window, display modes and GL context: the program's one window on SDL2, the desktop and
// display-mode logs, the full-screen decision with its fall-backs, the process priority, and the
// window events that keep the context, the projection and the priority in step with the window.
#pragma once

#include "core/settings.h"

#include <cstdint>

struct SDL_Window;
union SDL_Event;

extern int32_t screenWidth;      // configured width; from the first size event on, the client width
extern int32_t screenHeight;     // configured height; likewise
extern int32_t colorDepth;       // vantor.ini "cdepth"
extern int32_t zDepth;           // vantor.ini "zdepth"
extern int32_t fullscreenWindow; // a full-screen kind of window (fscreen 1 or 2)
extern int32_t desktopFullscreen;  // fscreen 2: the window covers the desktop, no mode switch
extern int32_t windowResizable;    // vantor.ini "wresize": the normal window can be resized
extern int32_t swapInterval;       // vantor.ini "vsync": 0 off, 1 on, -1 adaptive
extern int32_t displayModeChanged; // the display mode is switched and restored at shutdown
extern int32_t desktopWidth, desktopHeight, desktopBits; // the desktop at start-up
extern SDL_Window* mainWindow; // also stands for the window's device context
extern void* glContext;
extern int32_t windowCentreX, windowCentreY; // mouse-look anchor, screen coordinates
extern int32_t priorityLevel;                // 0 idle, 1 normal, 2 high, 3 real-time
extern int32_t savedPriorityLevel;           // level saved by the last focus loss, -1 when none

constexpr const char* WINDOW_TITLE = "Skarnex3D";

// One display mode as the display reports it.
struct DisplayMode {
    int32_t width;
    int32_t height;
    int32_t bits;
    int32_t refresh;
};

// Tests only: where the display modes come from, display 0 of SDL unless a test installs a list.
struct DisplayModeSource {
    int (*count)();                       // number of modes, 0 when unknown
    bool (*get)(int index, DisplayMode*); // false past the end
    const char* (*deviceName)();
};
void WindowSetModeSource(const DisplayModeSource* source); // null: back to SDL
// How Alt+Enter asks for desktop full screen: SDL_SetWindowFullscreen by default; tests install
// one that fails.
using WindowFullscreenRequest = int (*)(SDL_Window*, uint32_t);
void WindowSetFullscreenRequest(WindowFullscreenRequest request); // null: back to SDL

// What the window needs of the GL driver and the scene, which sit above it: installed with
// WindowSetGL before WindowCreate. Without it there is no context; the fatal path and the window
// events then leave GL alone.
struct WindowGL {
    // Asks for the pixel format before the window is created; false when refused.
    bool (*choosePixelFormat)(int32_t cdepth, int32_t zdepth);
    void* (*createContext)(SDL_Window* window); // null on failure
    void (*deleteContext)(void* context);
    bool (*makeCurrent)(SDL_Window* window, void* context); // (null, null): none current
    bool (*setSwapInterval)(int interval);                  // false when refused
    void (*installNoop)(); // GL calls go nowhere: the start-up after a failed context
    // The fixed GL state and the projection, once the context is first current.
    void (*initState)(int32_t width, int32_t height);
    // The projection for a new drawable size.
    void (*project)(int32_t width, int32_t height);
};
void WindowSetGL(const WindowGL* driver); // null: none

// SDL_Init of video, events, joystick and timer. False on failure.
bool InitApplication();
// "Running on Linux a.b.c" and the kernel's version text, on the boot log.
void OSVersionLog();
// Every mode of display 0, once each, on the boot log.
void DisplayModesLog();
// Reads the desktop into desktopWidth/Height/Bits and logs the "Current screen info" line.
void WindowMeasureDesktop();
// 1 when a mode of width x height exists and is chosen for the full-screen window, else 0 after
// logging every attempt and the reason.
int SetDisplayMode(int32_t width, int32_t height, int32_t bits);
// The full-screen decision for fscreen with its fall-backs. False when start-up must end (no
// switch possible and a desktop below 16 colour bits, after the "FATAL ERROR" box). fscreen 2 is
// desktop full screen: no mode is searched or switched.
bool WindowChooseDisplayMode(int32_t fscreen);
// The requested window or display mode (vantor.ini width, height, cdepth, zdepth).
void WindowSetMode(int32_t width, int32_t height, int32_t bits, int32_t depthBits);
// Start-up settings of the window to come: a resizable normal window, and the swap interval
// (vsync: 0 off, 1 on, -1 adaptive), asked for only when vsyncNamed (vantor.ini names it), so
// that otherwise the driver's own default stands.
void WindowSetPresentation(int32_t resizable, int32_t vsync, bool vsyncNamed);
// Start-up, before WindowCreate: the window's own rows of vantor.ini for its place and behaviour:
// wauto, wremember with wx and wy, minimize. A wx or wy that is neither a number nor "centre" is
// logged and taken as centre.
void WindowReadPlacement();
// The priority setting (vantor.ini priority), applied at once with SetPriority.
void WindowSetPriorityLevel(int32_t level);
// Process priority: 0 idle, 1 normal, 3 real-time, anything else high (nice 19, 0, -10, -5).
// A change the process could not undo later is not made; a refused change is ignored.
void SetPriority(int32_t level);
// The nice value SetPriority asks for at this level.
int SetPriorityNice(int32_t level);

// Creates the window (hidden), selects the pixel format, creates the GL context, makes it current
// and sets the fixed GL state and projection. False when the window cannot be created at all
// ("CreateWindow failed"). Pixel-format and context failures log, post the quit event and return
// true: start-up continues and the first pump ends the loop.
bool WindowCreate();
// Shows the window.
void WindowShow();
// Handles one SDL event: the window's own (move, size, minimise, hide, focus lost / gained,
// close) and Alt+Enter; ignores the rest. Focus lost minimises the window while minimize is 1 and
// always for full screen of fscreen 1 (a switched display mode, or a borderless window kept on
// top); a window that is not minimised keeps its context and its frames.
void WindowHandleEvent(const SDL_Event& event);
// Alt+Enter: a full-screen window becomes the normal window at its earlier size and place (the
// automatic size, centred, when wauto asks and there was none), the normal window becomes desktop
// full screen on its display (when the system refuses, it stays the window it was, where it was,
// and the error log says so).
void WindowToggleFullscreen();
// False while the window has lost the focus (the context is released) or is minimised or hidden:
// no frame is drawn until it is back.
bool WindowCanRender();
// Releases and deletes the context and destroys the window.
void WindowDestroy();
// Shutdown: logs "Restoring desktop resolution" when the mode was switched.
void WindowRestoreDesktop();
// Fatal path: leaves an exclusive full-screen mode so the desktop is usable again. Makes no
// log lines.
void WindowLeaveFullscreen();
// Fatal path: no GL context current. Makes no log lines.
void WindowReleaseContext();
// Posts the quit event; the frame loop's next pump ends the loop.
void WindowPostQuit();

// Shows a modal message box with no owner window, from a child process, and waits for it at most
// a minute; SIGTERM or SIGINT meanwhile closes it and posts the quit event. Skipped when the
// environment variable SKX_NO_MESSAGEBOX is "1" (unattended runs); without a display it fails
// silently. Callers log their message either way.
void WindowMessageBox(const char* text, const char* caption, bool information = false);

// The options' view of the display settings, applied at once where the system allows:
// fscreen as now in force (0 window, 1 full screen with a mode switch, 2 desktop full screen); set
// 0 or 2 switches at once, 1 gives desktop full screen until the next start.
int32_t WindowFullscreenSetting();
void WindowSetFullscreenSetting(int32_t fscreen);
// The normal window's size (width or height): the window's own while it is one; a new size applies
// at once to the window, else when the window comes back.
int32_t WindowSizeSetting(bool width);
void WindowSetWindowSize(int32_t width, int32_t height);
// vsync as set (0 off, 1 on, -1 adaptive), or WINDOW_VSYNC_DRIVER when vantor.ini names none; a
// new value applies at once.
constexpr int32_t WINDOW_VSYNC_DRIVER = 2;
int32_t WindowSwapIntervalSetting();
void WindowSetSwapInterval(int32_t vsync);
// The window's size in the units of mouse positions (points; pixels unless the desktop scales).
void WindowPointSize(int32_t* width, int32_t* height);
// wauto: 1 while the normal window that full screen leaves to has the automatic size (two thirds
// of the desktop); a size the player sets ends it. Setting 1 takes the automatic size at once
// where the window is not a window now.
int32_t WindowAutoSizeSetting();
void WindowSetAutoSize(int32_t on);

// The window's state as vantor.ini keeps it across runs, for the options' save while wremember is
// on: fscreen, and once the normal window's place is known (it has been on screen in this run, or
// vantor.ini gave it) width, height, wx and wy. Returns how many (none while wremember is off).
struct WindowStateKey {
    const char* key;
    int32_t value;
};
constexpr int32_t WINDOW_STATE_KEYS = 5;
int32_t WindowRememberedState(WindowStateKey* out);

// A rectangle in screen points.
struct WindowRect {
    int32_t x, y, w, h;
};
// The automatic size of the normal window: two thirds of the desktop, in its proportions.
WindowRect WindowAutoSize(const WindowRect& desktop);
// Where a window goes so that it is seen whole: onto the display it overlaps most (the first when
// it overlaps none), no larger than that display, moved no further than needed.
WindowRect WindowFitOnDisplays(const WindowRect& window, const WindowRect* displays, int32_t count);

// vantor.ini fscreen, width, height, cdepth, zdepth, wresize, vsync, priority, and the window's
// place and behaviour: wauto, wremember, wx, wy, minimize.
extern const SettingTable windowSettings;
