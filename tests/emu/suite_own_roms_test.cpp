// Our own test ROMs (tests/emu/roms) through our core and through the
// reference: each ROM checks its results against known answers and leaves a
// verdict at 0x02000000; the pictures are compared once the ROM has finished.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "suite_support.hpp"

namespace {

using namespace emu_harness;

struct OwnRom {
    const char* name;
    const char* keys;             // key schedule
    std::vector<uint32_t> frames; // checkpoints, all after the ROM has finished
};

const OwnRom kRoms[] = {
    {"rom_smoke", "", {10, 20}},
    {"bios_calls", "", {20, 40}},
    {"bios_calls", "0:A+B,3:,7:START", {40}}, // keys nobody reads change nothing
    {"timers", "", {40, 60}},
    {"dma", "", {30, 50}},
    {"halt", "", {40, 60}},
    {"keypad", "10:A,20:,30:L,40:L+R,50:", {75, 90}},
    {"keypad", "17:A,27:,37:L,47:L+R,57:", {85}},
    {"cpu_loop", "", {30, 60}},
};

std::string label(const OwnRom& rom) {
    return std::string(rom.name) + (rom.keys[0] != 0 ? " with keys " + std::string(rom.keys) : "");
}

void PrintTo(const OwnRom& rom, std::ostream* out) { *out << label(rom); }

class OwnRoms : public testing::TestWithParam<OwnRom> {
protected:
    void SetUp() override {
        std::optional<std::string> path = own_rom(GetParam().name);
        if (!path) GTEST_SKIP() << "the test ROMs were not built (no clang for ARM or no ld.lld)";
        std::optional<std::vector<uint8_t>> bytes = read_file(*path);
        ASSERT_TRUE(bytes) << *path;
        rom = std::move(*bytes);
        std::optional<KeySchedule> schedule = parse_key_schedule(GetParam().keys);
        ASSERT_TRUE(schedule) << GetParam().keys;
        keys = *schedule;
    }
    void expect_passed(const std::vector<Snapshot>& snapshots, const char* who) {
        for (const Snapshot& snapshot : snapshots) {
            RomVerdict verdict = read_verdict(snapshot);
            EXPECT_EQ(verdict.state, RomState::kPassed)
                << label(GetParam()) << " on " << who << " after " << snapshot.frames << " frames: "
                << (verdict.state == RomState::kMissing ? "no verdict block"
                    : verdict.state == RomState::kRunning
                        ? "still running"
                        : std::to_string(verdict.failed) + " of " + std::to_string(verdict.checks) + " checks failed")
                << verdict.failures;
        }
    }
    std::vector<uint8_t> rom;
    KeySchedule keys;
};

TEST_P(OwnRoms, PassOnOurCore) {
    std::optional<std::vector<Snapshot>> snapshots = run_ours(rom, GetParam().frames, keys);
    ASSERT_TRUE(snapshots);
    expect_passed(*snapshots, "our core");
}

// The ROMs' known answers hold on the reference too: a check that fails here
// is wrong in the ROM or shows where the reference parts from the hardware.
TEST_P(OwnRoms, PassOnTheReference) {
    if (!reference_available()) GTEST_SKIP() << "no libmgba in this build";
    std::optional<std::vector<Snapshot>> snapshots = run_reference(rom, GetParam().frames, keys);
    ASSERT_TRUE(snapshots);
    expect_passed(*snapshots, "the reference");
}

TEST_P(OwnRoms, ShowTheReferencesPictures) {
    if (!reference_available()) GTEST_SKIP() << "no libmgba in this build";
    std::optional<std::vector<Snapshot>> ours = run_ours(rom, GetParam().frames, keys);
    std::optional<std::vector<Snapshot>> theirs = run_reference(rom, GetParam().frames, keys);
    ASSERT_TRUE(ours && theirs);
    for (std::size_t i = 0; i < ours->size(); ++i) {
        FrameDifference difference = compare_frames((*ours)[i].frame, (*theirs)[i].frame);
        if (difference.same()) continue;
        std::string name = std::string("own_") + GetParam().name + "_" + std::to_string((*ours)[i].frames);
        ADD_FAILURE() << label(GetParam()) << " after " << (*ours)[i].frames << " frames: " << difference.describe()
                      << "\n  ours: " << keep_frame(name, (*ours)[i].frame)
                      << "\n  reference: " << keep_frame(name + "_reference", (*theirs)[i].frame);
    }
}

INSTANTIATE_TEST_SUITE_P(Roms, OwnRoms, testing::ValuesIn(kRoms), [](const testing::TestParamInfo<OwnRom>& rom) {
    std::string name = std::string(rom.param.name) + "_" + std::to_string(rom.index);
    return name;
});

// The benchmark ROM keeps working after its checks: its round counter grows
// and the ARM and Thumb results keep agreeing.
TEST(OwnRomsBenchmark, CpuLoopKeepsCounting) {
    std::optional<std::string> path = own_rom("cpu_loop");
    if (!path) GTEST_SKIP() << "the test ROMs were not built";
    std::optional<std::vector<uint8_t>> rom = read_file(*path);
    ASSERT_TRUE(rom);
    const std::vector<uint32_t> at = {20, 40};
    std::optional<std::vector<Snapshot>> snapshots = run_ours(*rom, at, {});
    ASSERT_TRUE(snapshots);
    uint32_t early = verdict_spare((*snapshots)[0], 0), late = verdict_spare((*snapshots)[1], 0);
    EXPECT_GT(early, 0u);
    EXPECT_GT(late, early);
    EXPECT_EQ(verdict_spare((*snapshots)[1], 1), 0u) << "rounds whose ARM and Thumb results differ";
}

} // namespace
