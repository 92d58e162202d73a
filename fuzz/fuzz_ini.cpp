// vantor.ini: any bytes, any line lengths; every typed read must stay inside its buffers.
#include "core/ini.h"
#include "fuzz_target.h"

#include <cstring>

SKX_FUZZ_TARGET(ini) {
    const char* path = FuzzWriteInput(data, size, ".ini");
    char out[INI_VALUE_SIZE];
    IniGetString(path, "opengl", "auto", out);
    if (std::strlen(out) >= sizeof(out)) __builtin_trap();
    (void)IniGetInt(path, "width", 640);
    (void)IniGetFloat(path, "fov", 90.0f);
    return 0;
}
