#include "suite_support.hpp"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace emu_harness {

namespace {

bool is_file(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::optional<std::string> shared_rom(const std::string& relative) {
    std::string path = std::string(KESSRA_SHARED_TEST_ROMS) + "/" + relative;
    if (!is_file(path)) return std::nullopt;
    return path;
}

std::optional<std::string> own_rom(const std::string& name) {
    std::string path = std::string(KESSRA_TEST_ROM_DIR) + "/" + name + ".gba";
    if (!KESSRA_TEST_ROMS_BUILT || !is_file(path)) return std::nullopt;
    return path;
}

std::string expected_picture(const std::string& name) { return std::string(KESSRA_EMU_EXPECTED_DIR) + "/" + name; }

std::string keep_frame(const std::string& name, const Frame& frame) {
    std::error_code error;
    std::filesystem::create_directories(KESSRA_EMU_FRAME_DIR, error);
    std::string path = std::string(KESSRA_EMU_FRAME_DIR) + "/" + name + ".png";
    return write_png(frame, path) ? path : std::string();
}

namespace {

constexpr uint32_t kVerdictMagic = 0x5453544B; // "KTST"
constexpr std::size_t kEntriesAt = 32;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kMaxEntries = 48;

} // namespace

void PrintTo(RomState state, std::ostream* out) {
    const char* names[] = {"no verdict block", "running", "passed", "failed"};
    *out << names[static_cast<int>(state)];
}

RomVerdict read_verdict(const Snapshot& snapshot) {
    RomVerdict verdict;
    if (ewram_word(snapshot, 0) != kVerdictMagic) return verdict;
    uint32_t state = ewram_word(snapshot, 4);
    verdict.state = state == 1 ? RomState::kPassed : state == 2 ? RomState::kFailed : RomState::kRunning;
    verdict.checks = ewram_word(snapshot, 8);
    verdict.failed = ewram_word(snapshot, 12);
    for (std::size_t i = 0; i < verdict.checks && i < kMaxEntries; ++i) {
        std::size_t at = kEntriesAt + i * kEntrySize;
        uint32_t got = ewram_word(snapshot, at), want = ewram_word(snapshot, at + 4);
        if (got == want || snapshot.ewram_head.size() < at + kEntrySize) continue;
        std::string name;
        for (std::size_t c = 0; c < 8 && snapshot.ewram_head[at + 8 + c] != 0; ++c)
            name += static_cast<char>(snapshot.ewram_head[at + 8 + c]);
        char line[80];
        std::snprintf(line, sizeof line, "\n  %s: got 0x%08X, want 0x%08X", name.c_str(), got, want);
        verdict.failures += line;
    }
    return verdict;
}

uint32_t verdict_spare(const Snapshot& snapshot, std::size_t index) {
    if (index > 2 || ewram_word(snapshot, 0) != kVerdictMagic) return 0;
    return ewram_word(snapshot, 20 + 4 * index);
}

const Snapshot* first_match(const std::vector<Snapshot>& snapshots, const Frame& picture) {
    for (const Snapshot& snapshot : snapshots)
        if (compare_frames(snapshot.frame, picture, 0).same()) return &snapshot;
    return nullptr;
}

} // namespace emu_harness
