// ClientInit: settings, then every module's start-up in the documented order.
#include "core/client.h"

#include "audio/cdaudio.h"
#include "audio/wave.h"
#include "core/ini.h"
#include "core/log.h"
#include "render/scene.h"

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
    if (startLevel < 1)
        startLevel = 1;
}

} // namespace

void ClientInit() {
    ClientReadSettings();
    WaveInit();
    CDAudioInit();
    Log(LOG_BOOT, "Client is copacetic\n");
    LogInitComplete();
}
