// Commands: named actions with one text argument, found by name, and the command-line runner.
// The flight controls are '+'/'-' command pairs that only press and release the controls of the
// frame's input record (console/gameinput.h), which the ship and the chase camera read. Main thread
// only (input dispatch).
#pragma once

#include "foundation/index.h"

#include <cstddef>
#include <cstdint>

constexpr int32_t COMMAND_MAX = 255;      // fixed table; one more ends the program
constexpr int32_t COMMAND_NAME_SIZE = 64; // at most 63 characters and the terminator
constexpr size_t STRING_WORD_SIZE = 256;  // word buffers of the command-line splitter

// The argument is the rest of the command line (possibly empty), or null when a key binding runs
// the command directly. Only `set` reads it.
using CommandHandler = void (*)(const char* argument);

// The name comes first: lookups pass the name text itself as the key of a record.
struct Command {
    char commandName[COMMAND_NAME_SIZE]; // case-sensitive
    CommandHandler handler;              // null: the command does nothing when run
};

extern Index commandIndex; // every command, ascending by name (NameCompare)

// The quit command's action, installed by the UI: play the menu sound (SND_MENU at volume 220)
// and open the quit prompt. Until it is installed, quit does nothing.
extern void (*quitHook)();
// The pause command's action (CommandSetPauseAction); null until the game flow installs it.
extern void (*pauseHook)();
void CommandSetQuitAction(void (*action)());
// The pause command's action, installed by the game flow: hold the game or let it go on. Until it
// is installed, pause does nothing.
void CommandSetPauseAction(void (*action)());
// The sizeup and sizedown commands' action, installed by the scene: step the 3-D view's size by
// step (+0.05 or -0.05). Until it is installed, they do nothing.
extern void (*viewSizeHook)(float step);
void CommandSetViewSizeAction(void (*action)(float step));

// Copies text up to the first space (tabs are ordinary characters) into word (zero-terminated,
// cut to wordSize - 1 characters), skips the spaces after it and returns the position of the next
// word or of the terminator. A leading space gives an empty word. Null text: returns null and
// writes nothing; null word: only skips.
const char* StringNextWord(const char* text, char* word, size_t wordSize = STRING_WORD_SIZE);

// Client start-up, after InputInit and before BindInit: creates commandIndex, empties the table
// and registers the default commands in their fixed order.
void CommandInit();
// The command of exactly this name (case-sensitive), or null.
Command* CommandFind(const char* name);
// Finds or creates the command and sets its handler (null allowed); a second registration
// replaces the handler.
Command* CommandRegister(const char* name, CommandHandler handler);
// Runs a command line: the first word names the command, the rest after the following spaces is
// its argument. Null or empty lines, unknown words and handler-less commands do nothing.
void CommandExecute(const char* line);

// Tests only (CommandRegister takes records through it):
// Takes the next table record, zero-filled (no handler), with this name. Does not look for an
// existing name. A full table or a name over 63 characters is logged and ends the program (exit 1).
Command* CommandCreate(const char* commandName);
