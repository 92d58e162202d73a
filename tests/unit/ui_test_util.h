// Helpers for the user-interface tests: real key presses through the input layer's keyboard
// poll, a stand-in for the key bindings as the oldest input handler, and the two fonts built
// from an image-less texture so draw routines can run against the recording GL table.
#pragma once

#include "console/input.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/gui.h"

#include <SDL.h>

#include <array>
#include <vector>

// The keys the oldest handler (the bindings' place) was offered, press events only.
inline std::vector<int32_t>& BindingKeys() {
    static std::vector<int32_t> keys;
    return keys;
}

inline int TestBindingHandler(const InputEvent* event) {
    if (event->flags & INPUT_PRESS) BindingKeys().push_back(event->key);
    return 1;
}

// Presses and releases one key through InputPollKeyboard, optionally with left Shift held.
inline void PressKey(SDL_Scancode scancode, bool shift = false) {
    std::array<uint8_t, SDL_NUM_SCANCODES> state{};
    if (shift) {
        state[SDL_SCANCODE_LSHIFT] = 1;
        InputPollKeyboard(state.data(), SDL_NUM_SCANCODES);
    }
    state[scancode] = 1;
    InputPollKeyboard(state.data(), SDL_NUM_SCANCODES);
    state.fill(0);
    InputPollKeyboard(state.data(), SDL_NUM_SCANCODES);
}

// A keyboard press event as the input layer would dispatch it.
inline InputEvent KeyPressEvent(int32_t key, uint32_t modifiers = 0) {
    return InputEvent{INPUT_KEYBOARD, key, INPUT_PRESS | modifiers, 0, 0};
}

// A fresh GUI with the test binding handler beneath it, and both fonts; undone at the end.
struct UiTestScope {
    Texture fontImage{};
    TexFont* savedSmall = smallFont;
    TexFont* savedLarge = largeFont;
    UiTestScope() {
        fontImage.width = 256;
        fontImage.height = 128;
        fontImage.glName = 10;
        smallFont = TextFontCreateMonospaced(&fontImage, TEXT_FONT_CHARACTERS, 8, 12);
        largeFont = TextFontCreateMonospaced(&fontImage, TEXT_FONT_CHARACTERS, 12, 17);
        std::array<uint8_t, SDL_NUM_SCANCODES> up{};
        InputPollKeyboard(up.data(), SDL_NUM_SCANCODES); // no key left down by an earlier test
        GuiInit();
        InputAddHandler(TestBindingHandler);
        BindingKeys().clear();
    }
    ~UiTestScope() {
        GuiInit();
        InputRemoveHandler(TestBindingHandler);
        TextFontFree(smallFont);
        TextFontFree(largeFont);
        smallFont = savedSmall;
        largeFont = savedLarge;
    }
    UiTestScope(const UiTestScope&) = delete;
    UiTestScope& operator=(const UiTestScope&) = delete;
};
