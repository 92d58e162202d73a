// Setting rows: reads through the INI reader with the row's default, the registry of tables.
#include "core/settings.h"

#include "core/fatal.h"
#include "core/ini.h"
#include "core/log.h"

#include <cmath>
#include <strings.h>

namespace {

const SettingTable* registered[SETTINGS_MAX_TABLES];
int32_t registeredCount = 0;

} // namespace

const Setting& SettingRow(const SettingTable& table, const char* key) {
    for (int32_t i = 0; i < table.count; ++i)
        if (strcasecmp(table.rows[i].key, key) == 0) return table.rows[i];
    Log(LOG_ERROR, "SettingRow: %s has no setting %s\n", table.owner, key);
    FatalExit(1);
}

int32_t SettingReadInt(const Setting& row, bool* found) {
    return IniGetInt(INI_FILE, row.key, static_cast<int32_t>(row.defaultValue), found);
}

float SettingReadFloat(const Setting& row) {
    return IniGetFloat(INI_FILE, row.key, static_cast<float>(row.defaultValue));
}

void SettingReadText(const Setting& row, char* out, size_t outSize) {
    IniGetString(INI_FILE, row.key, row.defaultText ? row.defaultText : "", out, outSize);
}

int32_t SettingReadInt(const SettingTable& table, const char* key, bool* found) {
    return SettingReadInt(SettingRow(table, key), found);
}

float SettingReadFloat(const SettingTable& table, const char* key) {
    return SettingReadFloat(SettingRow(table, key));
}

void SettingApplyFromIni(const Setting& row) {
    double value = 0.0;
    if (row.type == SETTING_INT) value = SettingReadInt(row);
    if (row.type == SETTING_FLOAT) value = SettingReadFloat(row);
    if (row.set) row.set(value);
}

void SettingsApplyDefaults(const SettingTable& table) {
    for (int32_t i = 0; i < table.count; ++i)
        if (table.rows[i].set && table.rows[i].type != SETTING_TEXT)
            table.rows[i].set(table.rows[i].defaultValue);
}

int32_t SettingDefaultInt(const SettingTable& table, const char* key) {
    return static_cast<int32_t>(SettingRow(table, key).defaultValue);
}

float SettingDefaultFloat(const SettingTable& table, const char* key) {
    return static_cast<float>(SettingRow(table, key).defaultValue);
}

void SettingsRegister(const SettingTable* const* tables, int32_t count) {
    registeredCount = 0;
    for (int32_t i = 0; i < count && registeredCount < SETTINGS_MAX_TABLES; ++i)
        registered[registeredCount++] = tables[i];
}

int32_t SettingsTableCount() {
    return registeredCount;
}

const SettingTable& SettingsTable(int32_t i) {
    return *registered[i];
}

const Setting* SettingsFind(const char* key) {
    for (int32_t t = 0; t < registeredCount; ++t)
        for (int32_t i = 0; i < registered[t]->count; ++i)
            if (strcasecmp(registered[t]->rows[i].key, key) == 0) return &registered[t]->rows[i];
    return nullptr;
}

bool SettingInRange(const Setting& row, double value) {
    if (!std::isfinite(value)) return false;
    return row.low > row.high || (value >= row.low && value <= row.high);
}
