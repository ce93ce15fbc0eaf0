// "kessra run -save": the save-chip test ROMs write their pattern into a new
// save file, and a second run finds it there.
#include <gtest/gtest.h>

#include <filesystem>

#include "suite_support.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"
#include "texture/picture_file.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;

struct SaveRom {
    const char* name;
    std::size_t size;       // the chip's contents in the save file
    std::size_t first_half; // where the first 8 bytes of the pattern lie
    std::size_t second_half;
};

const SaveRom kRoms[] = {
    {"save_sram", 0x8000, 0x100, 0x108},        {"save_flash64", 0x10000, 0x100, 0x108},
    {"save_flash128", 0x20000, 0x100, 0x10108}, // the second half in bank 1
    {"save_eeprom512", 0x200, 0x10, 0x18},      // blocks 2 and 3
    {"save_eeprom8k", 0x2000, 0x10, 0x18},
};

enum class Bar { Found, Written, Failed, Other };

// The bar the ROM draws at the bottom of its screen.
Bar bar_of(const std::string& png_path) {
    const std::vector<std::uint8_t> png = testing::read_bytes(png_path);
    const Result<texture::Picture> picture = texture::decode_picture(png, png_path);
    if (!picture) return Bar::Other;
    const texture::Rgba p = texture::pixel(picture.value, 120, 150);
    if (p.r == 66 && p.g == 255 && p.b == 66) return Bar::Found;
    if (p.r == 49 && p.g == 49 && p.b == 255) return Bar::Written;
    if (p.r == 255 && p.g == 49 && p.b == 49) return Bar::Failed;
    return Bar::Other;
}

class RunRomSave : public ::testing::TestWithParam<SaveRom> {};

TEST_P(RunRomSave, TheFirstRunWritesThePatternAndTheSecondFindsIt) {
    const std::optional<std::string> rom = emu_harness::own_rom(GetParam().name);
    if (!rom) GTEST_SKIP() << "the test ROMs were not built (no clang for the handheld)";
    testing::ScratchDir dir;
    const std::string shot = dir.file("shot.png"), save = dir.file("game.sav");
    const std::vector<std::string> args = {"run", *rom, "-frames", "20", "-screenshot", shot, "-save", save};

    const testing::ToolRun first = testing::run_tool(args);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(bar_of(shot), Bar::Written);
    const std::vector<std::uint8_t> kept = testing::read_bytes(save);
    ASSERT_EQ(kept.size(), GetParam().size);
    for (std::size_t i = 0; i < 16; ++i) {
        const std::size_t at = (i < 8 ? GetParam().first_half : GetParam().second_half) + i % 8;
        EXPECT_EQ(kept[at], static_cast<std::uint8_t>(0x31 + 7 * i)) << "byte " << i;
    }

    const testing::ToolRun second = testing::run_tool(args);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(bar_of(shot), Bar::Found);
    EXPECT_EQ(testing::read_bytes(save), kept);
}

INSTANTIATE_TEST_SUITE_P(Chips, RunRomSave, ::testing::ValuesIn(kRoms),
                         [](const ::testing::TestParamInfo<SaveRom>& rom) { return std::string(rom.param.name); });

TEST(RunRomSaveFile, AFileOfTheWrongSizeIsRefusedAndKept) {
    const std::optional<std::string> rom = emu_harness::own_rom("save_sram");
    if (!rom) GTEST_SKIP() << "the test ROMs were not built (no clang for the handheld)";
    testing::ScratchDir dir;
    const std::string shot = dir.file("shot.png"), save = dir.file("game.sav");
    const std::vector<std::uint8_t> short_file(0x7FFF, 0x42);
    testing::write_bytes_file(save, short_file);
    const testing::ToolRun run = testing::run_tool({"run", *rom, "-frames", "5", "-screenshot", shot, "-save", save});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(save + ": the file is 32767 bytes; the sram chip holds 32768 bytes"), std::string::npos)
        << run.err;
    EXPECT_EQ(testing::read_bytes(save), short_file);
    EXPECT_FALSE(fs::exists(shot));
}

TEST(RunRomSaveFile, TheTypeGivenOnTheCommandLineWins) {
    const std::optional<std::string> rom = emu_harness::own_rom("save_sram");
    if (!rom) GTEST_SKIP() << "the test ROMs were not built (no clang for the handheld)";
    testing::ScratchDir dir;
    const std::string shot = dir.file("shot.png"), save = dir.file("game.sav");
    // No chip: the pattern cannot be written, and there is nothing to keep.
    testing::ToolRun run =
        testing::run_tool({"run", *rom, "-frames", "20", "-screenshot", shot, "-save", save, "-Save-Type", "NONE"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(bar_of(shot), Bar::Failed);
    EXPECT_FALSE(fs::exists(save));
    // Flash where the ROM expects SRAM: a file of the Flash chip's size.
    run =
        testing::run_tool({"run", *rom, "-frames", "20", "-screenshot", shot, "-save", save, "-save-type", "flash64"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testing::read_bytes(save).size(), 0x10000u);

    run = testing::run_tool({"run", *rom, "-frames", "1", "-screenshot", shot, "-save-type", "flash"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("-save-type flash: not one of none, sram, flash64, flash128, eeprom512, eeprom8k"),
              std::string::npos)
        << run.err;
}

} // namespace
} // namespace kessra
