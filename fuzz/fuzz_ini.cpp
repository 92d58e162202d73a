// vantor.ini: any bytes, any line lengths; every typed read, the start-up check and the walk of
// whole lines (the bindings' list values) must stay inside their buffers.
#include "app/client.h"
#include "core/ini.h"
#include "core/inifile.h"
#include "fuzz_target.h"

#include <cstring>

namespace {

bool WalkLine(const IniLine& line, void*) {
    char rest[INI_VALUE_SIZE];
    IniLineRest(line, rest, sizeof(rest));
    if (std::strlen(rest) >= sizeof(rest) || line.length > INI_VALUE_SIZE) __builtin_trap();
    return true;
}

bool OwnsNothing(const char*) {
    return false;
}

} // namespace

SKX_FUZZ_TARGET(ini) {
    const char* path = FuzzWriteInput(data, size, ".ini");
    char out[INI_VALUE_SIZE];
    IniGetString(path, "opengl", "auto", out);
    if (std::strlen(out) >= sizeof(out)) __builtin_trap();
    (void)IniGetInt(path, "width", 640);
    (void)IniGetFloat(path, "fov", 90.0f);
    ClientRegisterSettings(); // the check knows every setting's type and range
    IniCheck(path, OwnsNothing);
    IniForEachLine(path, WalkLine, nullptr);
    return 0;
}
