// Demos: one game recorded as what the game read from outside (the frame time and step count, the
// frame's input record whole, the random seed and the settings that change play) and played back
// exactly, frame by frame; the timedemo benchmark plays one as
// fast as frames can be drawn. The frame loop calls the three Frame functions at its one seam, so
// the game cannot tell a playback from a player. Main thread only.
#pragma once

#include "console/gameinput.h"
#include "core/settings.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t DEMO_FORMAT_VERSION = 2;
constexpr size_t DEMO_NAME_SIZE = 41;        // a name of at most 40 letters, digits, '-' or '_'
constexpr size_t DEMO_MAX_BYTES = 16u << 20; // the largest demo that is played back
constexpr size_t DEMO_PROGRAM_SIZE = 32;     // the recording program's banner, zero-padded
constexpr size_t DEMO_REASON_SIZE = 128;
constexpr size_t DEMO_SETTING_KEY_SIZE = 16; // a setting's key, zero-padded
constexpr int32_t DEMO_MAX_SETTINGS = 32;

// One setting that changes play, as it stood when the recording began.
struct DemoSetting {
    char key[DEMO_SETTING_KEY_SIZE];
    double value;
};

// How a game ended: compared bit for bit between a recording and its playback.
struct DemoOutcome {
    int32_t score, level, lives;
    uint64_t state; // DemoStateHash
};

// A demo file checked from end to end by DemoParse.
struct DemoInfo {
    uint32_t format;
    uint32_t rules; // GAME_RULES_VERSION of the recording program
    char program[DEMO_PROGRAM_SIZE];
    uint32_t seed;
    int32_t settingCount;
    DemoSetting settings[DEMO_MAX_SETTINGS];
    GameInputState input; // the input record at the start of the first frame
    int32_t frames, events;
    DemoOutcome outcome;
    size_t bodyOffset; // where the frame records begin
};

// A hash of every live thing's position, in the thing table's order.
uint64_t DemoStateHash();

// After the client start-up: registers the `record` command and reads `record`, `playdemo` and
// `timedemo` (in that order of precedence: a timedemo wins). A demo that cannot be played is one
// error line; returns false only for a timedemo, which then cannot do its job (exit 1).
bool DemoInit();
// Shutdown: a recording still running ends here (the quit) and is written out; buffers freed.
void DemoUnInit();
// The `record NAME` command: the next game from the title's Space is recorded to demos/NAME.skd.
void DemoRecordCommand(const char* argument);

// The frame loop's seam, in this order each frame: Begin before the event pump; Frame after the
// input poll with the measured frame time and step count, which a playback replaces; End after
// the game steps.
void DemoFrameBegin();
void DemoFrame(float* dt, int32_t* steps);
void DemoFrameEnd();
// The frame time the loop should hold to: false when no demo plays (the loop's own cap applies);
// 0 for a timedemo (no waiting), else the recorded time of the frame to come.
bool DemoFramePace(float* seconds);
// A demo is being played back (or timed).
bool DemoPlaying();
// A game is being recorded (from the title's Space to its end).
bool DemoRecording();
// A demo is armed for recording, being recorded or playing.
bool DemoBusy();
// The event is a press or release of a key bound to `screenshot`, which a playback lets through.
bool DemoScreenshotKey(const InputEvent* event);

// A title demo: demos/NAME.skd played behind the title (by the title demos of app/titledemo.h),
// without the outcome check, the quit at its end or an input filter of its own. Its buffer is
// kept for the next demo. False, with one error line, for a demo that cannot play or while
// another demo is busy.
bool DemoTitleStart(const char* name);
// The title demo has played its last frame.
bool DemoTitleOver();
// Ends a title demo (if one plays): the player's play settings, input record and random state,
// as they were when it started, are put back.
void DemoTitleStop();

// vantor.ini record, playdemo, timedemo and demoshot.
extern const SettingTable demoSettings;
// Tests and fuzzing only (playback parses through it):
// Checks a whole demo image: the header (magic, format, rules version, every setting known and in
// its range; one it lacks plays at its default), every record, the end record and nothing after it.
// False with a one-line reason (no newline) for anything else. The settings are looked up in the
// registered tables.
bool DemoParse(const uint8_t* data, size_t size, DemoInfo* info, char* reason, size_t reasonSize);
