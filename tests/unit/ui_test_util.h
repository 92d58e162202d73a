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
};

// One string drawn by TextFontDraw, read back from the recorded GL calls: each quad's first two
// texture coordinates identify the glyph and its font; (x, y) is the pen start it was given.
struct DrawnText {
    std::string text;
    const TexFont* font;
    float x, y;
};

// Every Begin/End block of glyph quads of smallFont or largeFont in the recording.
inline std::vector<DrawnText> DrawnTexts() {
    std::vector<DrawnText> texts;
    const GLRecordedCall* c = GLRecorderCalls();
    auto at = [](const TexFontCorner& k, const GLRecordedCall& call) {
        return std::fabs(k.s - call.args[0]) < 1e-5 && std::fabs(k.t - call.args[1]) < 1e-5;
    };
    for (int b = GLRecorderFind("Begin"); b >= 0; b = GLRecorderFind("Begin", b + 1)) {
        DrawnText drawn{"", nullptr, 0.0f, 0.0f};
        bool glyphs = true;
        for (int i = b + 1; i + 7 < GLRecorderSize() && std::string(c[i].name) == "TexCoord2f";
             i += 8) {
            char found = 0;
            for (const TexFont* font : {largeFont, smallFont})
                for (int32_t k = 0; k < font->numChars && !found; ++k)
                    if ((!drawn.font || drawn.font == font) &&
                        at(font->tfVertex[k].corner[0], c[i]) &&
                        at(font->tfVertex[k].corner[1], c[i + 2])) {
                        found = static_cast<char>(font->tfChar[k].c);
                        drawn.font = font;
                    }
            if (!(glyphs = found != 0)) break;
            if (drawn.text.empty()) {
                drawn.x = static_cast<float>(c[i + 1].args[0]) - 0.25f;
                drawn.y = static_cast<float>(c[i + 1].args[1]);
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
