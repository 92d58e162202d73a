// The "key = value" line scanner behind the three typed reads.
#include "core/ini.h"

#include "core/log.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr size_t INI_LINE_MAX = 255; // longer lines are read in pieces, each its own line
constexpr size_t INI_WORD_MAX = 255;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

bool IsBlank(unsigned char c) {
    return std::isspace(c) != 0;
}

// Copies the next run of non-blank characters of line[*pos..len) into word; skips leading blanks.
// Returns false when no word starts before the end.
bool NextWord(const char* line, size_t len, size_t* pos, char* word) {
    size_t i = *pos;
    while (i < len && IsBlank(static_cast<unsigned char>(line[i])))
        ++i;
    if (i >= len) return false;
    size_t n = 0;
    while (i < len && !IsBlank(static_cast<unsigned char>(line[i]))) {
        if (n < INI_WORD_MAX) word[n++] = line[i];
        ++i;
    }
    word[n] = '\0';
    *pos = i;
    return true;
}

// Finds key; returns false when the file cannot be opened (logged) and sets found.
bool IniFind(const char* fileName, const char* key, bool* found, char* value) {
    *found = false;
    value[0] = '\0';
    std::unique_ptr<FILE, FileCloser> file(std::fopen(fileName, "rb"));
    if (!file) {
        char message[512];
        std::snprintf(message, sizeof(message), "Unable to open INI file %s.\n", fileName);
        Log(LOG_ERROR, "%s", message);
        return false;
    }
    char line[INI_LINE_MAX + 1];
    char word[INI_WORD_MAX + 1];
    char val[INI_WORD_MAX + 1];
    size_t len = 0;
    int c;
    bool more = true;
    while (more) {
        c = std::fgetc(file.get());
        if (c == EOF) {
            more = false;
        } else {
            line[len++] = static_cast<char>(c);
            if (c != '\n' && len < INI_LINE_MAX) continue;
        }
        if (len == 0) break;
        IniScanLine(line, len, word, val);
        len = 0;
        if (word[0] == '\0' || word[0] == '#' || word[0] == ';') continue;
        if (strcasecmp(word, key) == 0) {
            *found = true;
            std::memcpy(value, val, std::strlen(val) + 1);
            return true;
        }
    }
    return true;
}

} // namespace

// Scans one line with the " %s = %s" pattern: key word, blanks, '=', blanks, value word.
// A NUL byte ends the line's text, as it would for the C library's scanner.
void IniScanLine(const char* line, size_t len, char* key, char* value, size_t* valueAt) {
    key[0] = value[0] = '\0';
    if (valueAt) *valueAt = SIZE_MAX;
    size_t textLen = strnlen(line, len);
    size_t pos = 0;
    if (!NextWord(line, textLen, &pos, key)) return;
    while (pos < textLen && IsBlank(static_cast<unsigned char>(line[pos])))
        ++pos;
    if (pos >= textLen || line[pos] != '=') return;
    ++pos;
    size_t start = pos;
    if (NextWord(line, textLen, &pos, value)) {
        while (IsBlank(static_cast<unsigned char>(line[start])))
            ++start;
    } else { // no value: the place after the blanks, before the line end
        while (start < textLen && line[start] != '\r' && line[start] != '\n' &&
               IsBlank(static_cast<unsigned char>(line[start])))
            ++start;
    }
    if (valueAt) *valueAt = start;
}

// The decimal number at the start of text: optional sign, digits with an optional fraction, an
// optional exponent; 0.0 when none starts there. The C library's own conversion would also take
// hexadecimal, "inf" and "nan", which no setting means.
double IniDecimal(const char* text, size_t* used) {
    char number[INI_WORD_MAX + 1];
    size_t n = 0;
    auto digits = [&](size_t from) {
        size_t k = from;
        while (std::isdigit(static_cast<unsigned char>(text[k])))
            number[n++] = text[k++];
        return k - from;
    };
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-') number[n++] = text[i++];
    size_t mantissa = digits(i);
    i += mantissa;
    if (text[i] == '.') {
        number[n++] = text[i++];
        const size_t fraction = digits(i);
        i += fraction;
        mantissa += fraction;
    }
    if (used) *used = 0;
    if (mantissa == 0) return 0.0;
    if (text[i] == 'e' || text[i] == 'E') {
        size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-') ++j;
        if (std::isdigit(static_cast<unsigned char>(text[j]))) {
            while (i < j)
                number[n++] = text[i++];
            i += digits(i);
        }
    }
    if (used) *used = i;
    number[n] = '\0';
    return std::strtod(number, nullptr);
}

void IniGetString(const char* fileName, const char* key, const char* defaultText, char* out,
                  size_t outSize) {
    if (!out || outSize == 0) return;
    char value[INI_WORD_MAX + 1];
    bool found = false;
    IniFind(fileName, key, &found, value);
    const char* src = (found && value[0] != '\0') ? value : defaultText;
    std::snprintf(out, outSize, "%s", src ? src : "");
}

int32_t IniGetInt(const char* fileName, const char* key, int32_t defaultValue, bool* named) {
    char value[INI_WORD_MAX + 1];
    bool found = false;
    IniFind(fileName, key, &found, value);
    if (named) *named = found;
    if (!found) return defaultValue;
    // strtoll behaves like atol but saturates instead of overflowing on absurd digit strings; the
    // result then saturates at the 32-bit range too.
    const long long parsed = std::strtoll(value, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(parsed, INT32_MIN, INT32_MAX));
}

float IniGetFloat(const char* fileName, const char* key, float defaultValue) {
    char value[INI_WORD_MAX + 1];
    bool found = false;
    IniFind(fileName, key, &found, value);
    if (!found) return defaultValue;
    double d = IniDecimal(value, nullptr);
    if (d > FLT_MAX) return HUGE_VALF;
    if (d < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(d);
}
