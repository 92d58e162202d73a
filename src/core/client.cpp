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
#include "ui/screens.h"

int32_t showFps = 0;
int32_t startLevel = 1;
int32_t menuRocks = 12;
int32_t difficulty = 0;
int32_t starsEnabled = 1;
int32_t niceFx = 1;
int32_t timingTestApply = 0;
int32_t timingTestVisible = 0;

namespace {

void ClientReadSettings() {
    // Order matters: a missing vantor.ini logs one line per read, in this order.
    cameraMode = IniGetInt(INI_FILE, "camera", 0);
    showFps = IniGetInt(INI_FILE, "fps", 0);
    startLevel = IniGetInt(INI_FILE, "level", 1);
    menuRocks = IniGetInt(INI_FILE, "menurocks", 12);
    fieldOfView = IniGetFloat(INI_FILE, "fov", 90.0f);
    perspectiveHint = IniGetInt(INI_FILE, "pHint", 0);
    finishFrame = IniGetInt(INI_FILE, "glFin", 1);
    difficulty = IniGetInt(INI_FILE, "diff", 0);
    starsEnabled = IniGetInt(INI_FILE, "stars", 1);
    niceFx = IniGetInt(INI_FILE, "nicefx", 1);
    timingTestApply = IniGetInt(INI_FILE, "test", 0);
    timingTestVisible = IniGetInt(INI_FILE, "vtest", 0);
    if (startLevel < 1) startLevel = 1;
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
    // The one setting that can change while the game runs: "set camera N".
    CVarRegisterLong("camera", &cameraMode);
    // The window's creation set the start values (nicest hint, 90 degrees); the settings hold
    // from the first frame.
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, perspectiveHint ? GL_FASTEST : GL_NICEST);
    SetProjection(screenWidth, screenHeight, viewSize);
    ClientLogGLStrings();
    TimingTest();
    cameraPos = {0.0f, 2.0f, 4.0f};
    cameraYaw = 0.0f;
    cameraRoll = 0.0f;
    cameraPitch = -20.0f;
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
