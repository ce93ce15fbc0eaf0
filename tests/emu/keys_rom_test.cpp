// The key display ROM (tests/emu/roms/video_keys.c) through our core: each
// box is lit exactly while its key is held, and the bar grows two pixels a
// phase. The console tests read the same boxes off the emulator's screen, so
// this pins down what they compare against.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "suite_support.hpp"

namespace {

using namespace emu_harness;

constexpr uint16_t kDim = 5 | 5 << 5 | 8 << 10;
constexpr uint16_t kWhite = 0x7FFF;

uint16_t pixel(const Frame& frame, uint32_t x, uint32_t y) { return frame.pixels[y * kWidth + x]; }

// The colour at the middle of key i's box.
uint16_t box_colour(const Frame& frame, uint32_t i) {
    return pixel(frame, 8 + 46 * (i % 5) + 20, 6 + 56 * (i / 5) + 20);
}

bool bright(uint16_t colour) { return (colour & 31) >= 20 && (colour >> 5 & 31) >= 20 && (colour >> 10 & 31) >= 20; }

uint32_t bar_length(const Frame& frame) {
    uint32_t length = 0;
    while (length < 224 && pixel(frame, 8 + length, 131) == kWhite) ++length;
    return length;
}

TEST(KeysRom, LightsTheBoxesOfTheKeysHeld) {
    auto path = own_rom("video_keys");
    if (!path) GTEST_SKIP() << "the test ROMs were not built";
    auto rom = read_file(*path);
    ASSERT_TRUE(rom.has_value());
    // Every key alone and in groups, with frames well inside each step.
    const char* schedule_text = "20:A,40:B,60:SELECT,80:START,100:RIGHT,120:LEFT,140:UP,160:DOWN,180:R,200:L,"
                                "220:A+SELECT+RIGHT+UP+R,240:B+START+LEFT+DOWN+L,260:,"
                                "280:A+B+SELECT+START+RIGHT+LEFT+UP+DOWN+R+L";
    auto schedule = parse_key_schedule(schedule_text);
    ASSERT_TRUE(schedule.has_value());
    std::vector<uint32_t> frames = {10};
    for (uint32_t f = 30; f <= 290; f += 20) frames.push_back(f);
    auto snapshots = run_ours(*rom, frames, *schedule);
    ASSERT_TRUE(snapshots.has_value());
    for (const Snapshot& shot : *snapshots) {
        const uint16_t held = schedule->keys_at(shot.frames);
        for (uint32_t i = 0; i < 10; ++i) {
            const uint16_t colour = box_colour(shot.frame, i);
            if (held >> i & 1)
                EXPECT_TRUE(bright(colour)) << "frame " << shot.frames << " key " << i << " colour " << colour;
            else EXPECT_EQ(colour, kDim) << "frame " << shot.frames << " key " << i;
        }
    }
}

TEST(KeysRom, BarGrowsTwoPixelsAPhase) {
    auto path = own_rom("video_keys");
    if (!path) GTEST_SKIP() << "the test ROMs were not built";
    auto rom = read_file(*path);
    ASSERT_TRUE(rom.has_value());
    const std::vector<uint32_t> frames = {20, 400, 1000, 4000};
    auto snapshots = run_ours(*rom, frames, KeySchedule{});
    ASSERT_TRUE(snapshots.has_value());
    // The frames count from the end of the set-up, a few frames after power-on.
    for (const Snapshot& shot : *snapshots) {
        const uint32_t length = bar_length(shot.frame);
        EXPECT_LE(length, std::min<uint32_t>(224, shot.frames / 32 * 2)) << "frame " << shot.frames;
        EXPECT_GE(length, std::min<uint32_t>(224, (shot.frames - 16) / 32 * 2)) << "frame " << shot.frames;
    }
}

} // namespace
