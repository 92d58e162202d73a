// Key bindings: each engine key code (keyboard, mouse buttons, joystick buttons and directions
// share one code space) runs a command when it goes down and, for a '+' command, its '-' twin when
// it comes up. Made at start-up from a fixed default table, then from the player's lines in
// vantor.ini (one per action: "bind_fire = Space, Mouse1, Pad A"); the options change them while
// the program runs. Main thread only.
#pragma once

#include "console/command.h"
#include "console/input.h"
#include "foundation/index.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t BIND_MAX = 255; // fixed table; one more ends the program

// The actions a player binds: each is one command, its keys kept in the player's order.
struct BindAction {
    const char* key;     // its vantor.ini key: "bind_fire"
    const char* command; // "+attack"
    const char* label;   // "Fire", for the screens
};
constexpr int32_t BIND_ACTIONS = 12;
constexpr int32_t BIND_ACTION_KEYS = 8; // keys, buttons and pad controls one action holds
extern const BindAction bindActions[BIND_ACTIONS];

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

// The actions' keys, in order: keyboard keys first, then mouse buttons, then pad controls for the
// default table; the player's order after that.
int32_t BindActionKeyCount(int32_t action);
int32_t BindActionKey(int32_t action, int32_t slot);
// The action that key belongs to, or -1.
int32_t BindActionOfKey(int32_t key);
// Binds key to action in slot (a slot at or past the end adds it, or replaces the last when the
// action is full); the key the slot held is let go. A key of another action moves here: returns
// that action, else -1.
int32_t BindActionSet(int32_t action, int32_t slot, int32_t key);
// Lets go of the key in slot.
void BindActionRemove(int32_t action, int32_t slot);
// Back to the default table: every binding made again from it.
void BindRestoreDefaults();
// The action's keys as vantor.ini names them, "Space, Mouse1, Pad A", or "None".
void BindActionText(int32_t action, char* out, size_t outSize);
// Changes with every change of the bindings (the screens redraw their help from it).
uint32_t BindGeneration();
// The keys this module reads from vantor.ini itself ("bind_..."), for the start-up check.
bool BindOwnsIniKey(const char* key);
// The player's lines of vantor.ini over the current bindings; BindInit calls it. A line naming an
// unknown action or key is one error-log line and changes nothing; the other lines apply.
void BindReadSettings(const char* fileName);

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
