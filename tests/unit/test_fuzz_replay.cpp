// Replays every stored fuzz corpus input and every input that once crashed a reader
// (fuzz/corpus/<target>/, fuzz/regressions/<target>/) through the same entry the fuzzer drives.
#include "fuzz_target.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

static std::map<std::string, FuzzEntry>& Registry() {
    static std::map<std::string, FuzzEntry> registry;
    return registry;
}

bool FuzzRegister(const char* name, FuzzEntry entry) {
    Registry()[name] = entry;
    return true;
}

TEST(FuzzReplay, StoredInputsRunCleanThroughEveryReader) {
    const char* source = std::getenv("SKX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    ScratchDir dir; // the readers log; keep that out of the build tree
    size_t replayed = 0;
    for (const auto& [name, entry] : Registry()) {
        for (const char* kind : {"corpus", "regressions"}) {
            std::filesystem::path folder = std::filesystem::path(source) / "fuzz" / kind / name;
            if (!std::filesystem::is_directory(folder)) continue;
            for (const auto& file : std::filesystem::directory_iterator(folder)) {
                std::string bytes = ReadFile(file.path().string());
                SCOPED_TRACE(file.path().string());
                entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                ++replayed;
            }
        }
    }
    EXPECT_GT(replayed, 0u);
}
