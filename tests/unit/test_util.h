// Shared test helpers: a scratch working directory and small file utilities.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

// Creates a fresh directory under /tmp, makes it the working directory, and goes back (and removes
// it) on destruction. The program's files (logs, vantor.ini, hiscore.tbl) are relative to it.
struct ScratchDir {
    std::string path;
    std::string previous;
    ScratchDir() {
        char tmpl[] = "/tmp/skx_test_XXXXXX";
        path = mkdtemp(tmpl);
        char cwd[4096];
        previous = getcwd(cwd, sizeof(cwd)) ? cwd : "/tmp";
        if (chdir(path.c_str()) != 0) std::abort();
    }
    ~ScratchDir() {
        if (chdir(previous.c_str()) != 0) std::abort();
        std::string cmd = "rm -rf '" + path + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

inline void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline bool FileExists(const std::string& name) {
    return access(name.c_str(), F_OK) == 0;
}
