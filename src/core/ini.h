// INI configuration: every setting lives in "vantor.ini" in the working directory. Each call
// opens the file, scans it from the top for "key = value" and closes it; nothing is cached
// and the file is never written.
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
