#include "suite_support.hpp"

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

std::string expected_picture(const std::string& name) {
    return std::string(KESSRA_EMU_EXPECTED_DIR) + "/" + name;
}

std::string keep_frame(const std::string& name, const Frame& frame) {
    std::error_code error;
    std::filesystem::create_directories(KESSRA_EMU_FRAME_DIR, error);
    std::string path = std::string(KESSRA_EMU_FRAME_DIR) + "/" + name + ".png";
    return write_png(frame, path) ? path : std::string();
}

const Snapshot* first_match(const std::vector<Snapshot>& snapshots, const Frame& picture) {
    for (const Snapshot& snapshot : snapshots)
        if (compare_frames(snapshot.frame, picture, 0).same()) return &snapshot;
    return nullptr;
}

} // namespace emu_harness
