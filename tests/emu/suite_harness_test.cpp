// The ROM harness itself: key schedules, picture comparison and files, and
// the cartridge headers of the test ROMs the build made.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "suite_support.hpp"

namespace {

using namespace emu_harness;

TEST(RomHarness, ParsesKeySchedules) {
    struct Case {
        const char* text;
        bool valid;
        std::vector<std::pair<uint32_t, uint16_t>> probes; // frame -> keys held
    };
    const Case cases[] = {
        {"", true, {{0, 0}, {100, 0}}},
        {"10:A", true, {{9, 0}, {10, 0x001}, {500, 0x001}}},
        {"0:START,5:,7:L+R+UP", true, {{0, 0x008}, {4, 0x008}, {5, 0}, {6, 0}, {7, 0x340}}},
        {"3:SELECT+DOWN+LEFT+RIGHT+B", true, {{3, 0x0B6}}},
        {"10:A,10:B", false, {}}, // frames must increase
        {"10:A,5:B", false, {}},
        {"10:X", false, {}}, // unknown key
        {"10:A+", false, {}},
        {"A", false, {}},
        {":A", false, {}},
        {"1x:A", false, {}},
        {"10:A,", false, {}},
    };
    for (const Case& c : cases) {
        std::optional<KeySchedule> schedule = parse_key_schedule(c.text);
        ASSERT_EQ(schedule.has_value(), c.valid) << c.text;
        for (const auto& [frame, keys] : c.probes) EXPECT_EQ(schedule->keys_at(frame), keys) << c.text << " @" << frame;
    }
}

TEST(RomHarness, ComparesTheFifteenBitsOnly) {
    Frame a, b;
    EXPECT_TRUE(compare_frames(a, b).same());
    b.pixels[5] = 0x8000; // the unused top bit
    EXPECT_TRUE(compare_frames(a, b).same());
    b.pixels[kWidth * 3 + 7] = 0x0001;
    b.pixels[kWidth * 9 + 1] = 0x7C00;
    FrameDifference difference = compare_frames(a, b, 1);
    EXPECT_EQ(difference.count, 2u);
    ASSERT_EQ(difference.first.size(), 1u);
    EXPECT_EQ(difference.first[0].x, 7u);
    EXPECT_EQ(difference.first[0].y, 3u);
    EXPECT_EQ(difference.first[0].theirs, 0x0001);
}

TEST(RomHarness, PicturesKeepTheirColours) {
    Frame frame;
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) frame.pixels[i] = static_cast<uint16_t>((i * 37u) & 0x7FFF);
    std::string path = (std::filesystem::path(testing::TempDir()) / "harness_round_trip.png").string();
    ASSERT_TRUE(write_png(frame, path));
    std::optional<Frame> back = read_png(path);
    ASSERT_TRUE(back);
    EXPECT_TRUE(compare_frames(frame, *back).same());
    std::filesystem::remove(path);
    EXPECT_FALSE(read_png(path));
}

TEST(RomHarness, EwramWordsStayInsideTheSnapshot) {
    Snapshot snapshot;
    snapshot.ewram_head = {0x4B, 0x54, 0x53, 0x54, 0x01, 0x02};
    EXPECT_EQ(ewram_word(snapshot, 0), 0x5453544Bu);
    EXPECT_EQ(ewram_word(snapshot, 3), 0u); // would read past the end
    EXPECT_EQ(ewram_word(snapshot, 1000), 0u);
    snapshot.ewram_head[0] = 0x4C; // not the verdict block's mark
    EXPECT_EQ(read_verdict(snapshot).state, RomState::kMissing);
}

// The header the build wrote: the fixed byte and the complement check.
TEST(RomHarness, TestRomsHaveAValidHeader) {
    for (const char* name : {"rom_smoke", "bios_calls", "timers", "dma", "halt", "keypad", "cpu_loop"}) {
        std::optional<std::string> path = own_rom(name);
        if (!path) GTEST_SKIP() << "the test ROMs were not built";
        std::optional<std::vector<uint8_t>> rom = read_file(*path);
        ASSERT_TRUE(rom && rom->size() > 0xC0) << name;
        EXPECT_EQ((*rom)[0xB2], 0x96) << name;
        unsigned sum = 0;
        for (std::size_t i = 0xA0; i <= 0xBD; ++i) sum += (*rom)[i];
        EXPECT_EQ((sum + 0x19) & 0xFF, 0u) << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&(*rom)[0xAC]), 4), "KTST") << name;
        // The first instruction branches over the header (ARM "b", always).
        EXPECT_EQ((*rom)[3], 0xEA) << name;
    }
}

} // namespace
