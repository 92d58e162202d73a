// Demo files: any bytes are either a demo whose every record was checked or one reason line.
#include "app/demo.h"
#include "fuzz_target.h"

#include <cstring>

SKX_FUZZ_TARGET(demo) {
    DemoInfo info;
    char reason[DEMO_REASON_SIZE];
    reason[0] = '\0';
    if (!DemoParse(data, size, &info, reason, sizeof(reason))) {
        // Rejected: one non-empty line that fits its buffer.
        size_t length = strnlen(reason, sizeof(reason));
        if (length == 0 || length >= sizeof(reason) || std::strchr(reason, '\n')) __builtin_trap();
        return 0;
    }
    // Accepted: at least one frame, and the body lies inside the image.
    if (info.frames < 1 || info.bodyOffset >= size || info.program[DEMO_PROGRAM_SIZE - 1] != '\0')
        __builtin_trap();
    return 0;
}
