// "kessra run -audio": the WAV of a sound ROM holds the tone the ROM plays,
// on the side it plays it; the header describes 16-bit stereo at 32768 Hz.
#include <gtest/gtest.h>

#include "emu/endian.hpp"

#include "harness.hpp"
#include "sound_measure.hpp"
#include "suite_support.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return emu::load32(b.data() + at); }
uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at) { return emu::load16(b.data() + at); }

TEST(RunRomAudio, TheWavHoldsTheSquareWavesOnTheirSides) {
    const std::optional<std::string> rom = emu_harness::own_rom("sound_square");
    if (!rom) GTEST_SKIP() << "the test ROMs were not built (no clang for the handheld)";
    testing::ScratchDir dir;
    const std::string shot = dir.file("shot.png"), wav = dir.file("sound.wav");
    const testing::ToolRun run = testing::run_tool({"run", *rom, "-frames", "120", "-screenshot", shot, "-audio", wav});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::uint8_t> bytes = testing::read_bytes(wav);
    ASSERT_GE(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(le16(bytes, 20), 1); // PCM
    EXPECT_EQ(le16(bytes, 22), 2); // stereo
    EXPECT_EQ(le32(bytes, 24), 32768u);
    EXPECT_EQ(le16(bytes, 34), 16);
    const uint32_t data = le32(bytes, 40);
    ASSERT_EQ(data, bytes.size() - 44);
    // A run of 120 frames ends where the 120th frame's vertical blanking
    // begins: 119 frames of 280896 cycles and 160 lines of 1232, at 32768
    // samples a second.
    EXPECT_NEAR(data / 4.0, (119 * 280896.0 + 160 * 1232) * 32768 / 16777216, 2);

    emu_harness::Sound sound;
    sound.rate = 32768;
    for (std::size_t at = 44; at + 1 < bytes.size(); at += 2)
        sound.samples.push_back(static_cast<int16_t>(le16(bytes, at)));
    const auto left = emu_harness::sound_side(sound, 0, 0.5, 1.9);
    const auto right = emu_harness::sound_side(sound, 1, 0.5, 1.9);
    EXPECT_NEAR(emu_harness::crossing_frequency(left, 32768), 439.8, 4.4);
    EXPECT_NEAR(emu_harness::crossing_frequency(right, 32768), 879.7, 8.8);
}

TEST(RunRomAudio, RefusesTheSoundFileAsThePicture) {
    const std::optional<std::string> rom = emu_harness::own_rom("sound_square");
    if (!rom) GTEST_SKIP() << "the test ROMs were not built (no clang for the handheld)";
    testing::ScratchDir dir;
    const std::string shot = dir.file("shot.png");
    const testing::ToolRun run = testing::run_tool({"run", *rom, "-frames", "2", "-screenshot", shot, "-audio", shot});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("sound file"), std::string::npos) << run.err;
}

TEST(RunRomAudio, RefusesMoreFramesThanItRecords) {
    const testing::ToolRun run =
        testing::run_tool({"run", "game.gba", "-frames", "216001", "-screenshot", "a.png", "-audio", "a.wav"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("-audio records at most 216000 frames"), std::string::npos) << run.err;
}

} // namespace
} // namespace kessra
