// ClientInit: settings, then every module's start-up in the documented order.
#include "app/client.h"

#include "app/app.h"
#include "app/demo.h"
#include "app/titledemo.h"

#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "core/ini.h"
#include "core/inifile.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/window.h"
#include "console/bind.h"
#include "console/command.h"
#include "console/cvar.h"
#include "console/gameinput.h"
#include "console/input.h"
#include "render/gl.h"
#include "game/game.h"
#include "game/pause.h"
#include "game/thing.h"
#include "render/light.h"
#include "render/model.h"
#include "render/particle.h"
#include "render/screenshot.h"
#include "render/scene.h"
#include "render/textfont.h"
#include "render/texture.h"
#include "render/timing.h"
#include "ui/crosshair.h"
#include "ui/gamemenu.h"
#include "ui/gui.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "ui/notes.h"
#include "ui/options.h"
#include "ui/results.h"
#include "ui/screens.h"
#include "ui/titlechoice.h"

#include <iterator>

namespace {

// Every module's settings, in start-up order: the registry that demos and the options walk.
const SettingTable* const CLIENT_SETTING_TABLES[] = {
    &glSettings,        &windowSettings,   &appLoopSettings, &gameInputSettings,   &hudSettings,
    &gameSettings,      &sceneSettings,    &timingSettings,  &inputSettings,       &textureSettings,
    &particleSettings,  &lightSettings,    &waveSettings,    &cdAudioSettings,     &thingSettings,
    &pauseSettings,     &demoSettings,     &resultsSettings, &titleChoiceSettings, &hiScoreSettings,
    &titleDemoSettings, &gameMenuSettings, &notesSettings,   &crosshairSettings,
};

// The settings the client start-up reads before the modules start, in the order the logs have
// always shown them; each value goes to its owner's setter.
constexpr const char* CLIENT_READ_ORDER[] = {
    "camera", "fps",    "level", "menurocks", "fov",  "pHint",   "glFin",     "diff",    "grace",
    "stars",  "nicefx", "test",  "vtest",     "easy", "results", "titlediff", "hitables"};

void ClientReadSettings() {
    for (const char* key : CLIENT_READ_ORDER)
        SettingApplyFromIni(*SettingsFind(key));
}

// One "label value" line; a context that could not be made gives null strings.
void ClientLogGLString(const char* label, const char* value) {
    Log(LOG_BOOT, "%s", label);
    LogPrintf(LOG_BOOT, value ? value : "");
    LogPrintf(LOG_BOOT, "\n");
}

const char* ClientGLString(GLenum name) {
    return reinterpret_cast<const char*>(gl.GetString(name));
}

void ClientLogGLStrings() {
    Log(LOG_BOOT, "Loading Client\n");
    ClientLogGLString("Vendor: ", ClientGLString(GL_VENDOR));
    ClientLogGLString("Renderer: ", ClientGLString(GL_RENDERER));
    ClientLogGLString("Version: ", ClientGLString(GL_VERSION));
    const char* extensions = ClientGLString(GL_EXTENSIONS);
    char word[STRING_WORD_SIZE];
    while (extensions && *extensions) {
        const char* next = StringNextWord(extensions, word);
        if (word[0]) ClientLogGLString("Extension: ", word);
        if (!next || next == extensions) break;
        extensions = next;
    }
}

// Positional sound is heard from the camera.
void ClientListener(Vec3* pos, float* yaw) {
    *pos = cameraPos;
    *yaw = cameraYaw;
}

} // namespace

void ClientRegisterSettings() {
    SettingsRegister(CLIENT_SETTING_TABLES, static_cast<int32_t>(std::size(CLIENT_SETTING_TABLES)));
}

void ClientInit() {
    CVarInit(); // first: modules may register variables while they start
    GameInputInit();
    ClientRegisterSettings();
    IniCheck(INI_FILE, BindOwnsIniKey); // one pass that names the file's mistakes
    ClientReadSettings();
    SceneInit();
    ClientLogGLStrings();
    OpenGLLoadExtensionTable();
    TimingTest();
    InputInit();
    CommandInit();
    BindInit();
    TextureInit();
    ParticleInit();
    TextFontInit();
    ModelInit();
    WaveSetListener(ClientListener);
    WaveInit();
    CDAudioInit();
    ThingInit();
    LightInit();
    GuiInit();
    ScreensInit();
    PauseInit();
    OptionsInit();
    OptionsSetBlocked([] { return DemoRecording() || DemoPlaying(); });
    GameMenuInit();
    GameMenuSetBlocked([] { return DemoRecording() || DemoPlaying(); });
    CrosshairInit();
    ScreenshotInit();
    NotesInit();
    if (timingTestApply) TimingTestApply();
    HiScoreLoad();
    AttractMode();
    Log(LOG_BOOT, "Client is copacetic\n");
    LogInitComplete();
}

void ClientUnInit() {
    // The mixer's lines come before the music's in the boot log, as they always have.
    WaveUnInit();
    CDAudioUnInit();
    InputUnInit();
}
