// The high-score table and its text file "hiscore.tbl" (or a difficulty's own): five lines
// "%-20s %ld \n".
#include "ui/hiscore.h"

#include "core/log.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::array<HiScoreRow, HISCORE_ROWS> hiScoreTable = {};
int32_t hiScoreTables = 0;
int32_t hiScoreDifficulty = 0;
int32_t hiScoreFirstLevel = 1;

namespace {

const Setting HISCORE_SETTING_ROWS[] = {
    {"hitables", SETTING_INT, 0, nullptr, 0, 1, 0, [] { return double(hiScoreTables); },
     [](double v) { HiScoreSetTables(int32_t(v)); }},
};

} // namespace

const SettingTable hiScoreSettings = SettingTableOf("hiscore", HISCORE_SETTING_ROWS);

namespace {

constexpr const char* HISCORE_DEFAULT_NAME = "VELDRAN";
// The default rows: the top score and the step down to each next row. The Easy table's lowest row
// is about one cleared level of Easy (two big rocks and their pieces: 170 points).
constexpr int32_t HISCORE_DEFAULT_TOP = 10000, HISCORE_DEFAULT_STEP = 2000;
constexpr int32_t HISCORE_GENTLE_TOP = 750, HISCORE_GENTLE_STEP = 150;

char hiScoreFile[HISCORE_FILE_SIZE] = "hiscore.tbl";
bool hiScoreGentle = false;               // the table in memory is an Easy table of its own
constexpr mode_t HISCORE_NEW_MODE = 0666; // less the umask, like any file the program makes

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

// Skips white space; returns the first other character (or EOF), not consumed.
int HiScoreSkipBlanks(std::FILE* file) {
    int c = std::fgetc(file);
    while (c != EOF && HiScoreIsBlank(c))
        c = std::fgetc(file);
    if (c != EOF) std::ungetc(c, file);
    return c;
}

// One row the way the scan "%s %ld \n" reads it from where the last one stopped, so rows may span
// or share lines. The name is the next word, kept to 19 characters; the score a decimal number,
// saturated at the 32-bit range. A field that cannot be read leaves its part of the row alone and
// the scan goes on from the first character it could not take. False at the end of the file.
bool HiScoreScanRow(std::FILE* file, HiScoreRow* row) {
    if (HiScoreSkipBlanks(file) == EOF) return false;
    char word[HISCORE_NAME_SIZE];
    size_t length = 0;
    int c = std::fgetc(file);
    for (; c != EOF && !HiScoreIsBlank(c); c = std::fgetc(file))
        if (length < HISCORE_NAME_SIZE - 1) word[length++] = c == '\0' ? '_' : static_cast<char>(c);
    HiScoreCopyName(row->name, word, length);

    c = HiScoreSkipBlanks(file);
    if (c == EOF) return true;
    std::fgetc(file);
    const bool negative = c == '-';
    if (c == '+' || c == '-') c = std::fgetc(file);
    if (c == EOF || !std::isdigit(c)) {
        if (c != EOF) std::ungetc(c, file);
        return true;
    }
    long long value = 0;
    for (; c != EOF && std::isdigit(c); c = std::fgetc(file))
        value = std::min<long long>(value * 10 + (c - '0'), 1LL + INT32_MAX);
    if (c != EOF) std::ungetc(c, file);
    row->score = static_cast<int32_t>(negative ? std::max<long long>(-value, INT32_MIN)
                                               : std::min<long long>(value, INT32_MAX));
    HiScoreSkipBlanks(file);
    return true;
}

// Writes the rows to fd from where it stands (the start), cuts the file there and syncs it;
// closes fd whatever happens.
bool HiScoreWriteFile(int fd) {
    FileHandle file(fdopen(fd, "w")); // does not truncate: an in-place write is cut below
    if (!file) {
        close(fd);
        return false;
    }
    bool written = true;
    for (const HiScoreRow& row : hiScoreTable)
        // An empty name would make the score the next row's name when read back.
        if (std::fprintf(file.get(), "%-20s %ld \n", row.name[0] ? row.name : "_",
                         static_cast<long>(row.score)) < 0)
            written = false;
    const off_t end = written && std::fflush(file.get()) == 0 ? ftello(file.get()) : -1;
    written = end >= 0 && ftruncate(fd, end) == 0 && fsync(fd) == 0;
    return std::fclose(file.release()) == 0 && written;
}

// The umask, read without setting it: umask() would change it for a moment under other threads
// that create files.
mode_t HiScoreUmask() {
    FileHandle status(std::fopen("/proc/self/status", "r"));
    char line[128];
    unsigned int mask = 022;
    while (status && std::fgets(line, sizeof(line), status.get()))
        if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    return static_cast<mode_t>(mask);
}

void HiScoreSaveFailed(const char* path) {
    char message[PATH_MAX + 100];
    std::snprintf(message, sizeof(message), "HiScoreSave: cannot write %s: %s\n", path,
                  std::strerror(errno));
    Log(LOG_ERROR, "%s", message);
}

// Overwrites the table where it stands: for a folder that takes no new file, and for a link to a
// table not made yet (opening it creates the target). A crash part way leaves a damaged table,
// which is why this is only the fall-back.
void HiScoreWriteInPlace(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, HISCORE_NEW_MODE);
    if (fd < 0 || !HiScoreWriteFile(fd)) HiScoreSaveFailed(path);
}

} // namespace

void HiScoreSetTables(int32_t on) {
    hiScoreTables = on != 0 ? 1 : 0;
}

void HiScoreFileOf(int32_t difficultyLevel, int32_t firstLevel, char* out, size_t size) {
    if (!hiScoreTables || (difficultyLevel == 0 && firstLevel == 1)) {
        std::snprintf(out, size, "%s", HISCORE_FILE);
        return;
    }
    char start[24] = "";
    if (firstLevel != 1)
        std::snprintf(start, sizeof(start), "-l%ld", static_cast<long>(firstLevel));
    if (difficultyLevel == HISCORE_EASY)
        std::snprintf(out, size, "hiscore-easy%s.tbl", start);
    else
        std::snprintf(out, size, "hiscore-d%ld%s.tbl", static_cast<long>(difficultyLevel), start);
}

void HiScoreSelect(int32_t difficultyLevel, int32_t firstLevel) {
    hiScoreDifficulty = difficultyLevel;
    hiScoreFirstLevel = firstLevel;
    char file[HISCORE_FILE_SIZE];
    HiScoreFileOf(difficultyLevel, firstLevel, file, sizeof(file));
    if (std::strcmp(file, hiScoreFile) == 0) return;
    std::snprintf(hiScoreFile, sizeof(hiScoreFile), "%s", file);
    hiScoreGentle = difficultyLevel == HISCORE_EASY && std::strcmp(file, HISCORE_FILE) != 0;
    HiScoreLoad();
    char message[HISCORE_FILE_SIZE + 40];
    std::snprintf(message, sizeof(message), "HiScoreSelect: table %s\n", hiScoreFile);
    Log(LOG_BOOT, "%s", message);
}

const char* HiScoreFile() {
    return hiScoreFile;
}

void HiScoreSetDefaults() {
    const int32_t top = hiScoreGentle ? HISCORE_GENTLE_TOP : HISCORE_DEFAULT_TOP;
    const int32_t step = hiScoreGentle ? HISCORE_GENTLE_STEP : HISCORE_DEFAULT_STEP;
    for (int32_t i = 0; i < HISCORE_ROWS; ++i) {
        std::snprintf(hiScoreTable[i].name, HISCORE_NAME_SIZE, "%s", HISCORE_DEFAULT_NAME);
        hiScoreTable[i].score = top - step * i;
    }
}

void HiScoreLoad() {
    FileHandle file(std::fopen(hiScoreFile, "r"));
    if (!file) {
        HiScoreSetDefaults();
        return;
    }
    // Rows the file does not supply stay empty.
    hiScoreTable = {};
    for (HiScoreRow& row : hiScoreTable)
        if (!HiScoreScanRow(file.get(), &row)) break;
    if (!std::ferror(file.get())) return;
    // It opened but does not read (a directory, an I/O error): as good as no file.
    char message[200];
    std::snprintf(message, sizeof(message), "HiScoreLoad: cannot read %s: %s\n", hiScoreFile,
                  std::strerror(errno));
    Log(LOG_ERROR, "%s", message);
    HiScoreSetDefaults();
}

void HiScoreSave() {
    // A linked table is replaced at its target, so the link stays a link.
    char target[PATH_MAX];
    struct stat old;
    if (!realpath(hiScoreFile, target)) {
        if (lstat(hiScoreFile, &old) == 0 && S_ISLNK(old.st_mode)) {
            HiScoreWriteInPlace(hiScoreFile);
            return;
        }
        std::snprintf(target, sizeof(target), "%s", hiScoreFile);
    }
    // Write the whole table to a new file of its own beside the old one (another running copy
    // saving at the same time has another) and rename it into place: the old table survives a
    // crash or a full disk at any point of the save.
    char temp[PATH_MAX + 8];
    std::snprintf(temp, sizeof(temp), "%s.XXXXXX", target);
    int fd = mkstemp(temp);
    if (fd < 0) {
        char message[PATH_MAX + 100];
        std::snprintf(message, sizeof(message),
                      "HiScoreSave: cannot make a new file beside %s (%s), writing it in place\n",
                      target, std::strerror(errno));
        Log(LOG_ERROR, "%s", message);
        HiScoreWriteInPlace(target);
        return;
    }
    // The table keeps the permissions it had; mkstemp's are private.
    const bool existed = stat(target, &old) == 0 && S_ISREG(old.st_mode);
    fchmod(fd, existed ? old.st_mode & 07777 : HISCORE_NEW_MODE & ~HiScoreUmask());
    if (HiScoreWriteFile(fd) && std::rename(temp, target) == 0) return;
    HiScoreSaveFailed(target);
    unlink(temp);
}

bool HiScoreQualifies(int32_t score) {
    return score > hiScoreTable[HISCORE_ROWS - 1].score;
}

int32_t HiScoreRankOf(int32_t score) {
    int32_t i = 0;
    while (i < HISCORE_ROWS && hiScoreTable[i].score >= score)
        ++i;
    return i == HISCORE_ROWS ? -1 : i;
}

int32_t HiScoreInsert(const char* name, int32_t score) {
    int32_t i = HiScoreRankOf(score);
    if (i < 0) return -1;
    for (int32_t j = HISCORE_ROWS - 1; j > i; --j)
        hiScoreTable[j] = hiScoreTable[j - 1];
    const char* text = name ? name : "";
    HiScoreCopyName(hiScoreTable[i].name, text, std::strlen(text));
    hiScoreTable[i].score = score;
    return i;
}
