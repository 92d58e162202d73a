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

// Each target replays its own seed corpus, which must hold inputs (an empty or missing one would
// leave that reader untried); every corpus folder belongs to a target.
TEST(FuzzReplay, StoredInputsRunCleanThroughEveryReader) {
    const char* source = std::getenv("SKX_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const std::filesystem::path fuzz = std::filesystem::path(source) / "fuzz";
    ScratchDir dir; // the readers log; keep that out of the build tree
    EXPECT_FALSE(Registry().empty());
    for (const auto& folder : std::filesystem::directory_iterator(fuzz / "corpus"))
        EXPECT_EQ(Registry().count(folder.path().filename().string()), 1u) << folder.path();
    for (const auto& [name, entry] : Registry()) {
        size_t seeds = 0;
        for (const char* kind : {"corpus", "regressions"}) {
            const std::filesystem::path folder = fuzz / kind / name;
            if (!std::filesystem::is_directory(folder)) continue;
            for (const auto& file : std::filesystem::directory_iterator(folder)) {
                std::string bytes = ReadFile(file.path().string());
                SCOPED_TRACE(file.path().string());
                entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                seeds += kind[0] == 'c';
            }
        }
        EXPECT_GT(seeds, 0u) << "no seed corpus in fuzz/corpus/" << name;
    }
}
