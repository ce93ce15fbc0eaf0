// The fuzz targets' seed corpus is written here, and every input a fuzzer
// ever crashed on is replayed as an ordinary test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fuzz_entries.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;

struct Target {
    const char* name;
    void (*run)(std::span<const std::uint8_t>);
    std::vector<std::vector<std::uint8_t>> (*seeds)();
};

const Target TARGETS[] = {
    {"fuzz_inspect", fuzzing::inspect_one, fuzzing::inspect_seeds},
    {"fuzz_payload_checks", fuzzing::check_payload_one, fuzzing::payload_seeds},
    {"fuzz_pictures", fuzzing::decode_picture_one, fuzzing::picture_seeds},
};

TEST(FuzzCorpus, SeedsAreWrittenAndRunCleanly) {
    for (const Target& target : TARGETS) {
        const fs::path folder = fs::path(KESSRA_FUZZ_SEEDS) / target.name;
        fs::create_directories(folder);
        const auto seeds = target.seeds();
        ASSERT_FALSE(seeds.empty());
        for (std::size_t i = 0; i < seeds.size(); ++i) {
            target.run(seeds[i]);
            std::ofstream file(folder / ("seed-" + std::to_string(i)), std::ios::binary);
            file.write(reinterpret_cast<const char*>(seeds[i].data()), static_cast<std::streamsize>(seeds[i].size()));
            ASSERT_TRUE(file.good()) << folder;
        }
    }
}

TEST(FuzzCorpus, EveryFoundCrashStaysFixed) {
    std::size_t replayed = 0;
    for (const Target& target : TARGETS) {
        const fs::path folder = fs::path(KESSRA_FUZZ_REGRESSIONS) / target.name;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        for (const auto& file : fs::directory_iterator(folder)) {
            if (file.path().filename() == ".keep") continue;
            SCOPED_TRACE(file.path().string());
            target.run(testing::read_bytes(file.path().string()));
            ++replayed;
        }
    }
    RecordProperty("replayed", static_cast<int>(replayed));
}

} // namespace
} // namespace kessra
