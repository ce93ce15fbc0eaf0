// The video test ROMs through our core and through the reference emulator,
// frame for frame at several points of each ROM's phases and under key
// schedules. Each phase of a ROM holds one picture for 32 frames; the frames
// compared sit inside the phases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.hpp"
#include "suite_support.hpp"

namespace {

using emu_harness::Snapshot;

struct RomCase {
    const char* rom;
    std::vector<uint32_t> frames;
    const char* keys; // a key schedule ("" for none)
};

// Mid-phase frames: the set-up takes a few frames and each phase lasts 32.
std::vector<uint32_t> phase_frames(uint32_t phases) {
    std::vector<uint32_t> frames;
    for (uint32_t p = 0; p < phases; ++p) frames.push_back(p * 32 + 28);
    return frames;
}

std::string case_name(const testing::TestParamInfo<RomCase>& param_info) {
    const RomCase& c = param_info.param;
    return std::string(c.rom) + (c.keys[0] != 0 ? "_keys_" : "_") + std::to_string(param_info.index);
}

class VideoRom : public testing::TestWithParam<RomCase> {};

TEST_P(VideoRom, MatchesTheReference) {
    const RomCase& c = GetParam();
    if (!emu_harness::reference_available()) GTEST_SKIP() << "the reference emulator is not available";
    auto path = emu_harness::own_rom(c.rom);
    if (!path) GTEST_SKIP() << "the test ROMs were not built";
    auto rom = emu_harness::read_file(*path);
    ASSERT_TRUE(rom.has_value());
    auto keys = emu_harness::parse_key_schedule(c.keys);
    ASSERT_TRUE(keys.has_value()) << c.keys;
    auto ours = emu_harness::run_ours(*rom, c.frames, *keys);
    auto theirs = emu_harness::run_reference(*rom, c.frames, *keys);
    ASSERT_TRUE(ours.has_value());
    ASSERT_TRUE(theirs.has_value());
    ASSERT_EQ(ours->size(), theirs->size());
    for (size_t i = 0; i < ours->size(); ++i) {
        const Snapshot& a = (*ours)[i];
        const Snapshot& b = (*theirs)[i];
        auto difference = emu_harness::compare_frames(a.frame, b.frame);
        if (difference.same()) continue;
        std::string name = std::string(c.rom) + "_" + std::to_string(a.frames) + (c.keys[0] != 0 ? "_keys" : "");
        std::string kept_ours = emu_harness::keep_frame(name + "_ours", a.frame);
        emu_harness::keep_frame(name + "_reference", b.frame);
        ADD_FAILURE() << c.rom << " frame " << a.frames << ": " << difference.describe() << " (kept " << kept_ours
                      << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roms, VideoRom,
    testing::Values(RomCase{"video_text", phase_frames(8), ""},
                    RomCase{"video_text", {28, 60, 92}, "10:RIGHT+A,40:LEFT+UP,70:DOWN"},
                    RomCase{"video_affine", phase_frames(8), ""},
                    RomCase{"video_affine", {28, 60, 156}, "5:A,50:B,140:A+B"},
                    RomCase{"video_sprites", phase_frames(9), ""},
                    RomCase{"video_sprites", {28, 60, 124, 284}, "5:A,50:B,100:A+B"},
                    RomCase{"video_window", phase_frames(8), ""},
                    RomCase{"video_window", {28, 60, 92}, "10:RIGHT+DOWN,40:LEFT+UP,70:RIGHT"},
                    RomCase{"video_blend", {28, 60, 92, 124, 188, 220, 252}, ""},
                    RomCase{"video_blend", {28, 60, 124, 220}, "10:A"}, RomCase{"video_mosaic", {28, 124}, "10:A"},
                    RomCase{"video_lines", {92}, ""},
                    RomCase{"video_keys", {60, 124, 188}, "10:A+UP+R,90:B+SELECT+L+DOWN,150:START+LEFT+RIGHT"}),
    case_name);

// Frames where our picture and the reference's differ, kept for a look
// (run with --gtest_also_run_disabled_tests): the red channel of brightness
// decrease rounds differently in the reference (phase 4 of video_blend);
// horizontal mosaic of sprites (the reference spreads a mosaic sprite past its
// right edge, which the hardware's sprite-hmosaic picture does not show) and
// of affine backgrounds; at line 80 of video_lines, the reference draws the
// line before the VCOUNT interrupt's writes of that line, and shows a newly
// enabled background one line later than the hardware's dispcnt-latch
// picture does.
INSTANTIATE_TEST_SUITE_P(DISABLED_KnownDifferences, VideoRom,
                         testing::Values(RomCase{"video_blend", {156}, ""},
                                         RomCase{"video_mosaic", {60, 92, 156, 188, 220, 252}, ""},
                                         RomCase{"video_lines", {28, 60, 124, 156, 188}, ""}),
                         case_name);

} // namespace
