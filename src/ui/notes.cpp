// Short notes on screen, one at a time, in a fixed buffer.
#include "ui/notes.h"

#include "console/gameinput.h"
#include "core/clock.h"
#include "game/game.h"
#include "game/pause.h"
#include "game/player.h"
#include "render/gl.h"
#include "render/scene.h"
#include "render/screenshot.h"
#include "render/textfont.h"

#include <cstdio>

int32_t notesShown = 0;

namespace {

const Setting NOTES_SETTING_ROWS[] = {
    {"notes", SETTING_INT, 0, nullptr, 0, 1, SETTING_PLAYER, [] { return double(notesShown); },
     [](double v) { NotesSetShown(int32_t(v)); }},
};

} // namespace

const SettingTable notesSettings = SettingTableOf("notes", NOTES_SETTING_ROWS);

namespace {

// Below the title's help lines and above "Paused" and the level banner, clear of the HUD's
// corners.
constexpr float NOTE_Y = 180.0f;

constexpr const char* WEAPON_NAMES[WEAPON_KINDS] = {"Normal shots", "Rail gun", "Spread shot",
                                                    "Rapid fire"};
constexpr const char* CAMERA_NAMES[] = {"Camera: flight", "Camera: halfway", "Camera: nose",
                                        "Camera: cockpit"};

char noteText[48] = "";
float noteStart = 0.0f;
uint32_t screenshotsSeen = 0;
int32_t cameraSeen = 0;

void NoteShow(const char* text) {
    if (!notesShown) return;
    std::snprintf(noteText, sizeof(noteText), "%s", text);
    noteStart = ClockSeconds();
}

void NoteFromGame(GameNote what, int32_t detail) {
    if (what == GAME_NOTE_EXTRA_SHIP)
        NoteShow(detail > 1 ? "Extra ships" : "Extra ship");
    else if (detail > WEAPON_NORMAL && detail < WEAPON_KINDS)
        NoteShow(WEAPON_NAMES[detail]);
}

// What happened elsewhere since the last frame: a file the screenshot writer finished (on its own
// thread), a camera cycled during a game.
void NotesPoll() {
    const uint32_t shots = ScreenshotSavedCount();
    if (shots != screenshotsSeen) NoteShow("Screenshot saved");
    screenshotsSeen = shots;
    const int32_t camera = GameInputCameraMode();
    if (camera != cameraSeen && level >= 1) NoteShow(CAMERA_NAMES[camera]);
    cameraSeen = camera;
}

} // namespace

void NotesInit() {
    NotesSetShown(SettingReadInt(notesSettings, "notes") != 0 ? 1 : 0);
    GameSetNoteHook(NoteFromGame);
    SceneSetNotesPass(NotesDraw);
    noteText[0] = '\0';
    screenshotsSeen = ScreenshotSavedCount();
    cameraSeen = GameInputCameraMode();
}

void NotesSetShown(int32_t shown) {
    notesShown = shown != 0 ? 1 : 0;
    PauseSetKeyHint(notesShown != 0);
    if (!notesShown) noteText[0] = '\0';
}

const char* NotesText() {
    if (!notesShown || noteText[0] == '\0') return "";
    if (ClockSeconds() - noteStart >= NOTE_SECONDS) noteText[0] = '\0';
    return noteText;
}

void NotesDraw() {
    NotesPoll();
    const char* text = NotesText();
    if (text[0] == '\0' || !largeFont) return;
    const float left = NOTE_SECONDS - (ClockSeconds() - noteStart);
    const float alpha = left < NOTE_FADE_SECONDS ? left / NOTE_FADE_SECONDS : 1.0f;
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.Disable(GL_DEPTH_TEST);
    if (niceFx) {
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    gl.Color4f(1.0f, 1.0f, 0.6f, alpha);
    TextFontDraw(largeFont, text, -TextFontWidth(largeFont, text) / 2.0f, NOTE_Y);
    gl.Color3f(1.0f, 1.0f, 1.0f);
    gl.Disable(GL_BLEND);
    gl.Enable(GL_DEPTH_TEST);
}
