// Helpers for the user-interface tests: real key presses through the input layer's keyboard
// poll, a stand-in for the key bindings as the oldest input handler, and the two fonts built
// from an image-less texture so draw routines can run against the recording GL table.
#pragma once

#include "console/input.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "ui/gui.h"

#include "gl_recorder.h"

#include <SDL.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
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

// Text typed through the event pump as the layout and input method deliver it (UTF-8).
inline void TypeText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::snprintf(event.text.text, sizeof(event.text.text), "%s", utf8);
    InputHandleSdlEvent(event);
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

// One string drawn by TextFontDraw, read back from the recorded GL calls: each quad's texture
// coordinates identify the glyph and its font; (x, y) is the pen start TextFontDraw was given.
struct DrawnText {
    std::string text;
    const TexFont* font;
    float x, y;
};

inline bool SameCorner(const TexFontCorner& corner, double s, double t) {
    return std::fabs(corner.s - s) < 1e-5 && std::fabs(corner.t - t) < 1e-5;
}

// Decodes every Begin/End block of textured quads in the recording made with smallFont and
// largeFont installed; blocks whose quads are not glyphs of either font are left out.
inline std::vector<DrawnText> DrawnTexts() {
    std::vector<DrawnText> texts;
    const GLRecordedCall* calls = GLRecorderCalls();
    int size = GLRecorderSize();
    for (int begin = GLRecorderFind("Begin"); begin >= 0;
         begin = GLRecorderFind("Begin", begin + 1)) {
        DrawnText drawn{"", nullptr, 0.0f, 0.0f};
        bool glyphs = true;
        int i = begin + 1;
        for (; i + 7 < size && std::string(calls[i].name) == "TexCoord2f"; i += 8) {
            char found = 0;
            for (const TexFont* font : {largeFont, smallFont}) {
                for (int32_t c = 0; c < font->numChars && !found; ++c) {
                    const TexFontVertex& v = font->tfVertex[c];
                    if (SameCorner(v.corner[0], calls[i].args[0], calls[i].args[1]) &&
                        SameCorner(v.corner[1], calls[i + 2].args[0], calls[i + 2].args[1]) &&
                        (!drawn.font || drawn.font == font)) {
                        found = static_cast<char>(font->tfChar[c].c);
                        if (drawn.text.empty()) {
                            drawn.font = font;
                            drawn.x = static_cast<float>(calls[i + 1].args[0]) - 0.25f;
                            drawn.y = static_cast<float>(calls[i + 1].args[1]);
                        }
                    }
                }
                if (found) break;
            }
            if (!found) {
                glyphs = false;
                break;
            }
            drawn.text += found;
        }
        if (glyphs && !drawn.text.empty()) texts.push_back(drawn);
    }
    return texts;
}

// The drawn text that starts with prefix, or an empty record.
inline DrawnText FindDrawn(const std::vector<DrawnText>& texts, const std::string& prefix) {
    for (const DrawnText& drawn : texts)
        if (drawn.text.rfind(prefix, 0) == 0) return drawn;
    return DrawnText{"", nullptr, 0.0f, 0.0f};
}
