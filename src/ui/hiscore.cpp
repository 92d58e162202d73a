// The high-score table and its text file "hiscore.tbl": five lines "%-20s %ld \n".
#include "ui/hiscore.h"

#include "core/log.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <unistd.h>

std::array<HiScoreRow, HISCORE_ROWS> hiScoreTable = {};

namespace {

constexpr const char* HISCORE_DEFAULT_NAME = "VELDRAN";
constexpr const char* HISCORE_TEMP_FILE = "hiscore.tbl.new";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool HiScoreIsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Copies at most length bytes of src as one printable word of at most 19 characters.
void HiScoreCopyName(char* dst, const char* src, size_t length) {
    size_t n = 0;
    for (; n < length && n < HISCORE_NAME_SIZE - 1 && src[n] != '\0'; ++n) {
        unsigned char c = static_cast<unsigned char>(src[n]);
        dst[n] = (c > ' ' && c < 127) ? static_cast<char>(c) : '_';
    }
    dst[n] = '\0';
}

// A whole token as a decimal signed 32-bit number; false for anything else.
bool HiScoreParseScore(const char* token, size_t length, int32_t* score) {
    char digits[24];
    if (length == 0 || length >= sizeof(digits)) return false;
    std::memcpy(digits, token, length);
    digits[length] = '\0';
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(digits, &end, 10);
    if (errno != 0 || end != digits + length || value < INT32_MIN || value > INT32_MAX)
        return false;
    *score = static_cast<int32_t>(value);
    return true;
}

// The first two blank-separated words of one line of the file. A word is kept up to
// HISCORE_WORD_SIZE - 1 bytes and its full length counted, so a line of any length is read in
// fixed space.
constexpr size_t HISCORE_WORD_SIZE = 24;
struct HiScoreLine {
    char words[2][HISCORE_WORD_SIZE];
    size_t lengths[2];
    int32_t count; // words on the line, all of them
};

// Reads one line; false at the end of the file with nothing read.
bool HiScoreReadLine(std::FILE* file, HiScoreLine* line) {
    *line = {};
    int c = std::fgetc(file);
    if (c == EOF) return false;
    bool inWord = false;
    for (; c != EOF && c != '\n'; c = std::fgetc(file)) {
        if (HiScoreIsBlank(c)) {
            inWord = false;
            continue;
        }
        if (!inWord) {
            inWord = true;
            line->count++;
        }
        if (line->count > 2) continue;
        int32_t w = line->count - 1;
        size_t& length = line->lengths[w];
        if (length < HISCORE_WORD_SIZE - 1)
            line->words[w][length] = c == '\0' ? '_' : static_cast<char>(c);
        ++length;
    }
    return true;
}

// One row from a line "name score", or "score" alone: a row saved with an empty name. False,
// leaving the row alone, when the line does not hold a readable row.
bool HiScoreParseRow(const HiScoreLine& line, HiScoreRow* row) {
    int32_t points = 0;
    if (line.count == 1) {
        if (!HiScoreParseScore(line.words[0], line.lengths[0], &points)) return false;
        row->name[0] = '\0';
        row->score = points;
        return true;
    }
    if (line.count < 2 || !HiScoreParseScore(line.words[1], line.lengths[1], &points)) return false;
    HiScoreCopyName(row->name, line.words[0], line.lengths[0]);
    row->score = points;
    return true;
}

bool HiScoreWriteRows(std::FILE* file) {
    for (const HiScoreRow& row : hiScoreTable)
        if (std::fprintf(file, "%-20s %ld \n", row.name, static_cast<long>(row.score)) < 0)
            return false;
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

} // namespace

void HiScoreSetDefaults() {
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        std::snprintf(hiScoreTable[i].name, HISCORE_NAME_SIZE, "%s", HISCORE_DEFAULT_NAME);
        hiScoreTable[i].score = 10000 - 2000 * i;
    }
}

void HiScoreLoad() {
    // Defaults first, so a short or damaged file still leaves a full, sensible table.
    HiScoreSetDefaults();
    FileHandle file(std::fopen(HISCORE_FILE, "r"));
    if (!file) return;
    HiScoreLine line;
    int32_t row = 0;
    int32_t unreadable = 0;
    while (row < HISCORE_ROWS && HiScoreReadLine(file.get(), &line)) {
        if (line.count == 0) continue;
        if (!HiScoreParseRow(line, &hiScoreTable[row])) ++unreadable;
        ++row;
    }
    if (unreadable > 0 || row < HISCORE_ROWS) {
        char message[160];
        std::snprintf(message, sizeof(message),
                      "HiScoreLoad: %s: %ld of %ld rows unreadable, defaults kept there\n",
                      HISCORE_FILE, static_cast<long>(unreadable + HISCORE_ROWS - row),
                      static_cast<long>(HISCORE_ROWS));
        Log(LOG_ERROR, "%s", message);
    }
}

void HiScoreSave() {
    // Write the whole table beside the old file and rename it into place: the old table survives
    // a crash or a full disk at any point of the save.
    bool written = false;
    {
        FileHandle file(std::fopen(HISCORE_TEMP_FILE, "w"));
        if (file) written = HiScoreWriteRows(file.get());
        if (file && std::fclose(file.release()) != 0) written = false;
    }
    if (written && std::rename(HISCORE_TEMP_FILE, HISCORE_FILE) == 0) return;
    char message[200];
    std::snprintf(message, sizeof(message), "HiScoreSave: cannot write %s: %s\n", HISCORE_FILE,
                  std::strerror(errno));
    Log(LOG_ERROR, "%s", message);
    std::remove(HISCORE_TEMP_FILE);
}

bool HiScoreQualifies(int32_t score) {
    return score > hiScoreTable[HISCORE_ROWS - 1].score;
}

int32_t HiScoreInsert(const char* name, int32_t score) {
    int32_t i = 0;
    while (i < HISCORE_ROWS && hiScoreTable[i].score >= score)
        ++i;
    if (i == HISCORE_ROWS) return -1;
    for (int32_t j = HISCORE_ROWS - 1; j > i; --j)
        hiScoreTable[j] = hiScoreTable[j - 1];
    const char* text = name ? name : "";
    HiScoreCopyName(hiScoreTable[i].name, text, std::strlen(text));
    hiScoreTable[i].score = score;
    return i;
}
