// inspect -deep names each game's save chip, found from the ID string its
// save library leaves in the ROM, wherever the string lies in the reading.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "inspect/save_scan.hpp"
#include "inspect_support.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

constexpr std::uint32_t MIB = 1024 * 1024;

void put_text(const std::string& path, std::uint64_t offset, const std::string& text) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    ASSERT_TRUE(file.good()) << path;
}

TEST(SaveScan, FindsTheStringAcrossTheSeamsOfAnyPieceSize) {
    std::vector<std::uint8_t> rom(64, 0);
    const std::string id = "FLASH1M_V103";
    std::copy(id.begin(), id.end(), rom.begin() + 28);
    for (std::size_t piece : {4u, 8u, 12u, 16u, 20u, 32u, 64u}) {
        SaveScan scan;
        for (std::size_t at = 0; at < rom.size(); at += piece)
            scan.feed(std::span<const std::uint8_t>(rom).subspan(at, std::min(piece, rom.size() - at)));
        EXPECT_EQ(scan.found(), emu::SaveType::Flash128) << "pieces of " << piece;
    }
    std::vector<std::uint8_t> shifted(64, 0);
    std::copy(id.begin(), id.end(), shifted.begin() + 30); // not at a word boundary
    SaveScan scan;
    for (std::size_t at = 0; at < shifted.size(); at += 8)
        scan.feed(std::span<const std::uint8_t>(shifted).subspan(at, 8));
    EXPECT_EQ(scan.found(), emu::SaveType::None);
}

TEST(InspectSaveChips, DeepNamesEachGamesChip) {
    testing::ScratchDir dir;
    const std::string roms = dir.file("roms");
    std::filesystem::create_directory(roms);
    const std::string a = join_path(roms, "a.gba"), b = join_path(roms, "b.gba"), c = join_path(roms, "c.gba");
    testing::write_rom(a, 4 * MIB, "ALPHA");
    testing::write_rom(b, 8 * MIB, "BRAVO");
    testing::write_rom(c, 4 * MIB, "CHARLIE");
    put_text(a, 0x1000, "SRAM_V113");
    put_text(b, 4 * MIB - 4, "FLASH1M_V103"); // across the seam of inspect's 4 MiB reads
    const std::string image = dir.file("out.iso");
    const testing::ToolRun built = testing::run_tool({"-o", image, "-d", roms, "-v", "SAVES"});
    ASSERT_EQ(built.status, 0) << built.err;

    const testing::ToolRun deep = testing::run_tool({"inspect", image, "-deep", "-json"});
    ASSERT_EQ(deep.status, 0) << deep.err;
    const auto games = nlohmann::json::parse(deep.out)["menu"]["games"];
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(games[0]["save_chip"], "sram");
    EXPECT_EQ(games[1]["save_chip"], "flash128");
    EXPECT_EQ(games[2]["save_chip"], "none");

    const testing::ToolRun text = testing::run_tool({"inspect", image, "-deep"});
    EXPECT_NE(text.out.find("a.gba  save: sram\n"), std::string::npos) << text.out;

    // Without -deep the ROMs are not read, and nothing is said of their chips.
    const testing::ToolRun plain = testing::run_tool({"inspect", image, "-json"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_FALSE(nlohmann::json::parse(plain.out)["menu"]["games"][0].contains("save_chip"));
}

} // namespace
} // namespace kessra
