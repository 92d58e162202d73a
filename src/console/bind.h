// Key bindings: each engine key code (keyboard, mouse buttons, joystick buttons and directions
// share one code space) runs a command when it goes down and, for a '+' command, its '-' twin when
// it comes up. Made once at start-up from a fixed default table. Main thread only.
#pragma once

#include "console/command.h"
#include "console/input.h"
#include "foundation/index.h"

#include <cstdint>

constexpr int32_t BIND_MAX = 255; // fixed table; one more ends the program

struct Bind {
    int32_t key;      // engine key code
    Command* press;   // run when the key goes down
    Command* release; // run when it comes up, or null: the release is then not consumed
};

extern Index bindIndex; // every binding, ascending by key

// Client start-up, after InputInit and CommandInit: empties the table, makes the default bindings
// in their fixed order and adds BindHandleInput as the oldest input handler, so that every later
// handler (the GUI's) sees events first.
void BindInit();
// The binding of this key, or null.
Bind* BindFind(int32_t key);

// Tests only (BindInit uses these itself):
// Takes the next table record, zero-filled, for this key. A full table is logged and ends the
// program (exit 1).
Bind* BindCreate(int32_t key);
// Binds key to commandText: press is the command of that name, or else a new handler-less command
// named by the whole text (run as a command line when the key goes down). For a text beginning
// with '+', release becomes the existing '-' twin, or null; it is never created here. Null text:
// nothing, returns null.
Bind* BindSet(int32_t key, const char* commandText);
// The binding layer's input handler: runs the bound command of the event's key (press or release;
// motion events run nothing) and returns 1, or returns 0 when nothing is bound for that event.
int BindHandleInput(const InputEvent* event);
