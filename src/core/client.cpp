// ClientInit: settings, then every module's start-up in the documented order.
#include "core/client.h"

#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "core/ini.h"
#include "core/log.h"
#include "core/window.h"
#include "console/bind.h"
#include "console/command.h"
#include "console/cvar.h"
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
#include "ui/gui.h"
#include "ui/hiscore.h"
#include "ui/hud.h"
#include "ui/screens.h"

namespace {

void ClientReadSettings() {
    // Order matters: a missing vantor.ini logs one line per read, in this order. Each value goes
    // to the module that acts on it.
    const int32_t camera = IniGetInt(INI_FILE, "camera", CAMERA_MODE_FLIGHT);
    const int32_t fps = IniGetInt(INI_FILE, "fps", 0);
    const int32_t firstLevel = IniGetInt(INI_FILE, "level", 1);
    const int32_t rocks = IniGetInt(INI_FILE, "menurocks", 12);
    const float fov = IniGetFloat(INI_FILE, "fov", 90.0f);
    const int32_t fastHint = IniGetInt(INI_FILE, "pHint", 0);
    const int32_t finish = IniGetInt(INI_FILE, "glFin", 1);
    const int32_t diff = IniGetInt(INI_FILE, "diff", 0);
    const int32_t stars = IniGetInt(INI_FILE, "stars", 1);
    const int32_t fx = IniGetInt(INI_FILE, "nicefx", 1);
    const int32_t apply = IniGetInt(INI_FILE, "test", 0);
    const int32_t visible = IniGetInt(INI_FILE, "vtest", 0);
    SceneSetSettings(camera, fov, fastHint, finish, stars, fx);
    HudSetShowFps(fps);
    GameSetSettings(diff, firstLevel, rocks);
    TimingSetSettings(apply, visible);
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

} // namespace

void ClientInit() {
    CVarInit(); // first: modules may register variables while they start
    ClientReadSettings();
    SceneInit();
    ClientLogGLStrings();
    TimingTest();
    InputInit();
    CommandInit();
    BindInit();
    TextureInit();
    ParticleInit();
    TextFontInit();
    ModelInit();
    WaveInit();
    CDAudioInit();
    ThingInit();
    LightInit();
    GuiInit();
    ScreensInit();
    PauseInit();
    ScreenshotInit();
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
