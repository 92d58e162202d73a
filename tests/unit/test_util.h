// Shared test helpers: a scratch working directory and small file utilities.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// Writes bytes to name, making its directory first.
inline void WriteFile(const std::string& name, const std::string& bytes) {
    std::filesystem::path p(name);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(name, std::string(bytes.begin(), bytes.end()));
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Sets an environment variable for the life of the object, then puts back what was there.
struct ScopedEnv {
    std::string name, old;
    bool had;
    ScopedEnv(const char* n, const std::string& value) : name(n), had(std::getenv(n) != nullptr) {
        if (had) old = std::getenv(n);
        setenv(n, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

inline bool FileExists(const std::string& name) {
    return access(name.c_str(), F_OK) == 0;
}

// Runs body in a forked child that ends with status 0 when body returns, and gives waitpid's
// status: for faults, signal handlers and process priorities that must not touch the test runner.
template <typename Body> int RunInChild(Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}
