// The core's fuzz target: its seed corpus is written here, and every input it
// ever failed on is replayed as an ordinary test.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz_emu_entry.hpp"
#include "handheld/handheld_roms.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EmuSeedsAreWrittenAndRunCleanly) {
    std::vector<std::vector<std::uint8_t>> seeds{testing::painting_rom(), testing::keys_rom()};
    // A ROM too short for its header, and one of arbitrary bytes.
    seeds.push_back({0x2E, 0x00, 0x00, 0xEA});
    std::vector<std::uint8_t> noise(512);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 167 + 13);
    seeds.push_back(noise);
    const fs::path folder = fs::path(KESSRA_FUZZ_SEEDS) / "fuzz_emu";
    fs::create_directories(folder);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        fuzzing::run_rom_one(seeds[i]);
        testing::write_bytes_file((folder / ("seed-" + std::to_string(i))).string(), seeds[i]);
    }
}

TEST(FuzzCorpus, EveryInputTheCoreFailedOnRunsCleanly) {
    const fs::path folder = fs::path(KESSRA_FUZZ_REGRESSIONS) / "fuzz_emu";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::size_t replayed = 0;
    for (const auto& file : fs::directory_iterator(folder)) {
        if (file.path().filename() == ".keep") continue;
        SCOPED_TRACE(file.path().string());
        fuzzing::run_rom_one(testing::read_bytes(file.path().string()));
        ++replayed;
    }
    RecordProperty("replayed", static_cast<int>(replayed));
}

} // namespace
} // namespace kessra
