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

#include <cstdlib>
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
        setenv("SDL_VIDEODRIVER", "dummy", 0);
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
