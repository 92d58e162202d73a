// vantor.ini as a whole file: a walk over its lines as the reader sees them (for readers of whole
// lines, the key bindings), the one pass at start-up that names each hand-made mistake, and the
// rewrite that saves the options: only the lines of the keys that changed are touched, a key the
// file lacks is added at its end, and the file is replaced atomically. Main thread only; nothing
// here allocates (one start-up buffer holds the file).
#pragma once

#include "core/ini.h"

#include <cstddef>
#include <cstdint>

// The largest file walked in full and rewritten; a larger one is walked as far as this and never
// rewritten.
constexpr size_t INI_FILE_MAX = 64 * 1024;

// One line as the typed reads take it: a line of more than 255 bytes is read in pieces, each a
// line of its own (number stays that of the whole line).
struct IniLine {
    int32_t number;             // from 1
    const char* text;           // the piece's bytes, not zero-terminated
    size_t length;              // bytes of text, the line end included
    char key[INI_VALUE_SIZE];   // the key word; "" for a blank line (comments start with # or ;)
    char value[INI_VALUE_SIZE]; // the first word after " = ", "" when none
    size_t valueAt;             // where the value starts in text; SIZE_MAX when no "=" follows
};

// Calls visit for each line in order until it returns false. False when the file cannot be read
// (nothing is logged: the typed reads say it).
bool IniForEachLine(const char* fileName, bool (*visit)(const IniLine& line, void* context),
                    void* context);
// A list value: the rest of the line after " = " up to a comment (# or ;) or the line end, outer
// blanks trimmed; "" when the line has no "=".
void IniLineRest(const IniLine& line, char* out, size_t outSize);

// Client start-up, once the settings tables are registered: one error-log line for each line of
// the file a person probably got wrong, while the reads go on taking the file as they always have:
// a key that is no setting (ownsKey names the keys another reader checks itself: the bindings),
// no blanks around "=" (the line is ignored), a key given again (the first wins), a value that is
// not a number (read by atol/atof rules) or lies outside its setting's range. No file: nothing.
void IniCheck(const char* fileName, bool (*ownsKey)(const char* key));

// One key to save.
struct IniChange {
    const char* key;
    const char* value;   // the new value's text
    bool list;           // the value runs to the end of the line (a list of names), not one word
    const char* comment; // the line put above the key when the file lacks it (without "# ")
};

// Saves changes the way a person would edit the file: the line the reads take for each key has
// its value replaced, its spacing and any trailing comment kept; keys the file lacks go at the end,
// each under its comment; every other byte stays. The new file replaces the old one by rename in
// the same directory (a symbolic link is followed to its target) and keeps its mode. False after
// one error-log line when it cannot be done; the old file is then whole and reason (for the
// screen) says why.
bool IniWrite(const char* fileName, const IniChange* changes, int32_t count, char* reason,
              size_t reasonSize);
