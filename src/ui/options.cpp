// The options screen: its four pages of items, the key capture of the controls page, the mouse
// and pad routes to the same moves, and the save to vantor.ini of what changed.
#include "ui/options.h"

#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "console/bind.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "core/clock.h"
#include "core/inifile.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/window.h"
#include "game/game.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

bool (*optionsBlocked)() = nullptr; // a demo records or plays: no options

} // namespace

namespace {

// ---- Layout, in GUI space (640 x 480, y downward) --------------------------------------------

// The panel's frame is about 27 units thick once stretched: the tabs sit on its top edge, the
// text stays inside.
constexpr int32_t PANEL_X = 8, PANEL_Y = 58, PANEL_W = 624, PANEL_H = 418;
constexpr int32_t TAB_X = 26, TAB_Y = 44, TAB_W = 140, TAB_H = 28, TAB_GAP = 10;
constexpr float ITEMS_TOP = 92.0f;
constexpr float ROW_H = 20.0f; // the controls page's 14 rows end above the note
constexpr float LABEL_X = 32.0f;
constexpr float KEYS_X = 196.0f;  // an action's keys
constexpr float VALUE_X = 330.0f; // a value, between its arrows
constexpr float VALUE_W = 280.0f;
constexpr float ROW_LEFT = 22.0f; // the highlight behind the selected row
constexpr float ROW_RIGHT = 618.0f;
constexpr float NOTE_Y = 382.0f;
constexpr float HELP_Y = 398.0f; // two lines
constexpr float HINT_Y = 430.0f;
constexpr float TEXT_RIGHT = 612.0f;
constexpr float CAPTURE_SECONDS = 6.0f; // a capture nobody answers ends by itself
constexpr int32_t MENU_SOUND_VOLUME = 220;
constexpr size_t TEXT_SIZE = 256;
constexpr int32_t SNAPSHOT_MAX = 128;

enum Page : int32_t { PAGE_CONTROLS, PAGE_SOUND, PAGE_DISPLAY, PAGE_GAME, PAGE_COUNT };
constexpr const char* PAGE_NAMES[PAGE_COUNT] = {"Controls", "Sound", "Display", "Game"};

// What a key, button or pad press asks of the screen.
enum Move : int32_t {
    MOVE_NONE,
    MOVE_UP,
    MOVE_DOWN,
    MOVE_LEFT,
    MOVE_RIGHT,
    MOVE_ACT,
    MOVE_BACK,
    MOVE_PAGE_NEXT,
    MOVE_PAGE_PREVIOUS,
    MOVE_REMOVE,
};

enum ItemKind : uint8_t { ITEM_ACTION, ITEM_CHOICE, ITEM_BUTTON };

struct Item {
    ItemKind kind;
    const char* label;
    int32_t action;                       // ITEM_ACTION: the bind action
    void (*text)(char* out, size_t size); // ITEM_CHOICE: the value in force
    void (*step)(int32_t direction);      // ITEM_CHOICE: one step left (-1) or right (+1)
    float (*fill)();                      // ITEM_CHOICE: a slider's share 0..1, or null
    void (*help)(char* out, size_t size); // what the item, and its value in force, does
    void (*act)();                        // ITEM_BUTTON
};

// ---- State --------------------------------------------------------------------------------------

int32_t page = PAGE_CONTROLS;
int32_t selected = 0; // item of the page; -1: the page row
int32_t slot = 0;     // controls: the place among the action's keys (its count: a new key)
bool capturing = false;
float captureStart = 0.0f;
char note[TEXT_SIZE] = "";
bool noteWarns = false;
bool saveFailed = false; // the last leave could not save: the next one leaves anyway
GuiLayer* tabs[PAGE_COUNT] = {};

// What the settings and bindings were when the screen opened: a save writes what differs.
struct Snapshot {
    const Setting* row;
    double value;
};
Snapshot snapshot[SNAPSHOT_MAX];
int32_t snapshotCount = 0;
char bindSnapshot[BIND_ACTIONS][TEXT_SIZE];
// What a save hands to the writer; made at start-up size, used one save at a time.
constexpr int32_t CHANGES_MAX = SNAPSHOT_MAX + BIND_ACTIONS + WINDOW_STATE_KEYS;
IniChange changes[CHANGES_MAX];
char changeValues[CHANGES_MAX][TEXT_SIZE];
char bindComments[BIND_ACTIONS][TEXT_SIZE];

// ---- Settings through their rows ---------------------------------------------------------------

double RowValue(const char* key) {
    const Setting* row = SettingsFind(key);
    return row && row->get ? row->get() : 0.0;
}

void RowSet(const char* key, double value) {
    const Setting* row = SettingsFind(key);
    if (row && row->set) row->set(value);
}

void SetNote(bool warns, const char* text) {
    std::snprintf(note, sizeof(note), "%s", text);
    noteWarns = warns;
}

// The next multiple of step from value in direction, within [low, high]; value's own rounding
// noise (a volume stored in 1/65535) does not count as a step.
double StepTo(double value, double step, int32_t direction, double low, double high) {
    const double units = std::round(value / step * 1000.0) / 1000.0;
    const double next = direction > 0 ? std::floor(units) + 1.0 : std::ceil(units) - 1.0;
    return std::clamp(next * step, low, high);
}

// ---- Sound
// ----------------------------------------------------------------------------------------

constexpr double VOLUME_FULL = 65535.0;

void VolumeText(const char* key, char* out, size_t size) {
    std::snprintf(out, size, "%ld%%", std::lround(RowValue(key) * 100.0 / VOLUME_FULL));
}

void VolumeStep(const char* key, int32_t direction) {
    const double percent = StepTo(RowValue(key) * 100.0 / VOLUME_FULL, 5.0, direction, 0, 100);
    RowSet(key, static_cast<double>(std::lround(percent * VOLUME_FULL / 100.0)));
}

void EffectsText(char* out, size_t size) {
    VolumeText("volume", out, size);
}
void EffectsStep(int32_t direction) {
    VolumeStep("volume", direction);
    WavePlay(SND_MENU, MENU_SOUND_VOLUME); // heard at the new volume
}
float EffectsFill() {
    return static_cast<float>(RowValue("volume") / VOLUME_FULL);
}
void EffectsHelp(char* out, size_t size) {
    std::snprintf(out, size, "How loud the sound effects are; a sound plays as it changes.");
}

void MusicVolumeText(char* out, size_t size) {
    VolumeText("cdvolume", out, size);
}
void MusicVolumeStep(int32_t direction) {
    VolumeStep("cdvolume", direction);
}
float MusicVolumeFill() {
    return static_cast<float>(RowValue("cdvolume") / VOLUME_FULL);
}
void MusicVolumeHelp(char* out, size_t size) {
    std::snprintf(out, size, "How loud the soundtrack is.");
}

void OnOffText(const char* key, char* out, size_t size) {
    std::snprintf(out, size, "%s", RowValue(key) != 0.0 ? "On" : "Off");
}
void Toggle(const char* key) {
    RowSet(key, RowValue(key) != 0.0 ? 0.0 : 1.0);
}

void MusicText(char* out, size_t size) {
    OnOffText("playcd", out, size);
}
void MusicStep(int32_t) {
    Toggle("playcd");
}
void MusicHelp(char* out, size_t size) {
    std::snprintf(out, size, "Play the tracks in music/, one after another.");
}

void NextTrack() {
    if (!CDAudioPlaying()) {
        SetNote(true, "The music is off.");
        return;
    }
    CDAudioSkip();
    SetNote(false, "Playing the next track.");
}
void NextTrackHelp(char* out, size_t size) {
    std::snprintf(out, size, "Skip to the next track of the soundtrack.");
}

// ---- Display
// --------------------------------------------------------------------------------------

void ScreenText(char* out, size_t size) {
    const int32_t mode = static_cast<int32_t>(RowValue("fscreen"));
    std::snprintf(out, size, "%s",
                  mode == 0   ? "Window"
                  : mode == 2 ? "Full screen"
                              : "Mode switch");
}
void ScreenStep(int32_t) {
    RowSet("fscreen", RowValue("fscreen") != 0.0 ? 0.0 : 2.0);
}
void ScreenHelp(char* out, size_t size) {
    if (RowValue("fscreen") == 1.0)
        std::snprintf(out, size,
                      "Full screen in its own display mode, from vantor.ini. Choosing here gives "
                      "a window or full screen at the desktop's resolution (Alt+Enter too).");
    else
        std::snprintf(out, size,
                      "A window, or full screen at the desktop's resolution (Alt+Enter too).");
}

struct Size {
    int32_t w, h;
};
constexpr Size WINDOW_SIZES[] = {{640, 480},  {800, 600},  {1024, 768}, {1280, 720},
                                 {1280, 960}, {1366, 768}, {1600, 900}, {1920, 1080}};

void WindowSizeText(char* out, size_t size) {
    std::snprintf(out, size, "%ld x %ld", static_cast<long>(RowValue("width")),
                  static_cast<long>(RowValue("height")));
}
void WindowSizeStep(int32_t direction) {
    const double area = RowValue("width") * RowValue("height");
    const int32_t count = static_cast<int32_t>(std::size(WINDOW_SIZES));
    int32_t pick = -1;
    for (int32_t i = 0; i < count; ++i) {
        const double a = double(WINDOW_SIZES[i].w) * WINDOW_SIZES[i].h;
        const bool same =
            WINDOW_SIZES[i].w == RowValue("width") && WINDOW_SIZES[i].h == RowValue("height");
        if (direction > 0 && !same && a >= area && pick < 0) pick = i;
        if (direction < 0 && !same && a <= area) pick = i;
    }
    if (pick < 0) return;
    const Size& s = WINDOW_SIZES[pick];
    WindowSetWindowSize(s.w, s.h); // both at once: one resize, not two
}
void WindowSizeHelp(char* out, size_t size) {
    const double mode = RowValue("fscreen");
    if (mode == 1.0)
        std::snprintf(out, size, "The display mode of full screen: applies after a restart.");
    else if (mode == 2.0)
        std::snprintf(out, size, "The window's size when it is a window again (Alt+Enter).");
    else
        std::snprintf(out, size, "The window's size.");
}

void VsyncText(char* out, size_t size) {
    const int32_t v = static_cast<int32_t>(RowValue("vsync"));
    std::snprintf(out, size, "%s",
                  v == WINDOW_VSYNC_DRIVER ? "Driver's"
                  : v == 1                 ? "On"
                  : v == -1                ? "Adaptive"
                                           : "Off");
}
void VsyncStep(int32_t direction) {
    // Off, On, Adaptive in turn; the driver's own choice is where an unnamed setting starts.
    constexpr int32_t ORDER[] = {0, 1, -1};
    const int32_t v = static_cast<int32_t>(RowValue("vsync"));
    int32_t at = v == WINDOW_VSYNC_DRIVER ? (direction > 0 ? -1 : 3)
                                          : (v == 1    ? 1
                                             : v == -1 ? 2
                                                       : 0);
    at = std::clamp(at + direction, 0, 2);
    RowSet("vsync", ORDER[at]);
}
void VsyncHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "Wait for the display's refresh: no tearing. Adaptive shows a late frame at "
                  "once.");
}

void FovText(char* out, size_t size) {
    std::snprintf(out, size, "%g degrees", RowValue("fov"));
}
void FovStep(int32_t direction) {
    RowSet("fov", StepTo(RowValue("fov"), 5.0, direction, 60.0, 120.0));
}
void FovHelp(char* out, size_t size) {
    std::snprintf(out, size, "How wide the view is across a 4:3 screen; a wider screen sees more.");
}

constexpr const char* CAMERA_NAMES[] = {"Flight", "Halfway", "Nose", "Cockpit"};
constexpr const char* CAMERA_HELP[] = {
    "Behind the ship, following the direction of flight.",
    "Behind the ship, halfway between the flight and the nose.",
    "Behind the ship, locked to the nose.",
    "In the cockpit, looking along the nose.",
};
int32_t CameraIndex() {
    return std::clamp(static_cast<int32_t>(RowValue("camera")), 0, 3);
}
void CameraText(char* out, size_t size) {
    std::snprintf(out, size, "%s", CAMERA_NAMES[CameraIndex()]);
}
void CameraStep(int32_t direction) {
    RowSet("camera", std::clamp(CameraIndex() + direction, 0, 3));
}
void CameraHelp(char* out, size_t size) {
    std::snprintf(out, size, "%s", CAMERA_HELP[CameraIndex()]);
}

void FpsText(char* out, size_t size) {
    std::snprintf(out, size, "%s", RowValue("fps") != 0.0 ? "Shown" : "Hidden");
}
void FpsStep(int32_t) {
    Toggle("fps");
}
void FpsHelp(char* out, size_t size) {
    std::snprintf(out, size, "Frames per second at the bottom left while you play.");
}

void CrosshairText(char* out, size_t size) {
    OnOffText("crosshair", out, size);
}
void CrosshairStep(int32_t) {
    Toggle("crosshair");
}
void CrosshairHelp(char* out, size_t size) {
    std::snprintf(out, size, "A small cross where your shots fly, in the cockpit camera.");
}

void NotesOnOffText(char* out, size_t size) {
    OnOffText("notes", out, size);
}
void NotesStep(int32_t) {
    Toggle("notes");
}
void NotesHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "Short notes: a screenshot saved, an extra ship, a new weapon, the camera; and "
                  "the keys that go on under \"Paused\".");
}

// Effects detail: the drawing settings together, named for what a player sees.
struct Detail {
    const char* name;
    const char* help;
    double nicefx, stars, pdensity, ptexture, lights, tlinear;
};
constexpr const char* DETAIL_KEYS[] = {"nicefx",   "stars",  "pdensity",
                                       "ptexture", "lights", "tlinear"};
constexpr Detail DETAILS[] = {
    {"Low",
     "No star sky or see-through effects, half the sparks as plain dots, one light, "
     "blocky textures: for a slow machine.",
     0, 0, 50, 0, 1, 0},
    {"Medium", "Star sky and see-through effects, half the sparks, two lights, smooth textures.", 1,
     1, 50, 1, 2, 1},
    {"High",
     "Everything: star sky, see-through effects, every spark, three lights, smooth "
     "textures.",
     1, 1, 100, 1, 3, 1},
};
constexpr int32_t DETAIL_COUNT = static_cast<int32_t>(std::size(DETAILS));

double DetailValue(const Detail& d, int32_t i) {
    const double values[] = {d.nicefx, d.stars, d.pdensity, d.ptexture, d.lights, d.tlinear};
    return values[i];
}
// The level now in force, or -1 for a mix of vantor.ini's own.
int32_t DetailIndex() {
    for (int32_t d = 0; d < DETAIL_COUNT; ++d) {
        bool same = true;
        for (int32_t i = 0; i < 6 && same; ++i)
            same = RowValue(DETAIL_KEYS[i]) == DetailValue(DETAILS[d], i);
        if (same) return d;
    }
    return -1;
}
void DetailText(char* out, size_t size) {
    const int32_t d = DetailIndex();
    std::snprintf(out, size, "%s", d < 0 ? "Custom" : DETAILS[d].name);
}
void DetailStep(int32_t direction) {
    int32_t d = DetailIndex();
    if (d < 0) // from vantor.ini's own mix: left to the lowest level, right to the highest
        d = direction < 0 ? 0 : DETAIL_COUNT - 1;
    else
        d = std::clamp(d + direction, 0, DETAIL_COUNT - 1);
    for (int32_t i = 0; i < 6; ++i)
        RowSet(DETAIL_KEYS[i], DetailValue(DETAILS[d], i));
}
void DetailHelp(char* out, size_t size) {
    const int32_t d = DetailIndex();
    std::snprintf(out, size, "%s",
                  d < 0 ? "Custom: vantor.ini's own mix of effects. Choose a level to replace it."
                        : DETAILS[d].help);
}

// ---- Game
// -----------------------------------------------------------------------------------------

// From Easy (while the easy setting offers it) to Hardest.
int32_t DifficultyIndex() {
    return std::clamp(static_cast<int32_t>(RowValue("diff")), GameDifficultyLowest(),
                      GAME_DIFFICULTY_LEVELS - 1);
}
void DifficultyText(char* out, size_t size) {
    std::snprintf(out, size, "%s", GameDifficultyOf(DifficultyIndex()).name);
}
void DifficultyStep(int32_t direction) {
    RowSet("diff", std::clamp(DifficultyIndex() + direction, GameDifficultyLowest(),
                              GAME_DIFFICULTY_LEVELS - 1));
}
void DifficultyHelp(char* out, size_t size) {
    const GameDifficulty& d = GameDifficultyOf(DifficultyIndex());
    char rocks[48];
    if (d.rockSpeed == 1.0f)
        std::snprintf(rocks, sizeof(rocks), "Rocks at their usual speed");
    else if (d.extraRocks < 0)
        std::snprintf(rocks, sizeof(rocks), "Fewer rocks at %g times the speed",
                      double(d.rockSpeed));
    else
        std::snprintf(rocks, sizeof(rocks), "Rocks %g times as fast", double(d.rockSpeed));
    char saucers[48] = "";
    if (d.extraSaucers > 0)
        std::snprintf(saucers, sizeof(saucers), ", %ld more saucer%s a level",
                      static_cast<long>(d.extraSaucers), d.extraSaucers > 1 ? "s" : "");
    else if (d.saucerSpeed < 1.0f)
        std::snprintf(saucers, sizeof(saucers), ", slower saucers");
    std::snprintf(out, size,
                  "%s%s; saucers fire from level %ld every %g s and turn toward you 1 time in "
                  "%ld a second.",
                  rocks, saucers, static_cast<long>(d.saucerFireLevel), double(d.saucerReload),
                  static_cast<long>(d.saucerTurnOdds) + 1);
}

// The first level of a new game; each start level keeps a high-score table of its own where the
// hitables setting asks for them.
constexpr int32_t START_LEVEL_MAX = 99; // as far as the banner's two digits go
void StartLevelText(char* out, size_t size) {
    std::snprintf(out, size, "%ld", std::lround(RowValue("level")));
}
void StartLevelStep(int32_t direction) {
    const auto now = static_cast<int32_t>(RowValue("level"));
    if (direction < 0 ? now > 1 : now < START_LEVEL_MAX) RowSet("level", now + direction);
}
void StartLevelHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "The level a new game starts at: more rocks and saucers from the "
                  "start, and more points for them.");
}

void GraceText(char* out, size_t size) {
    const double seconds = RowValue("grace");
    if (seconds > 0.0)
        std::snprintf(out, size, "%g s", seconds);
    else
        std::snprintf(out, size, "Off");
}
void GraceStep(int32_t direction) {
    RowSet("grace", StepTo(RowValue("grace"), 1.0, direction, 0.0, GAME_GRACE_MAX));
}
void GraceHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "A ship back after a loss blinks and nothing can hit it for this long, or until "
                  "it fires.");
}

void AutopauseText(char* out, size_t size) {
    OnOffText("autopause", out, size);
}
void AutopauseStep(int32_t) {
    Toggle("autopause");
}
void AutopauseHelp(char* out, size_t size) {
    std::snprintf(out, size, "Pause a game when the window loses the focus or is minimised.");
}

void RumbleText(char* out, size_t size) {
    OnOffText("rumble", out, size);
}
void RumbleStep(int32_t) {
    Toggle("rumble");
}
void RumbleHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "Pads with motors rumble when your ship is hit or a rock bursts near.");
}

// The idle seconds on the title before a demo plays; a value of vantor.ini's own between two
// steps moves to the neighbouring step.
constexpr double TITLE_DEMO_STEPS[] = {0.0, 10.0, 20.0, 30.0, 60.0, 120.0};
void TitleDemoText(char* out, size_t size) {
    const double seconds = RowValue("attract");
    if (seconds <= 0.0)
        std::snprintf(out, size, "Off");
    else
        std::snprintf(out, size, "After %g s", seconds);
}
void TitleDemoStep(int32_t direction) {
    const double now = RowValue("attract");
    double next = now;
    for (double step : TITLE_DEMO_STEPS)
        if (direction > 0 ? step > now : step < now) {
            next = step;
            if (direction > 0) break;
        }
    RowSet("attract", next);
}
void TitleDemoHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "A demo game plays behind the title after this long without a key; any key "
                  "brings the title back.");
}

// ---- Pages
// ------------------------------------------------------------------------------------------

void ActionHelp(char* out, size_t size) {
    std::snprintf(out, size,
                  "Left/Right: pick a key place, Enter or A: press the new key or button for "
                  "it, Backspace or Back: remove it.");
}
void RestoreControls() {
    BindRestoreDefaults();
    SetNote(false, "Every control is back to its default keys.");
}
void RestoreHelp(char* out, size_t size) {
    std::snprintf(out, size, "Every action's keys, buttons and pad controls as shipped.");
}
void Leave();
void DoneHelp(char* out, size_t size) {
    std::snprintf(out, size, "Back to the game; what changed is saved in vantor.ini.");
}

constexpr Item ActionItem(int32_t action) {
    return {ITEM_ACTION, nullptr, action, nullptr, nullptr, nullptr, ActionHelp, nullptr};
}
constexpr Item ChoiceItem(const char* label, void (*text)(char*, size_t), void (*step)(int32_t),
                          void (*help)(char*, size_t), float (*fill)() = nullptr) {
    return {ITEM_CHOICE, label, -1, text, step, fill, help, nullptr};
}
constexpr Item ButtonItem(const char* label, void (*act)(), void (*help)(char*, size_t)) {
    return {ITEM_BUTTON, label, -1, nullptr, nullptr, nullptr, help, act};
}

constexpr Item CONTROL_ITEMS[] = {
    ActionItem(0),
    ActionItem(1),
    ActionItem(2),
    ActionItem(3),
    ActionItem(4),
    ActionItem(5),
    ActionItem(6),
    ActionItem(7),
    ActionItem(8),
    ActionItem(9),
    ActionItem(10),
    ActionItem(11),
    ButtonItem("Restore defaults", RestoreControls, RestoreHelp),
    ButtonItem("Done", Leave, DoneHelp),
};
static_assert(BIND_ACTIONS == 12, "one controls row per action");
constexpr Item SOUND_ITEMS[] = {
    ChoiceItem("Effects volume", EffectsText, EffectsStep, EffectsHelp, EffectsFill),
    ChoiceItem("Music volume", MusicVolumeText, MusicVolumeStep, MusicVolumeHelp, MusicVolumeFill),
    ChoiceItem("Music", MusicText, MusicStep, MusicHelp),
    ButtonItem("Next track", NextTrack, NextTrackHelp),
    ButtonItem("Done", Leave, DoneHelp),
};
constexpr Item DISPLAY_ITEMS[] = {
    ChoiceItem("Screen", ScreenText, ScreenStep, ScreenHelp),
    ChoiceItem("Window size", WindowSizeText, WindowSizeStep, WindowSizeHelp),
    ChoiceItem("Vertical sync", VsyncText, VsyncStep, VsyncHelp),
    ChoiceItem("Field of view", FovText, FovStep, FovHelp),
    ChoiceItem("Camera", CameraText, CameraStep, CameraHelp),
    ChoiceItem("Frame rate", FpsText, FpsStep, FpsHelp),
    ChoiceItem("Crosshair", CrosshairText, CrosshairStep, CrosshairHelp),
    ChoiceItem("Notes", NotesOnOffText, NotesStep, NotesHelp),
    ChoiceItem("Effects detail", DetailText, DetailStep, DetailHelp),
    ButtonItem("Done", Leave, DoneHelp),
};
constexpr Item GAME_ITEMS[] = {
    ChoiceItem("Difficulty", DifficultyText, DifficultyStep, DifficultyHelp),
    ChoiceItem("Start level", StartLevelText, StartLevelStep, StartLevelHelp),
    ChoiceItem("Safe return", GraceText, GraceStep, GraceHelp),
    ChoiceItem("Pause when away", AutopauseText, AutopauseStep, AutopauseHelp),
    ChoiceItem("Rumble", RumbleText, RumbleStep, RumbleHelp),
    ChoiceItem("Title demo", TitleDemoText, TitleDemoStep, TitleDemoHelp),
    ButtonItem("Done", Leave, DoneHelp),
};

struct PageItems {
    const Item* items;
    int32_t count;
};
template <size_t N> constexpr PageItems PageOf(const Item (&items)[N]) {
    return {items, static_cast<int32_t>(N)};
}
constexpr PageItems PAGES[PAGE_COUNT] = {PageOf(CONTROL_ITEMS), PageOf(SOUND_ITEMS),
                                         PageOf(DISPLAY_ITEMS), PageOf(GAME_ITEMS)};

const Item* SelectedItem() {
    if (selected < 0 || selected >= PAGES[page].count) return nullptr;
    return &PAGES[page].items[selected];
}

// ---- Moves
// ------------------------------------------------------------------------------------------

void ShowPage(int32_t next) {
    page = (next + PAGE_COUNT) % PAGE_COUNT;
    selected = 0;
    slot = 0;
    note[0] = '\0';
    for (int32_t p = 0; p < PAGE_COUNT; ++p)
        if (tabs[p]) tabs[p]->texture = &textures[p == page ? TEXTURE_BUTTON : TEXTURE_OUTLINE];
}

void Select(int32_t item) {
    if (item == selected) return;
    selected = item;
    slot = 0;
}

void StartCapture() {
    capturing = true;
    captureStart = ClockSeconds();
    note[0] = '\0';
}

// The pressed key, button or pad control goes to the selected action's place.
void Capture(int32_t key) {
    capturing = false;
    const Item* item = SelectedItem();
    if (!item || item->kind != ITEM_ACTION) return;
    const int32_t action = item->action;
    char label[32];
    InputKeyLabel(key, label, sizeof(label));
    const int32_t from = BindActionSet(action, slot, key);
    char text[TEXT_SIZE];
    if (from >= 0) {
        std::snprintf(text, sizeof(text), "%s moved here from %s%s", label, bindActions[from].label,
                      BindActionKeyCount(from) == 0 ? ", which has no key now" : ".");
        SetNote(true, text);
    } else {
        std::snprintf(text, sizeof(text), "%s is one of %s's keys now.", label,
                      bindActions[action].label);
        SetNote(false, text);
    }
    for (int32_t i = 0; i < BindActionKeyCount(action); ++i)
        if (BindActionKey(action, i) == key) slot = i;
}

void RemoveKey() {
    const Item* item = SelectedItem();
    if (!item || item->kind != ITEM_ACTION || slot >= BindActionKeyCount(item->action)) return;
    BindActionRemove(item->action, slot);
    if (BindActionKeyCount(item->action) == 0) {
        char text[TEXT_SIZE];
        std::snprintf(text, sizeof(text), "%s has no key now.", bindActions[item->action].label);
        SetNote(true, text);
    }
}

void Apply(Move move) {
    const int32_t count = PAGES[page].count;
    const Item* item = SelectedItem();
    switch (move) {
    case MOVE_UP:
        Select(selected < 0 ? count - 1 : selected - 1);
        return;
    case MOVE_DOWN:
        Select(selected + 1 >= count ? -1 : selected + 1);
        return;
    case MOVE_PAGE_NEXT:
        ShowPage(page + 1);
        return;
    case MOVE_PAGE_PREVIOUS:
        ShowPage(page - 1);
        return;
    case MOVE_LEFT:
    case MOVE_RIGHT: {
        const int32_t direction = move == MOVE_RIGHT ? 1 : -1;
        if (!item) {
            ShowPage(page + direction);
            selected = -1;
        } else if (item->kind == ITEM_ACTION) {
            slot = std::clamp(slot + direction, 0, BindActionKeyCount(item->action));
        } else if (item->kind == ITEM_CHOICE) {
            item->step(direction);
        }
        return;
    }
    case MOVE_ACT:
        if (!item)
            selected = 0;
        else if (item->kind == ITEM_ACTION)
            StartCapture();
        else if (item->kind == ITEM_CHOICE)
            item->step(1);
        else
            item->act();
        return;
    case MOVE_REMOVE:
        RemoveKey();
        return;
    case MOVE_BACK:
        Leave();
        return;
    case MOVE_NONE:
        return;
    }
}

// A plain joystick's controls by their codes (it has no pad meaning): directions move, button 1
// acts, button 2 goes back.
Move JoystickMove(int32_t key) {
    for (int32_t base : {KEY_JOY1_BUTTON1, KEY_JOY2_BUTTON1}) {
        switch (key - base) {
        case 0:
            return MOVE_ACT;
        case 1:
            return MOVE_BACK;
        case 2:
            return MOVE_LEFT;
        case 3:
            return MOVE_RIGHT;
        case 4:
            return MOVE_UP;
        case 5:
            return MOVE_DOWN;
        default:
            break;
        }
    }
    return MOVE_NONE;
}

Move MoveOf(const InputEvent* event) {
    switch (InputPadAction(event)) {
    case INPUT_PAD_UP:
        return MOVE_UP;
    case INPUT_PAD_DOWN:
        return MOVE_DOWN;
    case INPUT_PAD_LEFT:
        return MOVE_LEFT;
    case INPUT_PAD_RIGHT:
        return MOVE_RIGHT;
    case INPUT_PAD_SOUTH:
        return MOVE_ACT;
    case INPUT_PAD_EAST:
    case INPUT_PAD_START:
        return MOVE_BACK;
    case INPUT_PAD_BACK:
        return MOVE_REMOVE;
    case INPUT_PAD_LB:
        return MOVE_PAGE_PREVIOUS;
    case INPUT_PAD_RB:
        return MOVE_PAGE_NEXT;
    case INPUT_PAD_WEST:
    case INPUT_PAD_NORTH:
        return MOVE_NONE;
    default:
        break;
    }
    if (event->device == INPUT_JOYSTICK1 || event->device == INPUT_JOYSTICK2)
        return JoystickMove(event->key);
    if (event->device != INPUT_KEYBOARD) return MOVE_NONE;
    switch (event->key) {
    case KEY_UP:
    case KEY_KP8:
        return MOVE_UP;
    case KEY_DOWN:
    case KEY_KP2:
        return MOVE_DOWN;
    case KEY_LEFT:
    case KEY_KP4:
        return MOVE_LEFT;
    case KEY_RIGHT:
    case KEY_KP6:
        return MOVE_RIGHT;
    case KEY_ENTER:
    case KEY_SPACE:
        return MOVE_ACT;
    case KEY_ESCAPE:
        return MOVE_BACK;
    case KEY_TAB:
        return (event->flags & INPUT_SHIFT) ? MOVE_PAGE_PREVIOUS : MOVE_PAGE_NEXT;
    case KEY_PAGEDOWN:
        return MOVE_PAGE_NEXT;
    case KEY_PAGEUP:
        return MOVE_PAGE_PREVIOUS;
    case KEY_BACKSPACE:
    case KEY_DELETE:
        return MOVE_REMOVE;
    default:
        return MOVE_NONE;
    }
}

// ---- The mouse ----------------------------------------------------------------------------------

int32_t ItemAt(float y) {
    const int32_t row = static_cast<int32_t>(std::floor((y - ITEMS_TOP) / ROW_H));
    return row >= 0 && row < PAGES[page].count ? row : -1;
}

int32_t TabAt(float x, float y) {
    if (y < TAB_Y || y > TAB_Y + TAB_H) return -1;
    for (int32_t p = 0; p < PAGE_COUNT; ++p) {
        const float left = static_cast<float>(TAB_X + p * (TAB_W + TAB_GAP));
        if (x >= left && x <= left + TAB_W) return p;
    }
    return -1;
}

// Where each of an action's keys is drawn: [from, to) in x, one per slot, the new-key place last.
int32_t KeyPlaces(int32_t action, float* from, float* to) {
    float x = KEYS_X;
    const int32_t count = BindActionKeyCount(action);
    char label[32];
    for (int32_t i = 0; i <= count; ++i) {
        if (i < count)
            InputKeyLabel(BindActionKey(action, i), label, sizeof(label));
        else
            std::snprintf(label, sizeof(label), "+");
        from[i] = x;
        to[i] = x + TextFontWidth(smallFont, label);
        x = to[i] + TextFontWidth(smallFont, ", ");
    }
    return count + 1;
}

void MouseClick(const InputEvent* event) {
    float x = 0.0f, y = 0.0f;
    if (!GuiMousePoint(event, &x, &y)) return;
    if (event->key == KEY_MOUSE2) {
        Leave();
        return;
    }
    if (const int32_t tab = TabAt(x, y); tab >= 0) {
        ShowPage(tab);
        selected = -1;
        return;
    }
    const int32_t row = ItemAt(y);
    if (row < 0 || x < ROW_LEFT || x > ROW_RIGHT) return;
    Select(row);
    const Item& item = PAGES[page].items[row];
    if (item.kind == ITEM_BUTTON) {
        item.act();
    } else if (item.kind == ITEM_CHOICE) {
        if (x >= VALUE_X) item.step(x < VALUE_X + VALUE_W / 2.0f ? -1 : 1);
    } else if (x >= KEYS_X) {
        float from[BIND_ACTION_KEYS + 1], to[BIND_ACTION_KEYS + 1];
        const int32_t places = KeyPlaces(item.action, from, to);
        for (int32_t i = 0; i < places; ++i)
            if (x >= from[i] - 4.0f && x < to[i] + 4.0f) {
                slot = i;
                StartCapture();
            }
    }
}

void MouseHover(const InputEvent* event) {
    float x = 0.0f, y = 0.0f;
    if (!GuiMousePoint(event, &x, &y) || x < ROW_LEFT || x > ROW_RIGHT) return;
    const int32_t row = ItemAt(y);
    if (row >= 0) Select(row);
}

// ---- Drawing
// ------------------------------------------------------------------------------------------

void Text(const TexFont* font, const char* text, float x, float y) {
    TextFontDraw(font, text, x, -y);
}

void Colour(bool highlight, bool dim = false) {
    if (highlight)
        gl.Color3f(1.0f, 1.0f, 0.0f);
    else if (dim)
        gl.Color3f(0.6f, 0.6f, 0.6f);
    else
        gl.Color3f(1.0f, 1.0f, 1.0f);
}

// Up to two lines of text in the small font, broken at a blank where the first runs out of room.
void TextWrapped(const char* text, float x, float y, float right) {
    char line[TEXT_SIZE];
    std::snprintf(line, sizeof(line), "%s", text);
    if (TextFontWidth(smallFont, line) <= right - x) {
        Text(smallFont, line, x, y);
        return;
    }
    size_t cut = std::strlen(line);
    while (cut > 0) {
        while (cut > 0 && line[cut] != ' ')
            --cut;
        line[cut] = '\0';
        if (TextFontWidth(smallFont, line) <= right - x) break;
    }
    Text(smallFont, line, x, y);
    if (cut > 0) Text(smallFont, text + cut + 1, x, y + TextFontHeight(smallFont) + 1.0f);
}

void DrawActionKeys(int32_t action, float top, bool rowSelected) {
    float from[BIND_ACTION_KEYS + 1], to[BIND_ACTION_KEYS + 1];
    KeyPlaces(action, from, to);
    const float y = top + (ROW_H - TextFontHeight(smallFont)) / 2.0f;
    if (rowSelected && capturing) {
        gl.Color3f(1.0f, 1.0f, 0.0f);
        const int32_t left =
            static_cast<int32_t>(std::ceil(CAPTURE_SECONDS - (ClockSeconds() - captureStart)));
        char text[96];
        std::snprintf(text, sizeof(text), "Press a key or button... (Escape cancels, %ld)",
                      static_cast<long>(std::max(left, 1)));
        Text(smallFont, text, KEYS_X, y);
        return;
    }
    const int32_t count = BindActionKeyCount(action);
    const bool newPlace = rowSelected && slot == count; // the place of a key to add
    char label[32];
    for (int32_t i = 0; i < count; ++i) {
        if (to[i] > TEXT_RIGHT) {
            Colour(false, true);
            Text(smallFont, "...", from[i], y);
            return;
        }
        InputKeyLabel(BindActionKey(action, i), label, sizeof(label));
        Colour(rowSelected && slot == i);
        Text(smallFont, label, from[i], y);
        if (i + 1 < count || newPlace) {
            Colour(false, true);
            Text(smallFont, ",", to[i], y);
        }
    }
    if (newPlace && to[count] <= TEXT_RIGHT) {
        Colour(true);
        Text(smallFont, "+", from[count], y);
    } else if (count == 0) {
        Colour(false, true);
        Text(smallFont, "(none)", KEYS_X, y);
    }
}

void DrawChoice(const Item& item, float top, bool rowSelected) {
    char text[TEXT_SIZE];
    item.text(text, sizeof(text));
    const float textY = top + (ROW_H - TextFontHeight(largeFont)) / 2.0f;
    float x = VALUE_X + 20.0f;
    if (item.fill) { // a slider: a bar, then the value
        const float barTop = top + 6.0f, barBottom = top + ROW_H - 6.0f;
        const float barRight = VALUE_X + 200.0f;
        gl.Color3f(0.25f, 0.25f, 0.35f);
        GuiQuad(x, barTop, barRight, barBottom);
        gl.Color3f(0.3f, 0.6f, 1.0f);
        GuiQuad(x, barTop, x + (barRight - x) * std::clamp(item.fill(), 0.0f, 1.0f), barBottom);
        x = barRight + 10.0f;
    } else {
        x = VALUE_X + (VALUE_W - TextFontWidth(largeFont, text)) / 2.0f;
    }
    Colour(false);
    Text(largeFont, text, x, textY);
    if (!rowSelected) return;
    Colour(true);
    Text(largeFont, "<", VALUE_X, textY);
    Text(largeFont, ">", VALUE_X + VALUE_W - TextFontWidth(largeFont, ">"), textY);
}

void DrawItems() {
    const PageItems& items = PAGES[page];
    for (int32_t i = 0; i < items.count; ++i) {
        const Item& item = items.items[i];
        const float top = ITEMS_TOP + ROW_H * static_cast<float>(i);
        const bool rowSelected = i == selected;
        if (rowSelected) {
            if (niceFx)
                gl.Color4f(0.2f, 0.35f, 0.8f, 0.45f);
            else
                gl.Color3f(0.1f, 0.18f, 0.4f);
            GuiQuad(ROW_LEFT, top, ROW_RIGHT, top + ROW_H);
        }
        const char* label = item.kind == ITEM_ACTION ? bindActions[item.action].label : item.label;
        Colour(rowSelected);
        Text(largeFont, label, LABEL_X, top + (ROW_H - TextFontHeight(largeFont)) / 2.0f);
        if (item.kind == ITEM_ACTION) DrawActionKeys(item.action, top, rowSelected);
        if (item.kind == ITEM_CHOICE) DrawChoice(item, top, rowSelected);
    }
}

void DrawFooter() {
    if (note[0]) {
        if (noteWarns)
            gl.Color3f(1.0f, 0.75f, 0.3f);
        else
            gl.Color3f(0.6f, 1.0f, 0.6f);
        Text(smallFont, note, LABEL_X, NOTE_Y);
    }
    char help[TEXT_SIZE];
    help[0] = '\0';
    if (const Item* item = SelectedItem())
        item->help(help, sizeof(help));
    else
        std::snprintf(help, sizeof(help), "Left/Right: another page.");
    Colour(false);
    TextWrapped(help, LABEL_X, HELP_Y, TEXT_RIGHT);
    Colour(false, true);
    const char* hints =
        InputPadCount() > 0
            ? "Pad: d-pad, A set, B done, LB/RB page    Keys: arrows, Enter, Tab, Esc"
            : "Arrows move and change   Enter sets   Tab: next page   Esc: done";
    Text(smallFont, hints, (GUI_WIDTH - TextFontWidth(smallFont, hints)) / 2.0f, HINT_Y);
}

void Draw() {
    if (capturing && ClockSeconds() - captureStart > CAPTURE_SECONDS) {
        capturing = false;
        SetNote(false, "No key was pressed; nothing changed.");
    }
    if (selected < 0) { // the page row has the selection: mark its tab
        const float left = static_cast<float>(TAB_X + page * (TAB_W + TAB_GAP));
        gl.Color3f(1.0f, 1.0f, 0.0f);
        GuiQuad(left, TAB_Y + TAB_H + 1.0f, left + TAB_W, TAB_Y + TAB_H + 4.0f);
    }
    DrawItems();
    DrawFooter();
    gl.Color3f(1.0f, 1.0f, 1.0f);
}

// ---- Opening, leaving, saving -----------------------------------------------------------------

void TakeSnapshot() {
    snapshotCount = 0;
    for (int32_t t = 0; t < SettingsTableCount(); ++t) {
        const SettingTable& table = SettingsTable(t);
        for (int32_t i = 0; i < table.count; ++i) {
            const Setting& row = table.rows[i];
            if (!(row.flags & SETTING_PLAYER) || !row.get || snapshotCount == SNAPSHOT_MAX)
                continue;
            snapshot[snapshotCount++] = {&row, row.get()};
        }
    }
    for (int32_t a = 0; a < BIND_ACTIONS; ++a)
        BindActionText(a, bindSnapshot[a], sizeof(bindSnapshot[a]));
}

// The line above a key the file lacks: what the shipped file says of it.
struct KeyComment {
    const char* key;
    const char* comment;
};
constexpr KeyComment KEY_COMMENTS[] = {
    {"volume", "output volume, 0 to 65535"},
    {"cdvolume", "music volume, 0 to 65535"},
    {"playcd", "play music; 0 is off"},
    {"fscreen", "2: desktop full screen; 1: full screen with a display-mode switch; 0: a window"},
    {"width", "window or display width in pixels"},
    {"height", "window or display height in pixels"},
    {"vsync", "1: vertical sync; -1: adaptive where the driver has it, else on; 0: off"},
    {"fov", "field of view in degrees across a 4:3 screen"},
    {"camera", "camera mode: 0 flight, 1 halfway, 2 nose, 3 cockpit"},
    {"fps", "show the frame rate on the HUD"},
    {"crosshair", "1: a small cross where the shots fly, in the cockpit camera"},
    {"notes", "1: short notes on screen, and the keys that go on under \"Paused\""},
    {"nicefx", "extra visual effects"},
    {"stars", "draw the star sky sphere"},
    {"pdensity", "particle density in percent"},
    {"ptexture", "textured particles"},
    {"lights", "dynamic lights that may light one thing (at most 4; 0 or less: none)"},
    {"tlinear", "linear filtering of ordinary textures"},
    {"diff", "difficulty: 0 standard to 3 hardest; -1 easy where easy = 1"},
    {"level", "first level of a new game (at least 1)"},
    {"grace", "seconds a returning ship is untouchable and blinks, 0 to 10; firing ends it"},
    {"autopause", "1: pause a game when the window loses the focus or is minimised"},
    {"rumble", "1: pads with motors rumble; 0 never"},
    {"attract", "seconds on the title without a key before a demo plays; 0: never"},
    {"wauto", "1: the window after full screen is two thirds of the desktop"},
    {"wx", "the window's place on the desktop (kept by wremember), or centre"},
    {"wy", "the window's place on the desktop (kept by wremember), or centre"},
};

const char* CommentOf(const char* key) {
    for (const KeyComment& entry : KEY_COMMENTS)
        if (std::strcmp(entry.key, key) == 0) return entry.comment;
    return "set in the options";
}

int OptionsPauseKeys(const InputEvent* event);

} // namespace

bool OptionsKey(const InputEvent* event) {
    if (!event || !(event->flags & INPUT_PRESS)) return false;
    if (InputPadAction(event) == INPUT_PAD_NORTH) return true;
    // Alt+Tab belongs to the desktop.
    return event->device == INPUT_KEYBOARD && !(event->flags & INPUT_ALT) &&
           (event->key == KEY_TAB || (event->key != KEY_TEXT && event->symbol == 'o'));
}

namespace {

// A key the player bound to an action does that instead (pause on O goes on with the game).
int OptionsPauseKeys(const InputEvent* event) {
    if (!gameInput.state.paused || GuiTopScreen() || !OptionsKey(event)) return 0;
    if (BindActionOfKey(event->key) >= 0) return 0;
    return OptionsOpen() ? 1 : 0;
}

void Leave() {
    capturing = false;
    if (!OptionsSave() && !saveFailed) {
        saveFailed = true; // stays open with the reason; leaving again leaves unsaved
        return;
    }
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    GuiFreeLayer(OptionsScreen);
    Log(LOG_BOOT, "Options: closed\n");
}

} // namespace

void OptionsInit() {
    InputAddHandler(OptionsPauseKeys);
}

void OptionsSetBlocked(bool (*blocked)()) {
    optionsBlocked = blocked;
}

bool OptionsOpen() {
    // A demo records what the game reads, not the keys: rebinding during one would mean nothing.
    if (optionsBlocked && optionsBlocked()) return false;
    if (GuiFindScreen(OptionsScreen)) return true;
    GuiOpenScreen(OptionsScreen);
    WavePlay(SND_MENU, MENU_SOUND_VOLUME);
    Log(LOG_BOOT, "Options: open\n");
    return true;
}

bool OptionsSave() {
    int32_t count = 0;
    for (int32_t i = 0; i < snapshotCount; ++i) {
        const Setting& row = *snapshot[i].row;
        const double now = row.get();
        if (now == snapshot[i].value) continue;
        if (row.type == SETTING_FLOAT)
            std::snprintf(changeValues[count], TEXT_SIZE, "%g", now);
        else
            std::snprintf(changeValues[count], TEXT_SIZE, "%ld", std::lround(now));
        changes[count] = {row.key, changeValues[count], false, CommentOf(row.key)};
        ++count;
    }
    for (int32_t a = 0; a < BIND_ACTIONS; ++a) {
        BindActionText(a, changeValues[count], TEXT_SIZE);
        if (std::strcmp(changeValues[count], bindSnapshot[a]) == 0) continue;
        std::snprintf(bindComments[a], TEXT_SIZE,
                      "keys for %s (Space, A, Left, F1, Keypad 8, Mouse1, Pad A, Pad Start ...; "
                      "None for none)",
                      bindActions[a].label);
        changes[count] = {bindActions[a].key, changeValues[count], true, bindComments[a]};
        ++count;
    }
    // wremember: the window's mode, size and place as they are now, where vantor.ini says
    // otherwise; a key the options changed is saved already.
    WindowStateKey state[WINDOW_STATE_KEYS];
    const int32_t stateCount = WindowRememberedState(state);
    for (int32_t k = 0; k < stateCount; ++k) {
        bool saved = false;
        for (int32_t i = 0; i < count && !saved; ++i)
            saved = std::strcmp(changes[i].key, state[k].key) == 0;
        char inFile[INI_VALUE_SIZE];
        IniGetString(INI_FILE, state[k].key, "", inFile, sizeof(inFile));
        std::snprintf(changeValues[count], TEXT_SIZE, "%ld", static_cast<long>(state[k].value));
        if (saved || std::strcmp(inFile, changeValues[count]) == 0) continue;
        changes[count] = {state[k].key, changeValues[count], false, CommentOf(state[k].key)};
        ++count;
    }
    if (count == 0) return true;
    char reason[TEXT_SIZE / 2];
    if (!IniWrite(INI_FILE, changes, count, reason, sizeof(reason))) {
        char text[TEXT_SIZE];
        std::snprintf(text, sizeof(text), "%s. Esc again leaves without saving.", reason);
        SetNote(true, text);
        return false;
    }
    char keys[TEXT_SIZE * 2] = "";
    size_t used = 0;
    for (int32_t i = 0; i < count && used < sizeof(keys); ++i) {
        const int n =
            std::snprintf(keys + used, sizeof(keys) - used, "%s%s", i ? ", " : "", changes[i].key);
        if (n > 0) used += static_cast<size_t>(n);
    }
    Log(LOG_BOOT, "Options: saved %s in %s\n", keys, INI_FILE);
    TakeSnapshot(); // saved: the next save starts from here
    return true;
}

int32_t OptionsScreen(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    switch (message) {
    case GUI_CREATE:
        layer->font = largeFont;
        // A later widget is drawn earlier: the tabs first, then the panel they sit on.
        for (int32_t p = 0; p < PAGE_COUNT; ++p)
            tabs[p] = GuiCreateButton(layer, TAB_X + p * (TAB_W + TAB_GAP), TAB_Y, TAB_W, TAB_H,
                                      &textures[TEXTURE_OUTLINE], PAGE_NAMES[p]);
        GuiCreateButton(layer, PANEL_X, PANEL_Y, PANEL_W, PANEL_H, &textures[TEXTURE_BORDER2], "");
        ShowPage(PAGE_CONTROLS);
        capturing = false;
        saveFailed = false;
        note[0] = '\0';
        TakeSnapshot();
        return 1;
    case GUI_DESTROY:
        capturing = false;
        for (GuiLayer*& tab : tabs)
            tab = nullptr;
        return 0;
    case GUI_DRAW:
        if (largeFont && smallFont) Draw();
        return 1;
    case GUI_INPUT: {
        if (event->key == KEY_TEXT) return 1;
        if (!(event->flags & INPUT_PRESS)) {
            if (event->key == KEY_MOUSE_MOTION && !capturing) MouseHover(event);
            return 0; // releases go on, so nothing stays held
        }
        if (capturing) {
            if (event->device == INPUT_KEYBOARD && event->key == KEY_ESCAPE) {
                capturing = false;
                SetNote(false, "Nothing changed.");
            } else if (InputKeyName(event->key)) {
                Capture(event->key);
            }
            return 1;
        }
        if (event->device == INPUT_MOUSE) {
            MouseClick(event);
            return 1;
        }
        const Move move = MoveOf(event);
        // The screenshot key still takes a picture of the options.
        const int32_t action = BindActionOfKey(event->key);
        if (move == MOVE_NONE && action >= 0 &&
            std::strcmp(bindActions[action].command, "screenshot") == 0)
            return 0;
        Apply(move);
        return 1; // every other press: nothing reaches the hidden screens or the bindings
    }
    default:
        return 0;
    }
}
