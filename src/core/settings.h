// Settings: every vantor.ini key the program reads is one row of its owner's table: the key, its
// type and its one default, the range a player or a demo may give it, flags, and the owner's
// getter and setter. Each owner reads its rows at its own start-up, at the point it always has,
// so the logs keep their order; demos and the options walk the tables the client registered.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

enum SettingType : uint8_t { SETTING_INT, SETTING_FLOAT, SETTING_TEXT };

// Flags of a row.
constexpr uint32_t SETTING_PLAY = 1u;   // changes play: kept in a demo, put back by its playback
constexpr uint32_t SETTING_PLAYER = 2u; // a player's choice: shown and saved by the options

struct Setting {
    const char* key;
    SettingType type;
    double defaultValue;     // SETTING_INT and SETTING_FLOAT
    const char* defaultText; // SETTING_TEXT
    double low, high;        // what a demo or the options may give; vantor.ini is the owner's
    uint32_t flags;
    double (*get)();     // the value in force; play and player rows have one
    void (*set)(double); // the owner's setter for a value from a demo or the options
};

struct SettingTable {
    const char* owner; // the module, for messages
    const Setting* rows;
    int32_t count;
};

template <size_t N>
constexpr SettingTable SettingTableOf(const char* owner, const Setting (&rows)[N]) {
    return {owner, rows, static_cast<int32_t>(N)};
}

// The row of key in table; a key the table lacks is a programming error (logged, exit 1).
const Setting& SettingRow(const SettingTable& table, const char* key);
// vantor.ini's value of the row, or its default (see IniGetInt, IniGetFloat, IniGetString).
int32_t SettingReadInt(const Setting& row, bool* found = nullptr); // found: vantor.ini names it
float SettingReadFloat(const Setting& row);
void SettingReadText(const Setting& row, char* out, size_t outSize);
// Shorthands: the row of key in table, read.
int32_t SettingReadInt(const SettingTable& table, const char* key, bool* found = nullptr);
float SettingReadFloat(const SettingTable& table, const char* key);
// Reads the row from vantor.ini and hands the value to the row's setter.
void SettingApplyFromIni(const Setting& row);
// Every row with a setter back to its default (a fresh program, tests).
void SettingsApplyDefaults(const SettingTable& table);
// The default as the owner's type.
int32_t SettingDefaultInt(const SettingTable& table, const char* key);
float SettingDefaultFloat(const SettingTable& table, const char* key);

// The tables in start-up order, registered once by the client start-up (again: replaced).
constexpr int32_t SETTINGS_MAX_TABLES = 32;
void SettingsRegister(const SettingTable* const* tables, int32_t count);
int32_t SettingsTableCount();
const SettingTable& SettingsTable(int32_t i);
// The row of key in any registered table (case as vantor.ini ignores it), or null.
const Setting* SettingsFind(const char* key);
// Whether a value lies in the row's range (always, for a row without one).
bool SettingInRange(const Setting& row, double value);
