// Console variables: named, typed values that the `set` command changes at run time. A variable
// holds its own float or long, or aliases a long that another module owns (the camera mode), so
// setting it by name changes that module's setting directly. Created on demand, never removed.
// Main thread only.
#pragma once

#include "foundation/index.h"

#include <cstdint>

constexpr int32_t CVAR_FLOAT = 1;
constexpr int32_t CVAR_LONG = 2;
constexpr int32_t CVAR_LONG_PTR = 4; // an alias of a long another module owns (3 is unused)

constexpr int32_t CVAR_MAX = 255;      // fixed table; one more ends the program
constexpr int32_t CVAR_NAME_SIZE = 64; // at most 63 characters and the terminator

union CVarValue {
    float f;
    int32_t l;
    int32_t* lp;
};

// The name comes first: lookups pass the name text itself as the key of a record.
struct CVar {
    char cvarName[CVAR_NAME_SIZE]; // case-sensitive
    int32_t type;                  // CVAR_*; 0 until the creator sets it
    CVarValue value;
};

extern Index cvarIndex; // every variable, ascending by name (NameCompare)

// Orders two zero-terminated names byte by byte as unsigned bytes: -1, 0 or 1. Orders the command
// registry too. a and b may each be a record that begins with its name, or the name text.
int NameCompare(const Index* index, const void* a, const void* b);

// True for a plain decimal fraction: an optional leading '-', digits and exactly one '.'
// ("2.0", "-0.5", ".5", "3.", "."); false for null, "2", "1e5", "+1.0", " 1.0", "".
bool StringIsFloat(const char* text);

// Client start-up, before every other module: creates cvarIndex and empties the table.
void CVarInit();
// Creates the variable with a type from its text: CVAR_FLOAT when StringIsFloat, else CVAR_LONG
// with the text's leading decimal integer (0 when there is none).
CVar* CVarCreateFromString(const char* name, const char* text);
// Sets the named variable from text, creating it from the text when unknown. The text is read as
// the variable's type (a float text into a long keeps the integer part); a text with no leading
// number leaves the value unchanged. Null name or text: nothing. Reports nothing.
void CVarSet(const char* name, const char* text);
// Makes the named variable an alias of the caller's long, which must live for the whole program;
// registering again re-points it. Null name or variable: nothing.
void CVarRegisterLong(const char* name, int32_t* variable);

// Tests only (the module uses these itself):
// Takes the next table record, zero-filled (type 0, value 0), with this name; the caller sets type
// and value. Does not look for an existing name (IndexInsert warns about a duplicate). A full
// table or a name over 63 characters is logged and ends the program (exit 1).
CVar* CVarCreate(const char* cvarName);
// The variable of exactly this name (case-sensitive), or null.
CVar* CVarFind(const char* name);
