// Screenshots: read back on the main thread, encoded and written by a worker of our own.
#include "render/screenshot.h"

#include "console/command.h"
#include "core/log.h"
#include "core/window.h"
#include "render/gl.h"

#include <png.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int32_t SCREENSHOT_BYTES_PER_PIXEL = 3;
constexpr int32_t SCREENSHOT_MAX_SUFFIX = 99; // -2 .. -99 for more shots in one second
constexpr size_t SCREENSHOT_PATH_SIZE = 96;

// The frame handed to the writer: the pixels (GL's rows, bottom first), its size and the time it
// was taken. Owned by the writer while busy is set.
struct ScreenshotFrame {
    uint8_t* pixels;
    size_t capacity; // bytes
    int32_t width, height;
    std::time_t taken;
    png_bytep* rows; // one pointer per row of the largest frame, top row first
    int32_t rowCapacity;
};

ScreenshotFrame frame = {};
bool requested = false;
// A pointer, so that no thread object is destroyed at exit while the thread still runs.
std::thread* writer = nullptr;
std::mutex writerLock;
std::condition_variable writerWake;
bool busy = false;     // a frame waits for the writer or is being written
bool stopping = false; // ScreenshotUnInit: the writer ends after its current frame
// Files written since start-up: the writer counts, the main thread polls.
std::atomic<uint32_t> savedCount{0};

// A free name for this second: the plain one, then -2, -3 ...; created exclusively, so two
// shots never share a file. Returns the open descriptor, -1 when none could be made.
int ScreenshotCreateFile(std::time_t taken, char* path, size_t pathSize) {
    struct tm local;
    localtime_r(&taken, &local);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    mkdir(SCREENSHOT_DIR, 0755); // an existing directory is fine; a failure shows at the open
    for (int32_t n = 1; n <= SCREENSHOT_MAX_SUFFIX; ++n) {
        if (n == 1)
            std::snprintf(path, pathSize, "%s/skarnex3d-%s.png", SCREENSHOT_DIR, stamp);
        else
            std::snprintf(path, pathSize, "%s/skarnex3d-%s-%ld.png", SCREENSHOT_DIR, stamp,
                          static_cast<long>(n));
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void ScreenshotPngError(png_structp png, png_const_charp message) {
    Log(LOG_ERROR, "ScreenshotWrite: %s\n", message);
    std::longjmp(png_jmpbuf(png), 1);
}

void ScreenshotPngWarning(png_structp, png_const_charp) {}

// Encodes the frame into the open file; false after a failure (already logged by libpng's
// error hook or here).
bool ScreenshotEncode(FILE* file, const ScreenshotFrame& shot) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ScreenshotPngError,
                                              ScreenshotPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        Log(LOG_ERROR, "ScreenshotWrite: Out of memory\n");
        png_destroy_write_struct(&png, &info);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(shot.width),
                 static_cast<png_uint_32>(shot.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Speed over size: the writer should be done long before the next F12.
    png_set_compression_level(png, 3);
    const size_t stride = static_cast<size_t>(shot.width) * SCREENSHOT_BYTES_PER_PIXEL;
    for (int32_t y = 0; y < shot.height; ++y) // GL's first row is the bottom one
        shot.rows[y] = shot.pixels + stride * static_cast<size_t>(shot.height - 1 - y);
    png_set_rows(png, info, shot.rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void ScreenshotWrite(const ScreenshotFrame& shot) {
    char path[SCREENSHOT_PATH_SIZE];
    int fd = ScreenshotCreateFile(shot.taken, path, sizeof(path));
    if (fd < 0) {
        Log(LOG_ERROR, "ScreenshotWrite: cannot create %s: %s\n", path, std::strerror(errno));
        return;
    }
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        Log(LOG_ERROR, "ScreenshotWrite: cannot write %s: %s\n", path, std::strerror(errno));
        return;
    }
    bool written = ScreenshotEncode(file, shot);
    if (std::fclose(file) != 0 && written) {
        Log(LOG_ERROR, "ScreenshotWrite: cannot write %s: %s\n", path, std::strerror(errno));
        written = false;
    }
    if (!written) {
        std::remove(path);
        return;
    }
    Log(LOG_BOOT, "Screenshot %s (%ldx%ld)\n", path, static_cast<long>(shot.width),
        static_cast<long>(shot.height));
    savedCount.fetch_add(1, std::memory_order_release);
}

void ScreenshotWriterMain() {
    std::unique_lock<std::mutex> lock(writerLock);
    for (;;) {
        writerWake.wait(lock, [] { return busy || stopping; });
        if (busy) {
            lock.unlock();
            ScreenshotWrite(frame);
            lock.lock();
            busy = false;
        }
        if (stopping) return;
    }
}

} // namespace

void ScreenshotInit() {
    CommandRegister("screenshot", ScreenshotCommand);
    // Room for the window and for the desktop, so a window that grows to full screen still fits.
    int32_t width = screenWidth > desktopWidth ? screenWidth : desktopWidth;
    int32_t height = screenHeight > desktopHeight ? screenHeight : desktopHeight;
    frame.capacity =
        static_cast<size_t>(width) * static_cast<size_t>(height) * SCREENSHOT_BYTES_PER_PIXEL;
    frame.pixels = static_cast<uint8_t*>(std::malloc(frame.capacity));
    frame.rowCapacity = height;
    frame.rows =
        static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(height)));
    if (!frame.pixels || !frame.rows) {
        Log(LOG_ERROR, "ScreenshotInit: Out of memory, screenshots are off\n");
        std::free(frame.pixels);
        std::free(frame.rows);
        frame = {};
        return;
    }
    stopping = false;
    busy = false;
    try {
        writer = new std::thread(ScreenshotWriterMain);
    } catch (const std::exception& e) {
        // Screenshots still work, at the cost of one slow frame each.
        writer = nullptr;
        Log(LOG_ERROR, "ScreenshotInit: no writer thread (%s), screenshots are written at once\n",
            e.what());
    }
}

void ScreenshotUnInit() {
    if (writer) {
        {
            std::lock_guard<std::mutex> lock(writerLock);
            stopping = true;
        }
        writerWake.notify_one();
        writer->join();
        delete writer;
        writer = nullptr;
    }
    std::free(frame.pixels);
    std::free(frame.rows);
    frame = {};
    requested = false;
}

uint32_t ScreenshotSavedCount() {
    return savedCount.load(std::memory_order_acquire);
}

void ScreenshotCommand(const char*) {
    requested = true;
}

void ScreenshotCapture() {
    if (!requested) return;
    requested = false;
    if (!frame.pixels) {
        Log(LOG_ERROR, "ScreenshotCapture: screenshots are off\n");
        return;
    }
    const int32_t width = screenWidth, height = screenHeight;
    const size_t bytes =
        static_cast<size_t>(width) * static_cast<size_t>(height) * SCREENSHOT_BYTES_PER_PIXEL;
    if (width <= 0 || height <= 0 || bytes > frame.capacity || height > frame.rowCapacity) {
        Log(LOG_ERROR, "ScreenshotCapture: a %ldx%ld window does not fit the screenshot buffer\n",
            static_cast<long>(width), static_cast<long>(height));
        return;
    }
    {
        std::lock_guard<std::mutex> lock(writerLock);
        if (busy) {
            Log(LOG_ERROR, "ScreenshotCapture: the last screenshot is still being written\n");
            return;
        }
    }
    // The writer is idle, so the buffer is ours until busy is set.
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, frame.pixels);
    frame.width = width;
    frame.height = height;
    frame.taken = std::time(nullptr);
    if (!writer) {
        ScreenshotWrite(frame);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(writerLock);
        busy = true;
    }
    writerWake.notify_one();
}
