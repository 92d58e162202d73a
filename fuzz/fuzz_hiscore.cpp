// hiscore.tbl: any bytes give a table of five one-word names of at most 19 characters.
#include "fuzz_target.h"
#include "ui/hiscore.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

SKX_FUZZ_TARGET(hiscore) {
    // HiScoreLoad reads hiscore.tbl from the working directory: give it a private one.
    static const std::string dir = [] {
        char tmpl[] = "/tmp/skx_fuzz_hiscore_XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    std::string path = dir + "/" + HISCORE_FILE;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd)) || chdir(dir.c_str()) != 0) return 0;
    HiScoreLoad();
    if (chdir(cwd) != 0) __builtin_trap();
    for (const HiScoreRow& row : hiScoreTable) {
        size_t len = strnlen(row.name, HISCORE_NAME_SIZE);
        if (len >= static_cast<size_t>(HISCORE_NAME_SIZE)) __builtin_trap();
        for (size_t i = 0; i < len; ++i)
            if (std::isspace(static_cast<unsigned char>(row.name[i]))) __builtin_trap();
    }
    return 0;
}
