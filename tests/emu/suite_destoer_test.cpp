// destoer's tests print values without a verdict; the one whose hardware
// picture comes at the handheld's own size (window_midframe) is compared with
// it pixel for pixel. emu_suite_report (tests/emu/reference) shows the
// others beside the reference's pictures.
#include <gtest/gtest.h>

#include "suite_support.hpp"

namespace {

using namespace emu_harness;

TEST(DestoerSuite, WindowMidframeShowsTheHardwarePicture) {
    std::optional<std::string> path = shared_rom("destoer-gba-tests/window_midframe/window_midframe.gba");
    std::optional<std::string> picture_path = shared_rom("destoer-gba-tests/window_midframe/expected.png");
    if (!path || !picture_path) GTEST_SKIP() << "the shared test ROMs are absent";
    std::optional<std::vector<uint8_t>> rom = read_file(*path);
    std::optional<Frame> picture = read_png(*picture_path);
    ASSERT_TRUE(rom && picture);
    const std::vector<uint32_t> at = {120, 300};
    std::optional<std::vector<Snapshot>> snapshots = run_ours(*rom, at, {});
    ASSERT_TRUE(snapshots);
    if (first_match(*snapshots, *picture) != nullptr) return;
    const Frame& last = snapshots->back().frame;
    ADD_FAILURE() << "window_midframe (" << keep_frame("destoer_window_midframe", last)
                  << "): " << compare_frames(last, *picture, 4).describe("hardware");
}

} // namespace
