// Window, display modes and GL context on SDL2. Display modes are matched on width and height
// (colour depth cannot be switched here); the switch itself happens when the exclusive
// full-screen window is created, and leaving full screen gives the desktop back.
#include "core/window.h"

#include "core/fatal.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"

#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

int32_t screenWidth = 640;
int32_t screenHeight = 480;
int32_t colorDepth = 16;
int32_t zDepth = 16;
int32_t fullscreenWindow = 1;
int32_t displayModeChanged = 1;
int32_t desktopFullscreen = 0;
int32_t windowResizable = 0;
int32_t swapInterval = 0;
int32_t desktopWidth = 0;
int32_t desktopHeight = 0;
int32_t desktopBits = 0;
SDL_Window* mainWindow = nullptr;
void* glContext = nullptr;
int32_t windowCentreX = 0;
int32_t windowCentreY = 0;
int32_t priorityLevel = 2;
int32_t savedPriorityLevel = -1;

namespace {

const Setting WINDOWSETTINGS_ROWS[] = {
    {"fscreen", SETTING_INT, 1, nullptr, 0, 2, SETTING_PLAYER,
     [] { return double(WindowFullscreenSetting()); },
     [](double v) { WindowSetFullscreenSetting(int32_t(v)); }},
    {"width", SETTING_INT, 640, nullptr, 1, 16384, SETTING_PLAYER,
     [] { return double(WindowSizeSetting(true)); },
     [](double v) { WindowSetWindowSize(int32_t(v), WindowSizeSetting(false)); }},
    {"height", SETTING_INT, 480, nullptr, 1, 16384, SETTING_PLAYER,
     [] { return double(WindowSizeSetting(false)); },
     [](double v) { WindowSetWindowSize(WindowSizeSetting(true), int32_t(v)); }},
    {"cdepth", SETTING_INT, 16, nullptr, 1, 32, 0, nullptr, nullptr},
    {"zdepth", SETTING_INT, 16, nullptr, 1, 32, 0, nullptr, nullptr},
    {"wresize", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER, nullptr, nullptr},
    {"vsync", SETTING_INT, 0, nullptr, -1, 1, SETTING_PLAYER,
     [] { return double(WindowSwapIntervalSetting()); },
     [](double v) { WindowSetSwapInterval(int32_t(v)); }},
    {"priority", SETTING_INT, 2, nullptr, 0, 3, 0, nullptr, nullptr},
    {"wauto", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER,
     [] { return double(WindowAutoSizeSetting()); },
     [](double v) { WindowSetAutoSize(int32_t(v)); }},
    {"wremember", SETTING_INT, 0, nullptr, 0, 1, 0, nullptr, nullptr},
    {"wx", SETTING_TEXT, 0, "centre", 1, 0, 0, nullptr, nullptr},
    {"wy", SETTING_TEXT, 0, "centre", 1, 0, 0, nullptr, nullptr},
    {"minimize", SETTING_INT, 1, nullptr, 0, 1, 0, nullptr, nullptr},
};

} // namespace

const SettingTable windowSettings = SettingTableOf("window", WINDOWSETTINGS_ROWS);

namespace {

constexpr Uint32 APP_SDL_SUBSYSTEMS =
    SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_JOYSTICK | SDL_INIT_TIMER;
constexpr int32_t MIN_DESKTOP_BITS = 16;
constexpr int32_t FALLBACK_WIDTH = 640;
constexpr int32_t FALLBACK_HEIGHT = 480;
constexpr int NORMAL_WINDOW_X = 1;
constexpr int NORMAL_WINDOW_Y = 1;

// Nice values by priority level: idle, normal, high, real-time.
constexpr int PRIORITY_NICE[4] = {19, 0, -5, -10};

int SdlModeCount() {
    return SDL_GetNumDisplayModes(0);
}

bool SdlModeGet(int index, DisplayMode* out) {
    SDL_DisplayMode mode;
    if (index < 0 || index >= SDL_GetNumDisplayModes(0) || SDL_GetDisplayMode(0, index, &mode) != 0)
        return false;
    out->width = mode.w;
    out->height = mode.h;
    out->bits = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
    out->refresh = mode.refresh_rate;
    return true;
}

const char* SdlDeviceName() {
    const char* name = SDL_GetDisplayName(0);
    return name ? name : "unknown";
}

constexpr DisplayModeSource SDL_MODES = {SdlModeCount, SdlModeGet, SdlDeviceName};
const DisplayModeSource* modes = &SDL_MODES;
WindowFullscreenRequest fullscreenRequest = SDL_SetWindowFullscreen;
// No driver installed: no pixel format, no context, nothing to draw into.
constexpr WindowGL NO_GL = {
    [](int32_t, int32_t) { return false; },
    [](SDL_Window*) -> void* { return nullptr; },
    [](void*) {},
    [](SDL_Window*, void*) { return false; },
    [](int) { return false; },
    [] {},
    [](int32_t, int32_t) {},
    [](int32_t, int32_t) {},
};
const WindowGL* windowGL = &NO_GL;
// vantor.ini names "vsync": without it the driver's own default stands.
bool swapIntervalNamed = false;

// The mode chosen by SetDisplayMode for the exclusive full-screen window.
DisplayMode pendingMode = {};
bool pendingModeSet = false;

// A message box left unanswered this long is abandoned: the failure it reports goes on.
constexpr auto MESSAGE_BOX_TIME_LIMIT = std::chrono::seconds(60);
constexpr Uint32 MESSAGE_BOX_POLL_MS = 20;
volatile sig_atomic_t messageBoxInterrupted = 0;

void MessageBoxInterrupted(int) {
    messageBoxInterrupted = 1;
}

bool windowActive = true;
bool windowShown = true; // not minimised or hidden
bool projectionPending = false;
// The normal window's place and size in screen points, which it gets back on leaving full screen.
int windowedX = NORMAL_WINDOW_X;
int windowedY = NORMAL_WINDOW_Y;
int windowedWidth = FALLBACK_WIDTH;
int windowedHeight = FALLBACK_HEIGHT;
// windowedX and windowedY are where the normal window was or is to be: it has been on screen in
// this run, or vantor.ini gave its place (wremember). Until then the options' save leaves its size
// and place alone.
bool windowPlaceKnown = false;

// vantor.ini minimize: focus lost minimises any window, not only full screen of fscreen 1.
bool minimizeAlways = true;
// wauto: the normal window after full screen is two thirds of the desktop, until the player sets
// a size.
bool windowAutoSize = false;
// wremember, and the place wx, wy it gave (when both are numbers).
bool rememberWindow = false;
bool rememberedPlace = false;
int rememberedX = 0;
int rememberedY = 0;
// Another window has the focus; the focus loss minimised this one, which the focus brings back.
bool focusLost = false;
bool minimisedByFocus = false;
// The normal window was created at a remembered place: once shown it is put there exactly.
bool placeOnShow = false;
// A window manager that has not yet told SDL the size of its frame gets the frame, not the client
// area, put at the requested place. After this many pumps and moves the window stays where the
// system put it.
constexpr int PLACE_TRIES = 5;
// wx and wy may lie this far out (points) on any side; farther is a mistake in the file.
constexpr long PLACE_LIMIT = 1L << 20;

// Why the last mode request failed, as the reason line names it.
enum ModeFailure { MODE_BAD, MODE_HARDWARE };

void LogModeFailure(ModeFailure reason, int32_t width, int32_t height, int32_t bits) {
    Log(LOG_BOOT, "Nope, didnt work\n");
    if (reason == MODE_BAD)
        Log(LOG_BOOT, "The video mode %ldx%ldx%ld-bit color is not supported\n", (long)width,
            (long)height, (long)bits);
    else
        Log(LOG_BOOT, "Hardware failed to change to %ldx%ldx%ld-bit color\n", (long)width,
            (long)height, (long)bits);
}

// The client area's size in pixels (the drawable can differ from the window on scaled desktops).
void WindowClientSize(int32_t* width, int32_t* height) {
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(mainWindow, &w, &h);
    *width = w;
    *height = h;
}

void WindowUpdateCentre() {
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(mainWindow, &x, &y);
    SDL_GetWindowSize(mainWindow, &w, &h);
    windowCentreX = x + w / 2;
    windowCentreY = y + h / 2;
}

// The lowest nice value this process can always get back to (root may take any).
int PriorityFloor() {
    if (geteuid() == 0) return -20;
    struct rlimit limit;
    if (getrlimit(RLIMIT_NICE, &limit) != 0) return 20;
    const long floor = 20 - static_cast<long>(limit.rlim_cur);
    return floor < -20 ? -20 : static_cast<int>(floor);
}

// The desktop area of the display the window is on (display 0 before there is a window).
SDL_Rect WindowDisplayBounds() {
    const int display = mainWindow ? SDL_GetWindowDisplayIndex(mainWindow) : 0;
    SDL_Rect bounds = {0, 0, desktopWidth, desktopHeight};
    SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds);
    return bounds;
}

// Desktop full screen is a state the window manager applies; the window also takes the display's
// area itself, so that it covers the desktop where no window manager runs.
void WindowCoverDisplay(const SDL_Rect& bounds) {
    SDL_SetWindowPosition(mainWindow, bounds.x, bounds.y);
    SDL_SetWindowSize(mainWindow, bounds.w, bounds.h);
}

// Puts the client area at (x, y). SDL moves the frame by the frame size it knows; just after
// leaving full screen, or after creation, it has not yet had the window manager's word on the new
// frame, and the window would land a title bar lower each time. Once the pumped events have told
// it, the same move comes out right.
void WindowPlace(int x, int y) {
    SDL_SetWindowPosition(mainWindow, x, y);
    for (int i = 0; i < PLACE_TRIES; ++i) {
        SDL_PumpEvents();
        int nowX = 0, nowY = 0;
        SDL_GetWindowPosition(mainWindow, &nowX, &nowY);
        if (nowX == x && nowY == y) break;
        SDL_SetWindowPosition(mainWindow, x, y);
    }
    WindowUpdateCentre();
}

// Every display's desktop area, at most max of them; display 0's bounds from the desktop when SDL
// cannot tell.
int32_t WindowDisplays(WindowRect* out, int32_t max) {
    int32_t count = 0;
    const int n = SDL_GetNumVideoDisplays();
    for (int i = 0; i < n && count < max; ++i) {
        SDL_Rect b;
        if (SDL_GetDisplayBounds(i, &b) == 0 && b.w > 0 && b.h > 0)
            out[count++] = {b.x, b.y, b.w, b.h};
    }
    if (count == 0) out[count++] = {0, 0, desktopWidth, desktopHeight};
    return count;
}

// The remembered place and size, moved and shrunk onto a display that shows it.
WindowRect WindowRememberedRect(int32_t width, int32_t height) {
    WindowRect displays[8];
    const int32_t count = WindowDisplays(displays, 8);
    return WindowFitOnDisplays({rememberedX, rememberedY, width, height}, displays, count);
}

// "centre" (or "center"), or a whole number within reach of any display.
bool WindowReadPlace(const char* key, int* out) {
    char text[INI_VALUE_SIZE];
    SettingReadText(SettingRow(windowSettings, key), text, sizeof(text));
    if (strcasecmp(text, "centre") == 0 || strcasecmp(text, "center") == 0) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < -PLACE_LIMIT || value > PLACE_LIMIT) {
        Log(LOG_ERROR, "WindowReadPlacement: %s = %s is neither a place nor centre, using centre\n",
            key, text);
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

// vsync: 0 off, 1 on, -1 adaptive where the driver has it, else on. Not named: no call, since
// some drivers default to 1 and a 0 would override them.
void WindowApplySwapInterval() {
    if (!swapIntervalNamed) return;
    int32_t interval = swapInterval;
    if (interval < -1 || interval > 1) {
        Log(LOG_ERROR, "WindowApplySwapInterval: vsync %ld is not -1, 0 or 1, using 0\n",
            (long)interval);
        interval = 0;
    }
    if (interval == -1) {
        if (windowGL->setSwapInterval(-1)) {
            Log(LOG_BOOT, "Vertical sync: adaptive\n");
            return;
        }
        Log(LOG_BOOT, "Adaptive vertical sync is not available, using vsync 1\n");
        interval = 1;
    }
    const bool ok = windowGL->setSwapInterval(interval);
    if (interval == 0) return; // the default: nothing to say
    if (ok)
        Log(LOG_BOOT, "Vertical sync: on\n");
    else
        Log(LOG_BOOT, "Vertical sync is not available\n");
}

void WindowApplyClientSize() {
    WindowClientSize(&screenWidth, &screenHeight);
    // GL needs the context: a size change while it is released waits for the focus.
    if (windowActive && glContext)
        windowGL->project(screenWidth, screenHeight);
    else
        projectionPending = true;
}

int priorityStartNice = 0;
bool priorityStartKnown = false;

// The window's creation: pixel format, context, fixed GL state. False when the caller must post
// the quit event.
bool WindowSetupContext() {
    glContext = windowGL->createContext(mainWindow);
    if (!glContext) {
        Log(LOG_ERROR, "OpenGLCreateContext failed\n");
        ShowLastError();
        // The client start-up still runs before the first pump: let its GL calls go nowhere.
        windowGL->installNoop();
        return false;
    }
    windowGL->makeCurrent(mainWindow, glContext);
    WindowApplySwapInterval();
    // The drawable in pixels: a desktop full screen, or a window on a scaled desktop, differs
    // from the configured size.
    WindowClientSize(&screenWidth, &screenHeight);
    windowGL->initState(screenWidth, screenHeight);
    return true;
}

} // namespace

void WindowSetModeSource(const DisplayModeSource* source) {
    modes = source ? source : &SDL_MODES;
}

void WindowSetFullscreenRequest(WindowFullscreenRequest request) {
    fullscreenRequest = request ? request : SDL_SetWindowFullscreen;
}

void WindowSetGL(const WindowGL* driver) {
    windowGL = driver ? driver : &NO_GL;
}

bool InitApplication() {
    return SDL_Init(APP_SDL_SUBSYSTEMS) == 0;
}

void OSVersionLog() {
    struct utsname name;
    if (uname(&name) != 0) {
        Log(LOG_BOOT, "GetVersionEx failed, unable to determine OS Version\n");
        return;
    }
    long major = 0, minor = 0, patch = 0;
    char* cursor = name.release;
    major = std::strtol(cursor, &cursor, 10);
    if (*cursor == '.') minor = std::strtol(cursor + 1, &cursor, 10);
    if (*cursor == '.') patch = std::strtol(cursor + 1, &cursor, 10);
    Log(LOG_BOOT, "Running on Linux %ld.%ld.%ld\n", major, minor, patch);
    Log(LOG_BOOT, "Version String: ");
    LogPrintf(LOG_BOOT, name.version);
    LogPrintf(LOG_BOOT, "\n");
}

void DisplayModesLog() {
    Log(LOG_BOOT, "Available screen modes for %s:\n", modes->deviceName());
    DisplayMode mode;
    for (int i = 0; modes->get(i, &mode); ++i)
        Log(LOG_BOOT, "%ldx%ldx%ld-bit color (%ld hertz)\n", (long)mode.width, (long)mode.height,
            (long)mode.bits, (long)mode.refresh);
}

void WindowMeasureDesktop() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        desktopWidth = mode.w;
        desktopHeight = mode.h;
        desktopBits = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
    }
    Log(LOG_BOOT, "Current screen info: %ldx%ldx%ld-bit color, Driver: %s\n", (long)desktopWidth,
        (long)desktopHeight, (long)desktopBits, modes->deviceName());
}

int SetDisplayMode(int32_t width, int32_t height, int32_t bits) {
    DisplayMode mode;
    for (int i = 0; modes->get(i, &mode); ++i) {
        if (mode.width != width || mode.height != height) continue;
        Log(LOG_BOOT, "Trying %ldx%ldx%ld-bit color (%ld hertz)\n", (long)mode.width,
            (long)mode.height, (long)mode.bits, (long)mode.refresh);
        pendingMode = mode;
        pendingModeSet = true;
        return 1;
    }
    DisplayModesLog();
    Log(LOG_BOOT, "No matching mode to %ldx%ldx%ld-bit color available\n", (long)width,
        (long)height, (long)bits);

    // One attempt at the closest listed mode: the smallest that holds width x height. It runs
    // the display at the wanted size only if it has exactly that size.
    Log(LOG_BOOT, "Trying %ldx%ldx%ld-bit color (Closest mode)\n", (long)width, (long)height,
        (long)bits);
    bool any = false;
    DisplayMode closest = {};
    for (int i = 0; modes->get(i, &mode); ++i) {
        any = true;
        if (mode.width < width || mode.height < height) continue;
        if (closest.width == 0 || mode.width * mode.height < closest.width * closest.height)
            closest = mode;
    }
    if (closest.width == width && closest.height == height) {
        pendingMode = closest;
        pendingModeSet = true;
        return 1;
    }
    LogModeFailure(any ? MODE_BAD : MODE_HARDWARE, width, height, bits);
    return 0;
}

bool WindowChooseDisplayMode(int32_t fscreen) {
    fullscreenWindow = displayModeChanged = fscreen != 0;
    pendingModeSet = false;
    desktopFullscreen = fscreen == 2;
    if (desktopFullscreen) {
        displayModeChanged = 0; // the window takes the desktop as it is
        return true;
    }
    if (desktopHeight == screenHeight && desktopWidth == screenWidth) displayModeChanged = 0;
    if (!displayModeChanged) return true;

    Log(LOG_BOOT, "Going fullscreen\n");
    if (SetDisplayMode(screenWidth, screenHeight, colorDepth)) return true;
    bool switched = false;
    if (screenWidth < FALLBACK_WIDTH || screenHeight < FALLBACK_HEIGHT) {
        Log(LOG_BOOT, "Not supported, Going fullscreen 640x480\n");
        fullscreenWindow = 0;
        switched = SetDisplayMode(FALLBACK_WIDTH, FALLBACK_HEIGHT, colorDepth) != 0;
    }
    if (!switched) {
        displayModeChanged = 0;
        pendingModeSet = false;
        Log(LOG_BOOT, "Falling back to a windowed screen\n");
        if (desktopBits < MIN_DESKTOP_BITS) {
            WindowMessageBox("Skarnex3D requires at least 16bit color! Try changing your desktop "
                             "settings to a 16bit color (TrueColor) Mode and restarting SK3D",
                             "FATAL ERROR");
            return false;
        }
    }
    return true;
}

void WindowSetMode(int32_t width, int32_t height, int32_t bits, int32_t depthBits) {
    screenWidth = width;
    screenHeight = height;
    colorDepth = bits;
    zDepth = depthBits;
}

void WindowSetPresentation(int32_t resizable, int32_t vsync, bool vsyncNamed) {
    windowResizable = resizable;
    swapInterval = vsync;
    swapIntervalNamed = vsyncNamed;
}

void WindowSetPriorityLevel(int32_t level) {
    priorityLevel = level;
    SetPriority(priorityLevel);
}

int SetPriorityNice(int32_t level) {
    if (level == 0 || level == 1 || level == 3) return PRIORITY_NICE[level];
    return PRIORITY_NICE[2];
}

void SetPriority(int32_t level) {
    if (!priorityStartKnown) {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, 0);
        priorityStartNice = errno == 0 ? nice : 0;
        priorityStartKnown = true;
    }
    const int floor = PriorityFloor();
    int target = SetPriorityNice(level);
    // Without the privilege to raise the priority again, a drop (to idle on focus loss) would be
    // for good: keep the process where it started instead.
    if (target > priorityStartNice && floor > priorityStartNice) target = priorityStartNice;
    if (target < floor) target = floor > priorityStartNice ? priorityStartNice : floor;
    setpriority(PRIO_PROCESS, 0, target); // refused changes are ignored
}

bool WindowCreate() {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    int x = 0;
    int y = 0;
    windowedX = NORMAL_WINDOW_X;
    windowedY = NORMAL_WINDOW_Y;
    windowedWidth = screenWidth;
    windowedHeight = screenHeight;
    windowPlaceKnown = false;
    placeOnShow = false;
    // wremember with a place from vantor.ini: the normal window goes there, at width x height.
    const bool remembered = rememberWindow && rememberedPlace;
    if (remembered && screenWidth > 0 && screenHeight > 0) {
        const WindowRect r = WindowRememberedRect(screenWidth, screenHeight);
        windowedX = r.x;
        windowedY = r.y;
        windowedWidth = r.w;
        windowedHeight = r.h;
        windowPlaceKnown = true;
    }
    // The viewport follows the drawable in pixels, so a scaled desktop gets its full resolution.
    flags |= SDL_WINDOW_ALLOW_HIGHDPI;
    // wresize: for the normal window, also the one desktop full screen leaves to.
    const Uint32 resizable = windowResizable ? SDL_WINDOW_RESIZABLE : 0;
    int width = screenWidth;
    int height = screenHeight;
    if (desktopFullscreen) {
        const SDL_Rect bounds = WindowDisplayBounds();
        Log(LOG_BOOT, "Creating a desktop full screen %ldx%ld window\n", (long)bounds.w,
            (long)bounds.h);
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | resizable;
        x = bounds.x;
        y = bounds.y;
        width = bounds.w;
        height = bounds.h;
        // width and height are the normal window's after Alt+Enter, centred on the display.
        if (!remembered) windowedX = windowedY = SDL_WINDOWPOS_CENTERED;
        if (windowedWidth < 1 || windowedHeight < 1) {
            Log(LOG_ERROR, "WindowCreate: width and height must be above 0, using 640x480\n");
            windowedWidth = FALLBACK_WIDTH;
            windowedHeight = FALLBACK_HEIGHT;
        }
    } else if (fullscreenWindow) {
        Log(LOG_BOOT, "Creating a fullscreen %ldx%ld window\n", (long)screenWidth,
            (long)screenHeight);
        flags |= (displayModeChanged && pendingModeSet)
                     ? SDL_WINDOW_FULLSCREEN
                     : SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    } else {
        Log(LOG_BOOT, "Creating a normal %ldx%ld window\n", (long)screenWidth, (long)screenHeight);
        flags |= resizable;
        x = windowedX;
        y = windowedY;
        width = windowedWidth;
        height = windowedHeight;
        placeOnShow = remembered;
        windowPlaceKnown = true;
        // SDL switches the display only for an exclusive full-screen window: a captioned window
        // runs on the desktop as it is, and there is nothing to restore.
        displayModeChanged = 0;
    }

    if (fullscreenWindow && windowAutoSize && !remembered) {
        // The window full screen leaves to: two thirds of the desktop, centred (measured before
        // the window exists, so a switched mode does not count).
        const SDL_Rect b = WindowDisplayBounds();
        const WindowRect size = WindowAutoSize({b.x, b.y, b.w, b.h});
        windowedWidth = size.w;
        windowedHeight = size.h;
        windowedX = windowedY = SDL_WINDOWPOS_CENTERED;
    }

    // Whether focus lost minimises is this module's call alone (focus lost, WindowHandleEvent).
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    bool formatOk = windowGL->choosePixelFormat(colorDepth, zDepth);
    mainWindow = SDL_CreateWindow(WINDOW_TITLE, x, y, width, height, flags);
    if (!mainWindow && formatOk) {
        // Is it the pixel format? Try the display's default visual before giving up the window.
        SDL_GL_ResetAttributes();
        mainWindow = SDL_CreateWindow(WINDOW_TITLE, x, y, width, height, flags);
        formatOk = false;
    }
    if (!mainWindow) return false;
    if ((flags & SDL_WINDOW_FULLSCREEN) && pendingModeSet) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, 0, &mode) == 0) {
            mode.w = pendingMode.width;
            mode.h = pendingMode.height;
            mode.refresh_rate = pendingMode.refresh;
            SDL_SetWindowDisplayMode(mainWindow, &mode);
        }
    }
    WindowUpdateCentre();
    if (fullscreenWindow && !desktopFullscreen) {
        windowCentreX = screenWidth / 2;
        windowCentreY = screenHeight / 2;
    }
    windowActive = true;
    windowShown = true;
    focusLost = false;
    minimisedByFocus = false;
    projectionPending = false;

    if (!formatOk) {
        Log(LOG_BOOT, "ChoosePixelFormat failed\n");
        WindowMessageBox("ChoosePixelFormat failed", "Error");
        Log(LOG_ERROR, "SetupPixelFormat failed\n");
        windowGL->installNoop();
        WindowPostQuit();
        return true;
    }
    if (!WindowSetupContext()) WindowPostQuit();
    return true;
}

void WindowShow() {
    if (!mainWindow) return;
    SDL_ShowWindow(mainWindow);
    SDL_RaiseWindow(mainWindow);
    if (placeOnShow) WindowPlace(windowedX, windowedY);
    placeOnShow = false;
}

void WindowToggleFullscreen() {
    if (!mainWindow) return;
    if (fullscreenWindow) {
        Log(LOG_BOOT, "Switching to a normal %ldx%ld window\n", (long)windowedWidth,
            (long)windowedHeight);
        SDL_SetWindowFullscreen(mainWindow, 0);
        if (displayModeChanged) {
            // Leaving the exclusive window gave the desktop its mode back.
            Log(LOG_BOOT, "Restoring desktop resolution\n");
            displayModeChanged = 0;
        }
        SDL_SetWindowAlwaysOnTop(mainWindow, SDL_FALSE);
        SDL_SetWindowBordered(mainWindow, SDL_TRUE);
        SDL_SetWindowResizable(mainWindow, windowResizable ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowSize(mainWindow, windowedWidth, windowedHeight);
        if (windowedX == SDL_WINDOWPOS_CENTERED || windowedY == SDL_WINDOWPOS_CENTERED) {
            // Centred by the client area, as every later place is measured.
            const SDL_Rect b = WindowDisplayBounds();
            windowedX = b.x + (b.w - windowedWidth) / 2;
            windowedY = b.y + (b.h - windowedHeight) / 2;
        }
        WindowPlace(windowedX, windowedY);
        windowPlaceKnown = true;
        fullscreenWindow = 0;
        desktopFullscreen = 0;
    } else {
        const SDL_Rect bounds = WindowDisplayBounds();
        // A moved or resized window comes back where it was, at its new size.
        SDL_GetWindowPosition(mainWindow, &windowedX, &windowedY);
        SDL_GetWindowSize(mainWindow, &windowedWidth, &windowedHeight);
        WindowCoverDisplay(bounds);
        if (fullscreenRequest(mainWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
            Log(LOG_BOOT, "Switching to a desktop full screen %ldx%ld window\n", (long)bounds.w,
                (long)bounds.h);
            fullscreenWindow = 1;
            desktopFullscreen = 1;
        } else {
            Log(LOG_ERROR,
                "WindowToggleFullscreen: no desktop full screen, staying in the window: "
                "%s\n",
                SDL_GetError());
            SDL_SetWindowSize(mainWindow, windowedWidth, windowedHeight);
            WindowPlace(windowedX, windowedY);
        }
    }
    // The size event follows, but not every system sends one when only the drawable changed.
    WindowApplyClientSize();
}

void WindowHandleEvent(const SDL_Event& event) {
    if (!mainWindow) return;
    if (event.type == SDL_KEYDOWN && !event.key.repeat && (event.key.keysym.mod & KMOD_ALT) &&
        (event.key.keysym.scancode == SDL_SCANCODE_RETURN ||
         event.key.keysym.scancode == SDL_SCANCODE_KP_ENTER)) {
        WindowToggleFullscreen();
        return;
    }
    if (event.type != SDL_WINDOWEVENT || event.window.windowID != SDL_GetWindowID(mainWindow))
        return;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_MOVED:
        WindowUpdateCentre();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        WindowApplyClientSize();
        break;
    // Nobody sees a minimised or hidden window: no frames until it is back.
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        windowShown = false;
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
        windowShown = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (focusLost) break;
        focusLost = true;
        // Full screen of fscreen 1 minimises, so that a switched display mode goes back to the
        // desktop's and a window kept on top does not hide the one with the focus; any other
        // window minimises only when minimize asks, and otherwise stays in sight with its frames
        // going on.
        minimisedByFocus = minimizeAlways || WindowFullscreenSetting() == 1;
        if (minimisedByFocus) {
            windowActive = false;
            windowGL->makeCurrent(mainWindow, nullptr);
            SDL_MinimizeWindow(mainWindow);
        }
        savedPriorityLevel = priorityLevel;
        priorityLevel = 0;
        SetPriority(0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        if (!focusLost) break;
        focusLost = false;
        if (!windowActive) {
            windowActive = true;
            windowGL->makeCurrent(mainWindow, glContext);
        }
        // Restoring a window that was not minimised would take back its maximised state.
        if (minimisedByFocus) SDL_RestoreWindow(mainWindow);
        minimisedByFocus = false;
        if (savedPriorityLevel >= 0) priorityLevel = savedPriorityLevel;
        SetPriority(priorityLevel);
        if (projectionPending && glContext) {
            windowGL->project(screenWidth, screenHeight);
            projectionPending = false;
        }
        break;
    case SDL_WINDOWEVENT_CLOSE:
        WindowPostQuit(); // the shutdown destroys the window
        break;
    default:
        break;
    }
}

bool WindowCanRender() {
    return windowActive && windowShown && glContext != nullptr;
}

void WindowDestroy() {
    if (!mainWindow) return;
    Log(LOG_BOOT, "WM_DESTROY: Releasing window context\n");
    windowGL->makeCurrent(nullptr, nullptr);
    if (glContext) windowGL->deleteContext(glContext);
    glContext = nullptr;
    SDL_DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

void WindowRestoreDesktop() {
    if (!displayModeChanged) return;
    Log(LOG_BOOT, "Restoring desktop resolution\n");
    // Destroying the exclusive full-screen window gave the desktop its mode back already.
    if (mainWindow) SDL_SetWindowFullscreen(mainWindow, 0);
}

void WindowLeaveFullscreen() {
    if (mainWindow &&
        (SDL_GetWindowFlags(mainWindow) & SDL_WINDOW_FULLSCREEN) == SDL_WINDOW_FULLSCREEN)
        SDL_SetWindowFullscreen(mainWindow, 0);
}

void WindowReleaseContext() {
    windowGL->makeCurrent(nullptr, nullptr);
}

void WindowPostQuit() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

void WindowMessageBox(const char* text, const char* caption, bool information) {
    const char* skip = std::getenv("SKX_NO_MESSAGEBOX");
    if (skip && std::strcmp(skip, "1") == 0) return;
    // SDL's box can wait for ever (for a window the window manager never maps), and meanwhile
    // SDL's signal handling turns SIGTERM into an event nobody pumps. So a child process in a
    // group of its own shows the box, and it is abandoned on SIGTERM, SIGINT or the time limit.
    struct sigaction interrupt = {};
    interrupt.sa_handler = MessageBoxInterrupted; // no SA_RESTART: the wait wakes up at once
    sigemptyset(&interrupt.sa_mask);
    struct sigaction previousTerm = {};
    struct sigaction previousInt = {};
    messageBoxInterrupted = 0;
    sigaction(SIGTERM, &interrupt, &previousTerm);
    sigaction(SIGINT, &interrupt, &previousInt);
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        SDL_ShowSimpleMessageBox(information ? SDL_MESSAGEBOX_INFORMATION : SDL_MESSAGEBOX_ERROR,
                                 caption, text, nullptr);
        _exit(0);
    }
    if (child > 0) {
        setpgid(child, child); // whichever of the two runs first
        const auto end = std::chrono::steady_clock::now() + MESSAGE_BOX_TIME_LIMIT;
        while (waitpid(child, nullptr, WNOHANG) == 0) {
            if (messageBoxInterrupted || std::chrono::steady_clock::now() >= end) {
                kill(-child, SIGKILL); // SDL's own helper process too
                waitpid(child, nullptr, 0);
                break;
            }
            SDL_Delay(MESSAGE_BOX_POLL_MS);
        }
    }
    sigaction(SIGTERM, &previousTerm, nullptr);
    sigaction(SIGINT, &previousInt, nullptr);
    // Every box is on a failure path that ends the program; a caller that goes on to the loop
    // still ends at its first pump.
    if (messageBoxInterrupted) WindowPostQuit();
}

int32_t WindowFullscreenSetting() {
    if (!fullscreenWindow) return 0;
    return desktopFullscreen ? 2 : 1;
}

void WindowSetFullscreenSetting(int32_t fscreen) {
    // While the program runs only the switch between the window and desktop full screen exists;
    // a display-mode switch (1) waits for the next start.
    if ((fscreen != 0) != (fullscreenWindow != 0)) WindowToggleFullscreen();
}

int32_t WindowSizeSetting(bool width) {
    int w = windowedWidth, h = windowedHeight;
    if (mainWindow && !fullscreenWindow) SDL_GetWindowSize(mainWindow, &w, &h);
    return width ? w : h;
}

void WindowSetWindowSize(int32_t width, int32_t height) {
    windowAutoSize = false; // the player's size from now on
    windowedWidth = width;
    windowedHeight = height;
    if (!mainWindow || fullscreenWindow) return; // the window's size once it is one again
    SDL_SetWindowSize(mainWindow, width, height);
    WindowUpdateCentre();
    WindowApplyClientSize();
}

int32_t WindowSwapIntervalSetting() {
    return swapIntervalNamed ? swapInterval : WINDOW_VSYNC_DRIVER;
}

void WindowSetSwapInterval(int32_t vsync) {
    swapInterval = vsync;
    swapIntervalNamed = true;
    if (glContext && windowActive) WindowApplySwapInterval();
}

void WindowPointSize(int32_t* width, int32_t* height) {
    int w = screenWidth, h = screenHeight;
    if (mainWindow) SDL_GetWindowSize(mainWindow, &w, &h);
    *width = w;
    *height = h;
}

void WindowReadPlacement() {
    minimizeAlways = SettingReadInt(windowSettings, "minimize") != 0;
    windowAutoSize = SettingReadInt(windowSettings, "wauto") != 0;
    rememberWindow = SettingReadInt(windowSettings, "wremember") != 0;
    rememberedPlace = false;
    if (!rememberWindow) return;
    const bool x = WindowReadPlace("wx", &rememberedX);
    const bool y = WindowReadPlace("wy", &rememberedY);
    rememberedPlace = x && y;
}

int32_t WindowAutoSizeSetting() {
    return windowAutoSize ? 1 : 0;
}

void WindowSetAutoSize(int32_t on) {
    windowAutoSize = on != 0;
    if (!windowAutoSize || !mainWindow || !fullscreenWindow) return;
    const SDL_Rect b = WindowDisplayBounds();
    const WindowRect size = WindowAutoSize({b.x, b.y, b.w, b.h});
    windowedWidth = size.w;
    windowedHeight = size.h;
    windowedX = windowedY = SDL_WINDOWPOS_CENTERED;
}

int32_t WindowRememberedState(WindowStateKey* out) {
    if (!rememberWindow) return 0;
    int32_t count = 0;
    out[count++] = {"fscreen", WindowFullscreenSetting()};
    if (!windowPlaceKnown || !mainWindow) return count;
    int x = windowedX, y = windowedY, w = windowedWidth, h = windowedHeight;
    if (!fullscreenWindow) {
        SDL_GetWindowPosition(mainWindow, &x, &y);
        SDL_GetWindowSize(mainWindow, &w, &h);
    }
    out[count++] = {"width", w};
    out[count++] = {"height", h};
    out[count++] = {"wx", x};
    out[count++] = {"wy", y};
    return count;
}

WindowRect WindowAutoSize(const WindowRect& desktop) {
    // Rounded to whole points; both sides by the same factor keep the desktop's proportions.
    const int32_t w = std::max<int32_t>(1, static_cast<int32_t>((int64_t{desktop.w} * 2 + 1) / 3));
    const int32_t h = std::max<int32_t>(1, static_cast<int32_t>((int64_t{desktop.h} * 2 + 1) / 3));
    return {desktop.x + (desktop.w - w) / 2, desktop.y + (desktop.h - h) / 2, w, h};
}

WindowRect WindowFitOnDisplays(const WindowRect& window, const WindowRect* displays,
                               int32_t count) {
    if (count < 1) return window;
    int32_t best = 0;
    int64_t bestArea = -1;
    for (int32_t i = 0; i < count; ++i) {
        const WindowRect& d = displays[i];
        const int64_t w = std::min<int64_t>(int64_t{window.x} + window.w, int64_t{d.x} + d.w) -
                          std::max(window.x, d.x);
        const int64_t h = std::min<int64_t>(int64_t{window.y} + window.h, int64_t{d.y} + d.h) -
                          std::max(window.y, d.y);
        const int64_t area = (w > 0 && h > 0) ? w * h : 0;
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    const WindowRect& d = displays[best];
    WindowRect r = window;
    r.w = std::min(r.w, d.w);
    r.h = std::min(r.h, d.h);
    r.x = std::clamp(r.x, d.x, d.x + d.w - r.w);
    r.y = std::clamp(r.y, d.y, d.y + d.h - r.h);
    return r;
}
