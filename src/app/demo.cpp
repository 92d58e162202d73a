// Demo recording, exact playback and the timedemo benchmark.
//
// A demo file (demos/NAME.skd, little-endian) is a header followed by records, one tag byte each:
//   header  "SKXD", u32 format, u32 game rules version, char[32] program banner (for people),
//           u32 random seed, u32 count of settings and for each its key (char[16]) and value (f64),
//           the input record's state at the start of the first frame (GAME_INPUT_STATE_WORDS u32)
//   'E'     a press the screens took: device, key, flags, x, y, symbol, pad meaning (7 i32)
//   'C'     the input record's state, when it differs from the last frame's
//   'F'     the end of a frame: its time (f32) and step count (i32)
//   'Z'     the end of the game: score, level, lives (3 i32), state hash (u64); last in the file
// A demo plays wherever its format and rules version are this program's: a new program version
// that leaves play alone keeps every demo.
#include "app/demo.h"

#include "app/app.h"
#include "app/client.h"
#include "console/bind.h"
#include "console/command.h"
#include "console/input.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/window.h"
#include "foundation/mem.h"
#include "game/game.h"
#include "game/thing.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/screenshot.h"
#include "ui/gui.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

const Setting DEMO_SETTING_ROWS[] = {
    {"record", SETTING_TEXT, 0, "", 1, 0, 0, nullptr, nullptr},
    {"playdemo", SETTING_TEXT, 0, "", 1, 0, 0, nullptr, nullptr},
    {"timedemo", SETTING_TEXT, 0, "", 1, 0, 0, nullptr, nullptr},
    {"demoshot", SETTING_INT, 0, nullptr, 0, INT32_MAX, 0, nullptr, nullptr},
};

} // namespace

const SettingTable demoSettings = SettingTableOf("demo", DEMO_SETTING_ROWS);

namespace {

constexpr char DEMO_MAGIC[4] = {'S', 'K', 'X', 'D'};
constexpr const char* DEMO_DIR = "demos";
constexpr size_t DEMO_PATH_SIZE = 96;
constexpr size_t DEMO_STATE_BYTES = GAME_INPUT_STATE_WORDS * 4;
constexpr size_t DEMO_SETTING_BYTES = DEMO_SETTING_KEY_SIZE + 8;
// Magic, format, rules, program, seed, setting count; then the settings and the state.
constexpr size_t DEMO_FIXED_HEADER_BYTES = 4 + 4 + 4 + DEMO_PROGRAM_SIZE + 4 + 4;
constexpr uint8_t TAG_EVENT = 'E';
constexpr uint8_t TAG_CONTROLS = 'C';
constexpr uint8_t TAG_FRAME = 'F';
constexpr uint8_t TAG_END = 'Z';
constexpr size_t EVENT_BYTES = 7 * sizeof(int32_t);
constexpr size_t FRAME_BYTES = 2 * sizeof(int32_t);
constexpr size_t END_BYTES = 3 * 4 + 8;
// The recording is written in blocks of this size: no allocation and one write per block.
constexpr size_t DEMO_BLOCK_BYTES = size_t{64} * 1024;
// Sane bounds for what a file may ask of the loop: a frame of at most a minute, in steps of at
// least a millisecond, and the settings' own ranges.
constexpr float DEMO_MAX_FRAME_TIME = 60.0f;

enum DemoMode { DEMO_IDLE, DEMO_ARMED, DEMO_RECORDING, DEMO_PLAYING };

DemoMode mode = DEMO_IDLE;
char demoName[DEMO_NAME_SIZE] = "";
char demoPath[DEMO_PATH_SIZE] = "";

// Recording.
bool armedAtTitle = false; // the title has been seen since `record`: the next Space starts it
FILE* recordFile = nullptr;
uint8_t* recordBlock = nullptr; // DEMO_BLOCK_BYTES, allocated once at DemoInit
size_t recordUsed = 0;
int32_t recordFrames = 0;
uint32_t frameSeed = 0;
GameInputState frameStartState{};
GameInputState lastState{};
float frameTime = 0.0f;
int32_t seamLevel = 0; // the level as the frame's steps began
int32_t frameSteps = 0;

// Playback.
uint8_t* playImage = nullptr; // grown to the largest demo loaded and kept for the next
size_t playCapacity = 0;
size_t playSize = 0;
size_t playCursor = 0;
DemoInfo playInfo{};
int32_t playFrame = 0; // frames begun
int32_t shotFrame = 0; // vantor.ini "demoshot": the played frame to take a screenshot of (0: none)
GameInputState playState{};
bool timing = false;
float* frameTimes = nullptr; // seconds per frame, filled while a timedemo runs
std::chrono::steady_clock::time_point frameStart;

// A title demo: played behind the title until it ends or the title takes over again; then what
// the playback put in place goes back: the player's play settings, input record and random state.
struct KeptSetting {
    const Setting* row;
    double value;
};
constexpr int32_t DEMO_MAX_KEPT = 64;
bool titlePlay = false;
bool titleOver = false; // its last frame has been played
KeptSetting keptSettings[DEMO_MAX_KEPT];
int32_t keptCount = 0;
GameInputState keptState{};
uint32_t keptSeed = 0;

// ---- Little-endian encoding ------------------------------------------------------------------

void PutU32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* in) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(in[i]) << (8 * i);
    return v;
}

void PutI32(uint8_t* out, int32_t v) {
    PutU32(out, static_cast<uint32_t>(v));
}

int32_t GetI32(const uint8_t* in) {
    return static_cast<int32_t>(GetU32(in));
}

void PutF32(uint8_t* out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(out, bits);
}

float GetF32(const uint8_t* in) {
    uint32_t bits = GetU32(in);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void PutU64(uint8_t* out, uint64_t v) {
    PutU32(out, static_cast<uint32_t>(v));
    PutU32(out + 4, static_cast<uint32_t>(v >> 32));
}

uint64_t GetU64(const uint8_t* in) {
    return GetU32(in) | static_cast<uint64_t>(GetU32(in + 4)) << 32;
}

// ---- The game's side: what is recorded and what a playback puts back ---------------------

// Every setting that changes play, from the registered tables, into the header.
size_t SettingsPut(uint8_t* out, size_t room) {
    int32_t count = 0;
    size_t at = 4;
    for (int32_t t = 0; t < SettingsTableCount(); ++t) {
        const SettingTable& table = SettingsTable(t);
        for (int32_t i = 0; i < table.count; ++i) {
            const Setting& row = table.rows[i];
            if (!(row.flags & SETTING_PLAY) || !row.get || count == DEMO_MAX_SETTINGS) continue;
            if (at + DEMO_SETTING_BYTES > room) break;
            std::memset(out + at, 0, DEMO_SETTING_KEY_SIZE);
            std::snprintf(reinterpret_cast<char*>(out + at), DEMO_SETTING_KEY_SIZE, "%s", row.key);
            double value = row.get();
            uint64_t bits;
            std::memcpy(&bits, &value, 8);
            PutU64(out + at + DEMO_SETTING_KEY_SIZE, bits);
            at += DEMO_SETTING_BYTES;
            ++count;
        }
    }
    PutU32(out, static_cast<uint32_t>(count));
    return at;
}

// A setting the recording program did not have yet plays at its default, which keeps the game
// it always was: a new play setting does not cost the demos recorded before it.
void SettingsApply(const DemoInfo& info) {
    for (int32_t t = 0; t < SettingsTableCount(); ++t)
        for (int32_t i = 0; i < SettingsTable(t).count; ++i) {
            const Setting& row = SettingsTable(t).rows[i];
            if ((row.flags & SETTING_PLAY) && row.set) row.set(row.defaultValue);
        }
    for (int32_t i = 0; i < info.settingCount; ++i)
        SettingsFind(info.settings[i].key)->set(info.settings[i].value);
}

// The level is the one played: the end of a game has already put the title's level 0 in place.
DemoOutcome OutcomeCapture() {
    return {score, level > 0 ? level : seamLevel, lives, DemoStateHash()};
}

void OutcomeLog(const DemoOutcome& o) {
    char line[160];
    std::snprintf(line, sizeof(line), "Demo %s: score %ld, level %ld, lives %ld, state %016llx\n",
                  demoName, static_cast<long>(o.score), static_cast<long>(o.level),
                  static_cast<long>(o.lives), static_cast<unsigned long long>(o.state));
    Log(LOG_BOOT, "%s", line);
}

bool OutcomeEqual(const DemoOutcome& a, const DemoOutcome& b) {
    return a.score == b.score && a.level == b.level && a.lives == b.lives && a.state == b.state;
}

// Letters, digits, '-' and '_', 1 to 40 of them: the name becomes a file name.
bool DemoNameValid(const char* name) {
    size_t n = name ? std::strlen(name) : 0;
    if (n == 0 || n >= DEMO_NAME_SIZE) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (!(std::isalnum(c) || c == '-' || c == '_')) return false;
    }
    return true;
}

void DemoSetName(const char* name) {
    std::snprintf(demoName, sizeof(demoName), "%s", name);
    std::snprintf(demoPath, sizeof(demoPath), "%s/%s.skd", DEMO_DIR, name);
}

// ---- Recording -----------------------------------------------------------------------------

void DemoRecordStop() {
    if (recordFile) std::fclose(recordFile);
    recordFile = nullptr;
    mode = DEMO_IDLE;
}

// A failed write ends the recording, never the game; the partial file is removed.
void DemoRecordFail(const char* what) {
    char line[256];
    std::snprintf(line, sizeof(line), "DemoRecord: %s %s: %s; recording stopped\n", what, demoPath,
                  std::strerror(errno));
    Log(LOG_ERROR, "%s", line);
    DemoRecordStop();
    std::remove(demoPath);
}

bool DemoFlush() {
    if (recordUsed == 0) return true;
    errno = 0;
    if (std::fwrite(recordBlock, 1, recordUsed, recordFile) != recordUsed) {
        if (errno == 0) errno = EIO;
        DemoRecordFail("cannot write");
        return false;
    }
    recordUsed = 0;
    return true;
}

bool DemoPut(const uint8_t* bytes, size_t n) {
    if (recordUsed + n > DEMO_BLOCK_BYTES && !DemoFlush()) return false;
    std::memcpy(recordBlock + recordUsed, bytes, n);
    recordUsed += n;
    return true;
}

bool DemoRecordOpen() {
    mkdir(DEMO_DIR, 0755); // an existing directory is fine; a failure shows at the open
    std::remove(demoPath); // a shipped demo may be a link into the installed tree
    recordFile = std::fopen(demoPath, "wb");
    if (!recordFile) {
        DemoRecordFail("cannot create");
        return false;
    }
    uint8_t header[DEMO_FIXED_HEADER_BYTES + DEMO_MAX_SETTINGS * DEMO_SETTING_BYTES +
                   DEMO_STATE_BYTES] = {};
    std::memcpy(header, DEMO_MAGIC, 4);
    PutU32(header + 4, DEMO_FORMAT_VERSION);
    PutU32(header + 8, GAME_RULES_VERSION);
    std::snprintf(reinterpret_cast<char*>(header + 12), DEMO_PROGRAM_SIZE, "%s", APP_BANNER);
    PutU32(header + 12 + DEMO_PROGRAM_SIZE, frameSeed);
    const size_t settingsAt = DEMO_FIXED_HEADER_BYTES - 4;
    size_t size = settingsAt +
                  SettingsPut(header + settingsAt, sizeof(header) - settingsAt - DEMO_STATE_BYTES);
    GameInputEncode(frameStartState, header + size);
    size += DEMO_STATE_BYTES;
    lastState = frameStartState;
    recordUsed = 0;
    recordFrames = 0;
    mode = DEMO_RECORDING;
    Log(LOG_BOOT, "DemoRecord: recording %s\n", demoPath);
    return DemoPut(header, size);
}

bool DemoRecordFrame() {
    if (gameInput.actionOverflow) {
        errno = EOVERFLOW;
        DemoRecordFail("too many screen presses in one frame for");
        return false;
    }
    uint8_t record[1 + (EVENT_BYTES > DEMO_STATE_BYTES ? EVENT_BYTES : DEMO_STATE_BYTES)];
    for (int32_t i = 0; i < gameInput.actionCount; ++i) {
        const InputEvent& e = gameInput.actions[i];
        const int32_t words[7] = {e.device, e.key, static_cast<int32_t>(e.flags), e.x, e.y,
                                  e.symbol, e.pad};
        record[0] = TAG_EVENT;
        for (size_t w = 0; w < 7; ++w)
            PutI32(record + 1 + 4 * w, words[w]);
        if (!DemoPut(record, 1 + EVENT_BYTES)) return false;
    }
    // Bytewise on purpose: the record holds the controls' bits, so any change of bits is recorded.
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    if (std::memcmp(&gameInput.state, &lastState, sizeof(GameInputState)) != 0) {
        record[0] = TAG_CONTROLS;
        GameInputEncode(gameInput.state, record + 1);
        if (!DemoPut(record, 1 + DEMO_STATE_BYTES)) return false;
        lastState = gameInput.state;
    }
    record[0] = TAG_FRAME;
    PutF32(record + 1, frameTime);
    PutI32(record + 5, frameSteps);
    if (!DemoPut(record, 1 + FRAME_BYTES)) return false;
    recordFrames++;
    return true;
}

// The end of the game (or the quit): the outcome goes into the file and the log.
void DemoRecordFinish() {
    const DemoOutcome outcome = OutcomeCapture();
    uint8_t record[1 + END_BYTES];
    record[0] = TAG_END;
    PutI32(record + 1, outcome.score);
    PutI32(record + 5, outcome.level);
    PutI32(record + 9, outcome.lives);
    PutU32(record + 13, static_cast<uint32_t>(outcome.state));
    PutU32(record + 17, static_cast<uint32_t>(outcome.state >> 32));
    if (!DemoPut(record, sizeof(record)) || !DemoFlush()) return;
    errno = 0;
    if (std::fclose(recordFile) != 0) {
        recordFile = nullptr;
        DemoRecordFail("cannot close");
        return;
    }
    recordFile = nullptr;
    OutcomeLog(outcome);
    Log(LOG_BOOT, "DemoRecord: wrote %s, %ld frames\n", demoPath, static_cast<long>(recordFrames));
    DemoRecordStop();
}

void DemoArm(const char* name) {
    if (!DemoNameValid(name)) {
        Log(LOG_ERROR, "DemoRecord: bad demo name \"%s\" (letters, digits, - and _)\n", name);
        return;
    }
    if (mode == DEMO_RECORDING || mode == DEMO_PLAYING) {
        Log(LOG_ERROR, "DemoRecord: a demo is already %s\n",
            mode == DEMO_RECORDING ? "being recorded" : "playing");
        return;
    }
    if (!recordBlock) recordBlock = static_cast<uint8_t*>(std::malloc(DEMO_BLOCK_BYTES));
    if (!recordBlock) {
        Log(LOG_ERROR, "DemoRecord: Out of memory\n");
        return;
    }
    DemoSetName(name);
    mode = DEMO_ARMED;
    armedAtTitle = false;
    Log(LOG_BOOT, "DemoRecord: the next game goes to %s\n", demoPath);
}

// ---- Playback ------------------------------------------------------------------------------

// The player's value of every play setting a playback may change; false when there are more
// than the table holds (a programming error: logged).
bool DemoKeepPlayerSettings() {
    keptCount = 0;
    for (int32_t t = 0; t < SettingsTableCount(); ++t)
        for (int32_t i = 0; i < SettingsTable(t).count; ++i) {
            const Setting& row = SettingsTable(t).rows[i];
            if (!(row.flags & SETTING_PLAY) || !row.set || !row.get) continue;
            if (keptCount == DEMO_MAX_KEPT) {
                Log(LOG_ERROR, "DemoPlay: more than %ld play settings to keep\n",
                    static_cast<long>(DEMO_MAX_KEPT));
                return false;
            }
            keptSettings[keptCount++] = {&row, row.get()};
        }
    keptState = gameInput.state;
    keptSeed = RandomGetState();
    return true;
}

void DemoPlayStop() {
    if (titlePlay) { // the title's own filter stays
        for (int32_t i = 0; i < keptCount; ++i)
            keptSettings[i].row->set(keptSettings[i].value);
        GameInputSetState(keptState);
        RandomSeed(keptSeed);
    } else {
        InputSetFilter(nullptr);
    }
    titlePlay = false;
    titleOver = false;
    mode = DEMO_IDLE;
}

// While a demo plays the player's keys stay out of the game: Escape ends the playback and the
// program, a key bound to `screenshot` still takes one, everything else is swallowed.
int DemoFilter(const InputEvent* event) {
    if (event->device == INPUT_KEYBOARD && event->key == KEY_ESCAPE &&
        (event->flags & INPUT_PRESS)) {
        Log(LOG_BOOT, "DemoPlay: %s stopped by the player\n", demoName);
        DemoPlayStop();
        timing = false;
        WindowPostQuit();
        return 1;
    }
    return DemoScreenshotKey(event) ? 0 : 1;
}

bool DemoPlayLoad(const char* name, bool timed, bool title) {
    if (!DemoNameValid(name)) {
        Log(LOG_ERROR, "DemoPlay: bad demo name \"%s\" (letters, digits, - and _)\n", name);
        return false;
    }
    DemoSetName(name);
    FILE* file = std::fopen(demoPath, "rb");
    if (!file) {
        Log(LOG_ERROR, "DemoPlay: cannot open %s: %s\n", demoPath, std::strerror(errno));
        return false;
    }
    struct stat st;
    bool sized = fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
    if (!sized || st.st_size <= 0 || static_cast<uint64_t>(st.st_size) > DEMO_MAX_BYTES) {
        Log(LOG_ERROR, "DemoPlay: %s is not a demo file of 1 to %lu bytes\n", demoPath,
            static_cast<unsigned long>(DEMO_MAX_BYTES));
        std::fclose(file);
        return false;
    }
    playSize = static_cast<size_t>(st.st_size);
    if (playSize > playCapacity) {
        std::free(playImage);
        playImage = static_cast<uint8_t*>(std::malloc(playSize));
        playCapacity = playImage ? playSize : 0;
    }
    bool read = playImage && std::fread(playImage, 1, playSize, file) == playSize;
    std::fclose(file);
    char reason[DEMO_REASON_SIZE];
    if (!read) {
        Log(LOG_ERROR, "DemoPlay: cannot read %s\n", demoPath);
        return false;
    }
    if (!DemoParse(playImage, playSize, &playInfo, reason, sizeof(reason))) {
        Log(LOG_ERROR, "DemoPlay: %s: %s\n", demoPath, reason);
        return false;
    }
    if (timed) {
        frameTimes =
            static_cast<float*>(std::calloc(static_cast<size_t>(playInfo.frames), sizeof(float)));
        if (!frameTimes) {
            Log(LOG_ERROR, "DemoPlay: Out of memory\n");
            return false;
        }
    }
    if (title && !DemoKeepPlayerSettings()) return false;
    timing = timed;
    titlePlay = title;
    titleOver = false;
    playCursor = playInfo.bodyOffset;
    playFrame = 0;
    mode = DEMO_PLAYING;
    if (title) return true; // the title demos log their own line, once a turn
    InputSetFilter(DemoFilter);
    Log(LOG_BOOT, "DemoPlay: %s %s, %ld frames\n", timed ? "timing" : "playing", demoPath,
        static_cast<long>(playInfo.frames));
    return true;
}

// One frame's records up to its 'F': screen events go to the screens, the controls are kept.
void DemoPlayFrame(float* dt, int32_t* steps) {
    if (playFrame == 0) {
        SettingsApply(playInfo);
        RandomSeed(playInfo.seed);
        playState = playInfo.input;
    }
    for (;;) { // DemoParse has checked every record, so this reads inside the image
        const uint8_t tag = playImage[playCursor];
        const uint8_t* body = playImage + playCursor + 1;
        if (tag == TAG_EVENT) {
            InputEvent event{GetI32(body),      GetI32(body + 4),  GetU32(body + 8),
                             GetI32(body + 12), GetI32(body + 16), GetI32(body + 20),
                             GetI32(body + 24)};
            GuiReplayInput(&event);
            playCursor += 1 + EVENT_BYTES;
        } else if (tag == TAG_CONTROLS) {
            playState = GameInputDecode(body);
            playCursor += 1 + DEMO_STATE_BYTES;
        } else {
            *dt = GetF32(body);
            *steps = GetI32(body + 4);
            playCursor += 1 + FRAME_BYTES;
            break;
        }
    }
    // The whole state as recorded: a pause, a focus loss or a device of this machine cannot
    // reach a replayed game.
    GameInputSetState(playState);
    playFrame++;
    // The same frame of the same demo is the same picture on every run: a fixed frame to compare.
    if (playFrame == shotFrame && !titlePlay) {
        Log(LOG_BOOT, "DemoPlay: screenshot of frame %ld\n", static_cast<long>(playFrame));
        ScreenshotCommand(nullptr);
    }
}

void DemoPlayFinish() {
    const DemoOutcome outcome = OutcomeCapture();
    OutcomeLog(outcome);
    const DemoOutcome& recorded = playInfo.outcome;
    if (OutcomeEqual(outcome, recorded)) {
        Log(LOG_BOOT, "Demo %s: playback matches the recording\n", demoName);
    } else {
        char line[256];
        std::snprintf(line, sizeof(line),
                      "DemoPlay: %s went out of step: recorded score %ld, level %ld, lives %ld, "
                      "state %016llx\n",
                      demoName, static_cast<long>(recorded.score),
                      static_cast<long>(recorded.level), static_cast<long>(recorded.lives),
                      static_cast<unsigned long long>(recorded.state));
        Log(LOG_ERROR, "%s", line);
    }
    DemoPlayStop();
    WindowPostQuit();
}

void DemoTimingReport() {
    const int32_t n = playInfo.frames;
    double total = 0.0;
    for (int32_t i = 0; i < n; ++i)
        total += frameTimes[i];
    std::sort(frameTimes, frameTimes + n);
    const float median = frameTimes[(n - 1) / 2];
    const int32_t p99 = static_cast<int32_t>(std::ceil(0.99 * n)) - 1;
    const float worst = frameTimes[n - 1];
    char line[200];
    std::snprintf(line, sizeof(line), "timedemo %s: %ld frames in %.3f seconds, %.1f fps\n",
                  demoName, static_cast<long>(n), total, total > 0.0 ? n / total : 0.0);
    Log(LOG_BOOT, "%s", line);
    std::fputs(line, stderr);
    std::snprintf(line, sizeof(line),
                  "timedemo %s: frame time median %.2f ms, 99th percentile %.2f ms, worst %.2f "
                  "ms\n",
                  demoName, median * 1000.0, frameTimes[p99 < 0 ? 0 : p99] * 1000.0,
                  worst * 1000.0);
    Log(LOG_BOOT, "%s", line);
    std::fputs(line, stderr);
    timing = false;
}

// ---- Reading a demo image --------------------------------------------------------------------

__attribute__((format(printf, 3, 4))) bool Reject(char* reason, size_t reasonSize,
                                                  const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, reasonSize, format, args);
    va_end(args);
    return false;
}

bool FiniteIn(float v, float lo, float hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}

bool StateValid(const GameInputState& state) {
    return FiniteIn(state.mouseYaw, -180.0f, 180.0f);
}

// The header's settings: each one this program plays with, in its range.
bool SettingsParse(const uint8_t* data, size_t size, size_t* at, DemoInfo* info, char* reason,
                   size_t reasonSize) {
    const uint32_t count = GetU32(data + *at - 4);
    if (count > static_cast<uint32_t>(DEMO_MAX_SETTINGS))
        return Reject(reason, reasonSize, "%u settings (damaged)", count);
    if (size - *at < count * DEMO_SETTING_BYTES + DEMO_STATE_BYTES)
        return Reject(reason, reasonSize, "ends inside its header (truncated)");
    for (uint32_t n = 0; n < count; ++n) {
        DemoSetting& setting = info->settings[n];
        std::memcpy(setting.key, data + *at, DEMO_SETTING_KEY_SIZE);
        setting.key[DEMO_SETTING_KEY_SIZE - 1] = '\0';
        const uint64_t bits = GetU64(data + *at + DEMO_SETTING_KEY_SIZE);
        std::memcpy(&setting.value, &bits, 8);
        *at += DEMO_SETTING_BYTES;
        const Setting* row = SettingsFind(setting.key);
        if (!row || !(row->flags & SETTING_PLAY) || !row->set) {
            std::snprintf(reason, reasonSize, "a setting this program does not play with (%.15s)",
                          setting.key);
            return false;
        }
        if (!SettingInRange(*row, setting.value))
            return Reject(reason, reasonSize, "settings out of range (damaged)");
    }
    info->settingCount = static_cast<int32_t>(count);
    return true;
}

} // namespace

bool DemoParse(const uint8_t* data, size_t size, DemoInfo* info, char* reason, size_t reasonSize) {
    *info = DemoInfo{};
    if (size < 4 || std::memcmp(data, DEMO_MAGIC, 4) != 0)
        return Reject(reason, reasonSize, "not a demo file");
    if (size < DEMO_FIXED_HEADER_BYTES)
        return Reject(reason, reasonSize, "ends inside its header (truncated)");
    info->format = GetU32(data + 4);
    if (info->format > DEMO_FORMAT_VERSION)
        return Reject(reason, reasonSize,
                      "format %u is newer than this program reads (%u): made by a newer version",
                      info->format, DEMO_FORMAT_VERSION);
    if (info->format == 0) return Reject(reason, reasonSize, "bad format number 0");
    if (info->format < DEMO_FORMAT_VERSION)
        return Reject(reason, reasonSize,
                      "format %u, from before the input record (format %u): record it again",
                      info->format, DEMO_FORMAT_VERSION);
    info->rules = GetU32(data + 8);
    if (info->rules != GAME_RULES_VERSION)
        return Reject(reason, reasonSize,
                      "recorded under game rules %u, this program plays rules %u", info->rules,
                      GAME_RULES_VERSION);
    for (size_t i = 0; i < DEMO_PROGRAM_SIZE; ++i) {
        char c = static_cast<char>(data[12 + i]);
        info->program[i] = (c == 0 || std::isprint(static_cast<unsigned char>(c))) ? c : '?';
    }
    info->program[DEMO_PROGRAM_SIZE - 1] = '\0';
    info->seed = GetU32(data + 12 + DEMO_PROGRAM_SIZE);
    size_t at = DEMO_FIXED_HEADER_BYTES;
    if (!SettingsParse(data, size, &at, info, reason, reasonSize)) return false;
    info->input = GameInputDecode(data + at);
    at += DEMO_STATE_BYTES;
    if (!StateValid(info->input))
        return Reject(reason, reasonSize, "controls out of range (damaged)");
    info->bodyOffset = at;
    float slice = timeSlice;
    for (int32_t i = 0; i < info->settingCount; ++i)
        if (std::strcmp(info->settings[i].key, "slice") == 0)
            slice = static_cast<float>(info->settings[i].value);
    const float invSlice = 1.0f / slice;
    int32_t frameEvents = 0;
    while (at < size) {
        const uint8_t tag = data[at];
        const uint8_t* body = data + at + 1;
        size_t length = tag == TAG_EVENT      ? EVENT_BYTES
                        : tag == TAG_CONTROLS ? DEMO_STATE_BYTES
                        : tag == TAG_FRAME    ? FRAME_BYTES
                        : tag == TAG_END      ? END_BYTES
                                              : 0;
        if (length == 0)
            return Reject(reason, reasonSize, "unknown record %d at byte %zu (damaged)", tag, at);
        if (size - at - 1 < length)
            return Reject(reason, reasonSize, "ends inside a record at byte %zu (truncated)", at);
        if (tag == TAG_EVENT) {
            const int32_t device = GetI32(body), key = GetI32(body + 4);
            if (device < INPUT_KEYBOARD || device > INPUT_JOYSTICK2 || key < 0 ||
                key >= INPUT_KEY_STATES || GetU32(body + 8) > 0xff)
                return Reject(reason, reasonSize, "bad key event at byte %zu (damaged)", at);
            if (++frameEvents > GAME_INPUT_ACTIONS)
                return Reject(reason, reasonSize, "too many events in one frame at byte %zu", at);
            info->events++;
        } else if (tag == TAG_CONTROLS) {
            if (!StateValid(GameInputDecode(body)))
                return Reject(reason, reasonSize, "bad controls at byte %zu (damaged)", at);
        } else if (tag == TAG_FRAME) {
            const float dt = GetF32(body);
            const int32_t steps = GetI32(body + 4);
            if (!FiniteIn(dt, 0.0f, DEMO_MAX_FRAME_TIME) || steps != AppFrameSteps(dt, invSlice))
                return Reject(reason, reasonSize, "bad frame time at byte %zu (damaged)", at);
            if (info->frames == INT32_MAX) return Reject(reason, reasonSize, "too many frames");
            info->frames++;
            frameEvents = 0;
        } else {
            if (at + 1 + END_BYTES != size)
                return Reject(reason, reasonSize, "data after the end of the game (damaged)");
            if (info->frames == 0 || data[at - (1 + FRAME_BYTES)] != TAG_FRAME || frameEvents)
                return Reject(reason, reasonSize, "no frame before the end of the game");
            info->outcome = {GetI32(body), GetI32(body + 4), GetI32(body + 8),
                             GetU32(body + 12) | static_cast<uint64_t>(GetU32(body + 16)) << 32};
            return true;
        }
        at += 1 + length;
    }
    return Reject(reason, reasonSize, "ends before the end of the game (truncated)");
}

uint64_t DemoStateHash() {
    // FNV-1a over the bits of every live thing's position.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (int32_t i = 0; i < thingIndex.count; ++i) {
        const Thing* thing = static_cast<const Thing*>(thingIndex.items[i]);
        if (thing->flags & THING_DEAD) continue;
        const float coords[3] = {thing->pos.x, thing->pos.y, thing->pos.z};
        uint8_t bytes[12];
        std::memcpy(bytes, coords, sizeof(bytes));
        for (uint8_t b : bytes) {
            hash ^= b;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

bool DemoInit() {
    CommandRegister("record", DemoRecordCommand);
    char record[INI_VALUE_SIZE], play[INI_VALUE_SIZE], timed[INI_VALUE_SIZE];
    SettingReadText(SettingRow(demoSettings, "record"), record, sizeof(record));
    SettingReadText(SettingRow(demoSettings, "playdemo"), play, sizeof(play));
    SettingReadText(SettingRow(demoSettings, "timedemo"), timed, sizeof(timed));
    shotFrame = SettingReadInt(demoSettings, "demoshot");
    if (timed[0]) return DemoPlayLoad(timed, true, false);
    if (play[0]) {
        DemoPlayLoad(play, false, false); // a demo that cannot play leaves the title screen
        return true;
    }
    if (record[0]) DemoArm(record);
    return true;
}

void DemoUnInit() {
    if (mode == DEMO_RECORDING) DemoRecordFinish(); // the quit ends the recorded game
    if (mode == DEMO_PLAYING) DemoPlayStop();
    mode = DEMO_IDLE;
    std::free(recordBlock);
    std::free(playImage);
    std::free(frameTimes);
    recordBlock = nullptr;
    playImage = nullptr;
    playCapacity = 0;
    frameTimes = nullptr;
}

void DemoRecordCommand(const char* argument) {
    if (!argument || !argument[0]) {
        Log(LOG_ERROR, "DemoRecordCommand: record needs a demo name\n");
        return;
    }
    DemoArm(argument);
}

void DemoFrameBegin() {
    if (mode == DEMO_ARMED || mode == DEMO_RECORDING) {
        frameSeed = RandomGetState();
        frameStartState = gameInput.state;
    }
    if (timing) {
        const auto now = std::chrono::steady_clock::now();
        if (playFrame > 0)
            frameTimes[playFrame - 1] = std::chrono::duration<float>(now - frameStart).count();
        frameStart = now;
        if (playFrame == playInfo.frames) DemoTimingReport();
    }
}

void DemoFrame(float* dt, int32_t* steps) {
    seamLevel = level;
    if (mode == DEMO_PLAYING && !titleOver) {
        DemoPlayFrame(dt, steps);
    } else if (mode == DEMO_ARMED || mode == DEMO_RECORDING) {
        frameTime = *dt;
        frameSteps = *steps;
    }
}

void DemoFrameEnd() {
    if (mode == DEMO_ARMED) {
        if (level == 0) {
            armedAtTitle = true;
            return;
        }
        // The title's Space started a game in this frame: the recording begins with it.
        if (!armedAtTitle || !DemoRecordOpen()) return;
    }
    if (mode == DEMO_RECORDING) {
        if (!DemoRecordFrame()) return;
        if (level == 0) DemoRecordFinish(); // the game is over
    } else if (mode == DEMO_PLAYING && playFrame == playInfo.frames) {
        if (titlePlay)
            titleOver = true; // the title takes over: no outcome to compare, no quit
        else
            DemoPlayFinish();
    }
}

bool DemoFramePace(float* seconds) {
    if (mode != DEMO_PLAYING) return false;
    if (timing || playCursor >= playSize) {
        *seconds = 0.0f;
        return true;
    }
    // The next frame's time: the records before its 'F' are events and controls.
    size_t at = playCursor;
    while (playImage[at] == TAG_EVENT || playImage[at] == TAG_CONTROLS)
        at += 1 + (playImage[at] == TAG_EVENT ? EVENT_BYTES : DEMO_STATE_BYTES);
    *seconds = playImage[at] == TAG_FRAME ? GetF32(playImage + at + 1) : 0.0f;
    return true;
}

bool DemoPlaying() {
    return mode == DEMO_PLAYING;
}

bool DemoRecording() {
    return mode == DEMO_RECORDING;
}

bool DemoScreenshotKey(const InputEvent* event) {
    const Bind* bind =
        (event->flags & (INPUT_PRESS | INPUT_RELEASE)) ? BindFind(event->key) : nullptr;
    return bind && bind->press && std::strcmp(bind->press->commandName, "screenshot") == 0;
}

bool DemoBusy() {
    return mode != DEMO_IDLE;
}

bool DemoTitleStart(const char* name) {
    if (mode != DEMO_IDLE) return false;
    return DemoPlayLoad(name, false, true);
}

bool DemoTitleOver() {
    return mode == DEMO_PLAYING && titlePlay && titleOver;
}

void DemoTitleStop() {
    if (mode == DEMO_PLAYING && titlePlay) DemoPlayStop();
}
