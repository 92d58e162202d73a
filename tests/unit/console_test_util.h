// Shared set-up for the console tests: a scratch directory for the logs, SDL with the dummy video
// driver and the joystick subsystem, the recording GL table (the view-size commands set the
// projection), and the console modules started in client order.
#pragma once

#include "console/bind.h"
#include "console/command.h"
#include "console/cvar.h"
#include "console/input.h"
#include "core/log.h"
#include "gl_recorder.h"
#include "test_util.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Every event a handler saw, in order.
inline std::vector<InputEvent>& RecordedEvents() {
    static std::vector<InputEvent> events;
    return events;
}

inline int RecordEvent(const InputEvent* event) {
    RecordedEvents().push_back(*event);
    return 0;
}

// The key codes and flags of the events recorded so far, which are then forgotten.
using KeyList = std::vector<std::pair<int32_t, uint32_t>>;
inline KeyList TakeKeys() {
    KeyList keys;
    for (const InputEvent& e : RecordedEvents())
        keys.emplace_back(e.key, e.flags);
    RecordedEvents().clear();
    return keys;
}
constexpr uint32_t P = INPUT_PRESS, R = INPUT_RELEASE;

// A scancode state array as SDL_GetKeyboardState lays it out.
struct KeyboardState {
    uint8_t keys[SDL_NUM_SCANCODES] = {};
    void Down(SDL_Scancode s) { keys[s] = 1; }
    void Up(SDL_Scancode s) { keys[s] = 0; }
    void Poll() { InputPollKeyboard(keys, SDL_NUM_SCANCODES); }
};

class ConsoleTest : public ::testing::Test {
  protected:
    ScratchDir dir;
    void SetUp() override {
        LogResetForTest();
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        RecordedEvents().clear();
        GLRecorderInstall();
    }
    void TearDown() override {
        GLRecorderRestore();
        InputUnInit();
        SDL_Quit();
    }
    // The console part of client start-up, in its documented order.
    void StartConsole() {
        CVarInit();
        InputInit();
        CommandInit();
        BindInit();
    }
};
