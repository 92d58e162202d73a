// INI configuration: every setting lives in "vantor.ini" in the working directory. Each call
// opens the file, scans it from the top for "key = value" and closes it; nothing is cached.
// The file is written only by the options (core/inifile.h).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr const char* INI_FILE = "vantor.ini";
constexpr size_t INI_VALUE_SIZE = 256;

// Copies the value into out (outSize bytes, INI_VALUE_SIZE by default); the default when the file
// cannot be opened, the key is absent or its value is empty.
void IniGetString(const char* fileName, const char* key, const char* defaultText, char* out,
                  size_t outSize = INI_VALUE_SIZE);
// atol of the value; the default when the file cannot be opened or the key is absent (an empty
// value gives 0). named, when given, tells whether the file names the key.
int32_t IniGetInt(const char* fileName, const char* key, int32_t defaultValue,
                  bool* named = nullptr);
// atof of the value in single precision; the default when the file or the key is missing.
float IniGetFloat(const char* fileName, const char* key, float defaultValue);

// The reader's view of one line (len bytes, a NUL ends it early): the key word, and the first
// word after blanks, "=" and blanks as the value ("" when the line does not fit). valueAt, when
// given, is where the value starts (after the blanks that follow "="), SIZE_MAX without "=".
void IniScanLine(const char* line, size_t len, char* key, char* value, size_t* valueAt = nullptr);
// The float read's conversion: a decimal number (sign, digits, fraction, exponent) at the start of
// text, 0.0 when none; used, when given, is how many characters it took.
double IniDecimal(const char* text, size_t* used);
