// Window, display modes and GL context on SDL2.
#include "core/window.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

void WindowMessageBox(const char* text, const char* caption) {
    const char* skip = std::getenv("SKX_NO_MESSAGEBOX");
    if (skip && std::strcmp(skip, "1") == 0) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}
