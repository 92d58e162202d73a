// vantor.ini as a whole: the line walk, the start-up check of hand-made mistakes and the rewrite
// that saves the options.
#include "core/inifile.h"

#include "core/log.h"
#include "core/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr size_t INI_PIECE_MAX = 255;   // the typed reads take longer lines in pieces of this size
constexpr int32_t CHECK_KEYS_MAX = 192; // keys whose first line the check remembers
constexpr size_t CHECK_KEY_SIZE = 40;
constexpr int32_t WRITE_CHANGES_MAX = 64;
constexpr int32_t LINK_HOPS_MAX = 8;
constexpr size_t CHECK_TEXT_SIZE = 4 * INI_VALUE_SIZE; // room for a key, a value and words

// The file, read whole: the check, the walks and the rewrite share it, one at a time.
char iniImage[INI_FILE_MAX];

// Reads path into iniImage: the byte count, or -1 with errno set. complete is false when the file
// did not fit.
ssize_t IniLoad(const char* path, bool* complete) {
    *complete = true;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    size_t size = 0;
    for (;;) {
        if (size == sizeof(iniImage)) {
            char extra;
            *complete = read(fd, &extra, 1) <= 0;
            break;
        }
        const ssize_t got = read(fd, iniImage + size, sizeof(iniImage) - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            close(fd);
            errno = error;
            return -1;
        }
        if (got == 0) break;
        size += static_cast<size_t>(got);
    }
    close(fd);
    return static_cast<ssize_t>(size);
}

// The next line (or piece of a long line) from *pos, as the typed reads split the file.
bool IniNextLine(const char* data, size_t size, size_t* pos, int32_t* number, IniLine* line) {
    if (*pos >= size) return false;
    const size_t start = *pos;
    size_t length = 0;
    while (start + length < size) {
        const char c = data[start + length++];
        if (c == '\n' || length >= INI_PIECE_MAX) break;
    }
    line->number = *number;
    line->text = data + start;
    line->length = length;
    IniScanLine(line->text, length, line->key, line->value, &line->valueAt);
    if (data[start + length - 1] == '\n') ++*number;
    *pos = start + length;
    return true;
}

bool IsComment(const IniLine& line) {
    return line.key[0] == '#' || line.key[0] == ';';
}

// The end of a line's text: before its CR LF or LF.
size_t LineContentEnd(const IniLine& line) {
    size_t end = line.length;
    while (end > 0 && (line.text[end - 1] == '\n' || line.text[end - 1] == '\r'))
        --end;
    return end;
}

// [from, to) of a list value in the line: after " = ", up to a comment or the end, trimmed.
void ListSpan(const IniLine& line, size_t* from, size_t* to) {
    const size_t end = LineContentEnd(line);
    size_t a = line.valueAt == SIZE_MAX ? end : std::min(line.valueAt, end);
    size_t b = a;
    while (b < end && line.text[b] != '#' && line.text[b] != ';' && line.text[b] != '\0')
        ++b;
    while (b > a && std::isspace(static_cast<unsigned char>(line.text[b - 1])))
        --b;
    *from = a;
    *to = b;
}

// ---- The start-up check ----------------------------------------------------------------------

struct CheckState {
    bool (*ownsKey)(const char* key);
    int32_t seenCount;
    char seenKey[CHECK_KEYS_MAX][CHECK_KEY_SIZE];
    int32_t seenLine[CHECK_KEYS_MAX];
};
CheckState check;

void CheckWarn(const IniLine& line, const char* what) {
    char message[CHECK_TEXT_SIZE + 64];
    std::snprintf(message, sizeof(message), "IniCheck: %s line %ld: %s\n", INI_FILE,
                  static_cast<long>(line.number), what);
    Log(LOG_ERROR, "%s", message);
}

bool CheckKnown(const char* key) {
    return SettingsFind(key) != nullptr || (check.ownsKey && check.ownsKey(key));
}

// The line a key was first given on, or 0 (the key is then remembered with this line).
int32_t CheckFirstLine(const char* key, int32_t line) {
    char lower[CHECK_KEY_SIZE];
    size_t n = 0;
    for (; key[n] && n + 1 < sizeof(lower); ++n)
        lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[n])));
    lower[n] = '\0';
    for (int32_t i = 0; i < check.seenCount; ++i)
        if (std::strcmp(check.seenKey[i], lower) == 0) return check.seenLine[i];
    if (check.seenCount < CHECK_KEYS_MAX) {
        std::memcpy(check.seenKey[check.seenCount], lower, n + 1);
        check.seenLine[check.seenCount++] = line;
    }
    return 0;
}

// A number the reads take by atol or atof rules; anything left over is a mistake.
void CheckNumber(const IniLine& line, const Setting& row) {
    char what[CHECK_TEXT_SIZE];
    if (line.value[0] == '\0') {
        std::snprintf(what, sizeof(what), "%s has no value; read as 0", line.key);
        CheckWarn(line, what);
        return;
    }
    double read = 0.0;
    bool whole = false;
    if (row.type == SETTING_INT) {
        char* end = nullptr;
        const long long v = std::strtoll(line.value, &end, 10);
        read = static_cast<double>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
        whole = *end == '\0' && end != line.value;
    } else {
        size_t used = 0;
        read = IniDecimal(line.value, &used);
        whole = used == std::strlen(line.value);
    }
    if (!whole) {
        std::snprintf(what, sizeof(what), "%s = %s: not a number; read as %g", line.key, line.value,
                      read);
        CheckWarn(line, what);
    }
    const bool everything = row.low <= INT32_MIN && row.high >= INT32_MAX;
    if (row.low <= row.high && !everything && (read < row.low || read > row.high)) {
        std::snprintf(what, sizeof(what), "%s = %s: outside %g to %g", line.key, line.value,
                      row.low, row.high);
        CheckWarn(line, what);
    }
}

bool CheckLine(const IniLine& line, void*) {
    if (line.key[0] == '\0' || IsComment(line)) return true;
    char what[CHECK_TEXT_SIZE];
    if (const char* equals = std::strchr(line.key, '=')) {
        char key[INI_VALUE_SIZE];
        std::snprintf(key, sizeof(key), "%.*s", static_cast<int>(equals - line.key), line.key);
        if (key[0] && CheckKnown(key))
            std::snprintf(what, sizeof(what), "%s: no blanks around \"=\"; the line is ignored",
                          line.key);
        else
            std::snprintf(what, sizeof(what), "%s: no such setting; the line is ignored",
                          key[0] ? key : line.key);
        CheckWarn(line, what);
        return true;
    }
    const Setting* row = SettingsFind(line.key);
    if (!row && !CheckKnown(line.key)) {
        std::snprintf(what, sizeof(what), "%s: no such setting; the line is ignored", line.key);
        CheckWarn(line, what);
        return true;
    }
    if (const int32_t first = CheckFirstLine(line.key, line.number)) {
        std::snprintf(what, sizeof(what),
                      "%s is given again; the first, on line %ld, is the one read", line.key,
                      static_cast<long>(first));
        CheckWarn(line, what);
        return true;
    }
    if (row && row->type != SETTING_TEXT) CheckNumber(line, *row);
    return true;
}

// ---- The rewrite ------------------------------------------------------------------------------

// out = the first dirLength bytes of dir, "/" and name; false when it does not fit.
bool JoinPath(char* out, size_t size, const char* dir, size_t dirLength, const char* name) {
    const size_t nameLength = std::strlen(name);
    if (dirLength + 1 + nameLength + 1 > size) return false;
    std::memmove(out, dir, dirLength);
    out[dirLength] = '/';
    std::memcpy(out + dirLength + 1, name, nameLength + 1);
    return true;
}

// Follows symbolic links from path to the file they name (which may not exist yet).
void ResolveLinks(const char* path, char* target, size_t size) {
    std::snprintf(target, size, "%s", path);
    for (int32_t hop = 0; hop < LINK_HOPS_MAX; ++hop) {
        struct stat st {};
        if (lstat(target, &st) != 0 || !S_ISLNK(st.st_mode)) return;
        char link[PATH_MAX];
        const ssize_t n = readlink(target, link, sizeof(link) - 1);
        if (n < 0) return;
        link[n] = '\0';
        const char* slash = std::strrchr(target, '/');
        if (link[0] == '/' || !slash)
            std::snprintf(target, size, "%s", link);
        else if (!JoinPath(target, size, target, static_cast<size_t>(slash - target), link))
            return;
    }
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteText(int fd, const char* text) {
    return WriteAll(fd, text, std::strlen(text));
}

// One replaced stretch of the old file.
struct Edit {
    size_t from, to;          // bytes of the old file replaced
    int32_t change;           // index into the changes
    bool wholeLine;           // the line had the key but no "=": it becomes "key = value"
    bool needsBlank;          // the value follows "=" directly: a blank goes before it
    char key[INI_VALUE_SIZE]; // the key as the file spells it
};
Edit edits[WRITE_CHANGES_MAX];

// Where the line the reads take for change i lies; false when the file lacks the key.
bool FindEdit(const char* data, size_t size, const IniChange& change, Edit* edit) {
    size_t pos = 0;
    int32_t number = 1;
    IniLine line;
    while (IniNextLine(data, size, &pos, &number, &line)) {
        if (IsComment(line) || strcasecmp(line.key, change.key) != 0) continue;
        const size_t base = static_cast<size_t>(line.text - data);
        std::snprintf(edit->key, sizeof(edit->key), "%s", line.key);
        edit->wholeLine = line.valueAt == SIZE_MAX;
        edit->needsBlank = false;
        if (edit->wholeLine) {
            size_t lead = 0;
            while (lead < line.length && (line.text[lead] == ' ' || line.text[lead] == '\t'))
                ++lead;
            edit->from = base + lead;
            edit->to = base + LineContentEnd(line);
        } else if (change.list) {
            ListSpan(line, &edit->from, &edit->to);
            edit->from += base;
            edit->to += base;
        } else {
            edit->from = base + line.valueAt;
            edit->to = edit->from + std::strlen(line.value);
        }
        if (!edit->wholeLine && edit->from == edit->to && edit->from > 0 &&
            data[edit->from - 1] == '=')
            edit->needsBlank = true;
        return true;
    }
    return false;
}

void Fail(const char* what, const char* path, int error, char* reason, size_t reasonSize) {
    char message[PATH_MAX + 256];
    std::snprintf(message, sizeof(message), "IniWrite: %s %s: %s; %s is unchanged\n", what, path,
                  std::strerror(error), INI_FILE);
    Log(LOG_ERROR, "%s", message);
    std::snprintf(reason, reasonSize, "Not saved: %s", std::strerror(error));
}

} // namespace

bool IniForEachLine(const char* fileName, bool (*visit)(const IniLine& line, void* context),
                    void* context) {
    bool complete = true;
    const ssize_t size = IniLoad(fileName, &complete);
    if (size < 0) return false;
    size_t pos = 0;
    int32_t number = 1;
    IniLine line;
    while (IniNextLine(iniImage, static_cast<size_t>(size), &pos, &number, &line))
        if (!visit(line, context)) break;
    return true;
}

void IniLineRest(const IniLine& line, char* out, size_t outSize) {
    if (outSize == 0) return;
    size_t from = 0, to = 0;
    ListSpan(line, &from, &to);
    std::snprintf(out, outSize, "%.*s", static_cast<int>(to - from), line.text + from);
}

void IniCheck(const char* fileName, bool (*ownsKey)(const char* key)) {
    check.ownsKey = ownsKey;
    check.seenCount = 0;
    bool complete = true;
    const ssize_t size = IniLoad(fileName, &complete);
    if (size < 0) return;
    if (!complete) {
        char message[128];
        std::snprintf(message, sizeof(message),
                      "IniCheck: %s is larger than %ld bytes; only its start is checked\n",
                      fileName, static_cast<long>(INI_FILE_MAX));
        Log(LOG_ERROR, "%s", message);
    }
    size_t pos = 0;
    int32_t number = 1;
    IniLine line;
    while (IniNextLine(iniImage, static_cast<size_t>(size), &pos, &number, &line))
        CheckLine(line, nullptr);
}

bool IniWrite(const char* fileName, const IniChange* changes, int32_t count, char* reason,
              size_t reasonSize) {
    char target[PATH_MAX];
    ResolveLinks(fileName, target, sizeof(target));
    if (count > WRITE_CHANGES_MAX) {
        Fail("too many changes for", target, E2BIG, reason, reasonSize);
        return false;
    }
    struct stat st {};
    const bool exists = stat(target, &st) == 0;
    mode_t mode = st.st_mode & 07777;
    size_t size = 0;
    if (exists) {
        bool complete = true;
        const ssize_t got = IniLoad(target, &complete);
        if (got < 0) {
            Fail("cannot read", target, errno, reason, reasonSize);
            return false;
        }
        if (!complete) {
            Fail("will not rewrite", target, EFBIG, reason, reasonSize);
            return false;
        }
        size = static_cast<size_t>(got);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    int32_t editCount = 0;
    bool found[WRITE_CHANGES_MAX] = {};
    for (int32_t i = 0; i < count; ++i) {
        if (!FindEdit(iniImage, size, changes[i], &edits[editCount])) continue;
        edits[editCount++].change = i;
        found[i] = true;
    }
    std::sort(edits, edits + editCount,
              [](const Edit& a, const Edit& b) { return a.from < b.from; });

    // The temporary file beside the target, so that the rename is atomic.
    const char* slash = std::strrchr(target, '/');
    char temp[PATH_MAX + 32];
    if (slash)
        std::snprintf(temp, sizeof(temp), "%.*s/.%s.XXXXXX", static_cast<int>(slash - target),
                      target, slash + 1);
    else
        std::snprintf(temp, sizeof(temp), ".%s.XXXXXX", target);
    const int fd = mkstemp(temp);
    if (fd < 0) {
        Fail("cannot create a file beside", target, errno, reason, reasonSize);
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    size_t at = 0;
    for (int32_t e = 0; ok && e < editCount; ++e) {
        const Edit& edit = edits[e];
        const IniChange& change = changes[edit.change];
        if (edit.from < at) continue; // two changes of one key: the first is kept
        ok = WriteAll(fd, iniImage + at, edit.from - at);
        if (ok && edit.wholeLine) ok = WriteText(fd, edit.key) && WriteText(fd, " = ");
        if (ok && edit.needsBlank) ok = WriteText(fd, " ");
        if (ok) ok = WriteText(fd, change.value);
        at = edit.to;
    }
    if (ok) ok = WriteAll(fd, iniImage + at, size - at);
    // Keys the file lacks, at its end, in the file's own line ends.
    const char* newline = "\n";
    if (const char* lf = static_cast<const char*>(std::memchr(iniImage, '\n', size)))
        if (lf > iniImage && lf[-1] == '\r') newline = "\r\n";
    bool lineOpen = size > 0 && iniImage[size - 1] != '\n';
    for (int32_t i = 0; ok && i < count; ++i) {
        if (found[i]) continue;
        if (lineOpen) ok = WriteText(fd, newline);
        lineOpen = false;
        if (ok && changes[i].comment)
            ok = WriteText(fd, "# ") && WriteText(fd, changes[i].comment) && WriteText(fd, newline);
        if (ok)
            ok = WriteText(fd, changes[i].key) && WriteText(fd, " = ") &&
                 WriteText(fd, changes[i].value) && WriteText(fd, newline);
    }
    if (ok) ok = fsync(fd) == 0;
    const int writeError = errno;
    if (close(fd) != 0 && ok) ok = false;
    if (!ok || rename(temp, target) != 0) {
        const int error = ok ? errno : writeError;
        unlink(temp);
        Fail("cannot write", target, error ? error : EIO, reason, reasonSize);
        return false;
    }
    // The rename itself lasts once the directory is on disk too.
    char dir[PATH_MAX];
    std::snprintf(dir, sizeof(dir), "%.*s", slash ? static_cast<int>(slash - target) : 1,
                  slash ? target : ".");
    const int dirFd = open(dir[0] ? dir : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    if (reasonSize > 0) reason[0] = '\0';
    return true;
}
