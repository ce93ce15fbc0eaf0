// jsmolka's suites through our core: each shows, in mode 4, "All tests
// passed" or "Failed test NNN". The pass screen is the same picture for all
// of them (tests/emu/expected/jsmolka_all_tests_passed.png, checked against
// the reference on the suites it passes).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "screen_text.hpp"
#include "suite_support.hpp"

namespace {

using namespace emu_harness;

// The suites finish within a few frames; the pass screen then stays.
const std::vector<uint32_t> kCheckpoints = {30, 60, 120, 240, 400};

struct JsmolkaRom {
    const char* name;
    const char* path;
    bool reference_passes; // the reference emulator shows the pass screen too
};

const JsmolkaRom kRoms[] = {
    {"arm", "jsmolka-gba-tests/arm/arm.gba", false},         {"thumb", "jsmolka-gba-tests/thumb/thumb.gba", false},
    {"memory", "jsmolka-gba-tests/memory/memory.gba", true}, {"nes", "jsmolka-gba-tests/nes/nes.gba", true},
    {"bios", "jsmolka-gba-tests/bios/bios.gba", false},      {"unsafe", "jsmolka-gba-tests/unsafe/unsafe.gba", false},
    {"save_none", "jsmolka-gba-tests/save/none.gba", true},
};

void PrintTo(const JsmolkaRom& rom, std::ostream* out) { *out << rom.path; }

class JsmolkaSuite : public testing::TestWithParam<JsmolkaRom> {
protected:
    void SetUp() override {
        std::optional<std::string> path = shared_rom(GetParam().path);
        if (!path) GTEST_SKIP() << "the shared test ROMs are absent";
        std::optional<std::vector<uint8_t>> bytes = read_file(*path);
        ASSERT_TRUE(bytes) << *path;
        rom = std::move(*bytes);
        std::optional<Frame> picture = read_png(expected_picture("jsmolka_all_tests_passed.png"));
        ASSERT_TRUE(picture) << "the expected pass picture is missing";
        passed = std::move(*picture);
    }
    std::vector<uint8_t> rom;
    Frame passed;
};

TEST_P(JsmolkaSuite, OurCoreShowsAllTestsPassed) {
    std::optional<std::vector<Snapshot>> snapshots = run_ours(rom, kCheckpoints, {});
    ASSERT_TRUE(snapshots) << "the core refused the ROM";
    if (first_match(*snapshots, passed) != nullptr) return;
    const Frame& last = snapshots->back().frame;
    ADD_FAILURE() << GetParam().name << " does not show \"All tests passed\" after " << kCheckpoints.back()
                  << " frames (its screen: " << keep_frame(std::string("jsmolka_") + GetParam().name, last)
                  << ") but:" << join_lines(read_screen_text(last));
}

INSTANTIATE_TEST_SUITE_P(Roms, JsmolkaSuite, testing::ValuesIn(kRoms),
                         [](const testing::TestParamInfo<JsmolkaRom>& rom) { return std::string(rom.param.name); });

// The reference passes some of the suites (the shared folder's README): the
// picture we expect is theirs.
TEST(JsmolkaPassPicture, IsTheReferencesWhereItPasses) {
    if (!reference_available()) GTEST_SKIP() << "no libmgba in this build";
    std::optional<Frame> passed = read_png(expected_picture("jsmolka_all_tests_passed.png"));
    ASSERT_TRUE(passed);
    for (const JsmolkaRom& entry : kRoms) {
        if (!entry.reference_passes) continue;
        std::optional<std::string> path = shared_rom(entry.path);
        if (!path) GTEST_SKIP() << "the shared test ROMs are absent";
        std::optional<std::vector<uint8_t>> rom = read_file(*path);
        ASSERT_TRUE(rom);
        std::optional<std::vector<Snapshot>> snapshots = run_reference(*rom, kCheckpoints, {});
        ASSERT_TRUE(snapshots);
        EXPECT_NE(first_match(*snapshots, *passed), nullptr)
            << entry.name << ": " << compare_frames(snapshots->back().frame, *passed, 3).describe("pass picture");
    }
}

// Whether a line, without its leading spaces, is `want`.
bool shows_line(const std::vector<std::string>& lines, const std::string& want) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        std::size_t start = line.find_first_not_of(' ');
        return start != std::string::npos && line.substr(start) == want;
    });
}

// The screen reader reads jsmolka's text too: the pass picture, and the
// reference's failure on the ARM suite (test 235, the shared folder's README).
TEST(JsmolkaScreenText, ReadsPassAndFailure) {
    std::optional<Frame> passed = read_png(expected_picture("jsmolka_all_tests_passed.png"));
    ASSERT_TRUE(passed);
    std::vector<std::string> text = read_screen_text(*passed);
    EXPECT_TRUE(shows_line(text, "All tests passed")) << join_lines(text);
    if (!reference_available()) GTEST_SKIP() << "no libmgba in this build";
    std::optional<std::string> path = shared_rom("jsmolka-gba-tests/arm/arm.gba");
    if (!path) GTEST_SKIP() << "the shared test ROMs are absent";
    std::optional<std::vector<uint8_t>> rom = read_file(*path);
    ASSERT_TRUE(rom);
    std::optional<std::vector<Snapshot>> snapshots = run_reference(*rom, kCheckpoints, {});
    ASSERT_TRUE(snapshots);
    text = read_screen_text(snapshots->back().frame);
    EXPECT_TRUE(shows_line(text, "Failed test 235")) << join_lines(text);
}

// The picture suites show a picture each, checked in as our core drew it once
// it matched the reference and looked right (text, a ramp of 32 blues,
// stripes).
class JsmolkaPictures : public testing::TestWithParam<const char*> {};

TEST_P(JsmolkaPictures, OurCoreDrawsThePicture) {
    std::string name = GetParam();
    std::optional<std::string> path = shared_rom("jsmolka-gba-tests/ppu/" + name + ".gba");
    if (!path) GTEST_SKIP() << "the shared test ROMs are absent";
    std::optional<std::vector<uint8_t>> rom = read_file(*path);
    std::optional<Frame> picture = read_png(expected_picture("jsmolka_ppu_" + name + ".png"));
    ASSERT_TRUE(rom && picture);
    std::optional<std::vector<Snapshot>> snapshots = run_ours(*rom, kCheckpoints, {});
    ASSERT_TRUE(snapshots);
    const Frame& last = snapshots->back().frame;
    FrameDifference difference = compare_frames(last, *picture, 3);
    EXPECT_TRUE(difference.same()) << name << " (" << keep_frame("jsmolka_ppu_" + name, last)
                                   << "): " << difference.describe("expected");
}

INSTANTIATE_TEST_SUITE_P(Roms, JsmolkaPictures, testing::Values("hello", "shades", "stripes"));

} // namespace
