#include <gtest/gtest.h>

#include <map>

#include "catalogue/disc_name.hpp"
#include "catalogue/rom_scan.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

using testing::CapturedOutput;

constexpr std::uint64_t MIB = 1024 * 1024;

DirectoryLister listing_of(std::vector<DirEntry> entries) {
    return [entries](const std::string&) { return success(entries); };
}

std::vector<DirEntry> roms_of_size(std::size_t count, std::uint64_t size) {
    std::vector<DirEntry> entries;
    for (std::size_t i = 0; i < count; ++i) entries.push_back({"rom" + std::to_string(i) + ".gba", size});
    return entries;
}

TEST(RomScan, AcceptsTheThreeSizesInListingOrder) {
    const auto result =
        scan_rom_directory("roms", MINI_DVD, listing_of({{"z.gba", 4 * MIB}, {"a.gba", 16 * MIB}, {"m.gba", 8 * MIB}}));
    ASSERT_TRUE(result.status);
    ASSERT_EQ(result.value.size(), 3u);
    EXPECT_EQ(result.value[0].file_name, "z.gba");
    EXPECT_EQ(result.value[1].size, 16 * MIB);
    EXPECT_EQ(result.value[2].file_name, "m.gba");
    EXPECT_EQ(result.status.console, "");
}

TEST(RomScan, FirstWrongSizedFileStopsTheScanWithItsRealSize) {
    const struct {
        std::uint64_t size;
        const char* shown;
    } cases[] = {{4 * MIB + 1, "4194305"}, {0, "0"}, {4294967296ull + 4 * MIB, "4299161600"}, {2 * MIB, "2097152"}};
    for (const auto& c : cases) {
        const auto result = scan_rom_directory(
            "roms", MINI_DVD, listing_of({{"ok.gba", 4 * MIB}, {"bad.gba", c.size}, {"worse.gba", 3}}));
        EXPECT_FALSE(result.status);
        EXPECT_TRUE(result.status.message.empty());
        EXPECT_EQ(result.status.console,
                  std::string("File bad.gba ( ") + c.shown + " ) is not 4/8/16 Mb!\nPlease correct or remove.");
    }
}

TEST(RomScan, ControlBytesInNamesAreShownAsQuestionMarks) {
    const auto result = scan_rom_directory("roms", MINI_DVD, listing_of({{"a\x1b[2Jb\x7f.gba", 5}}));
    EXPECT_EQ(result.status.console, "File a?[2Jb?.gba ( 5 ) is not 4/8/16 Mb!\nPlease correct or remove.");
}

TEST(RomScan, RefusesEmptyOrUnreadableDirectoryNamingIt) {
    const auto empty = scan_rom_directory("my/roms", MINI_DVD, listing_of({}));
    EXPECT_FALSE(empty.status);
    EXPECT_NE(empty.status.message.find("my/roms"), std::string::npos);
    EXPECT_EQ(empty.status.console, "");

    const DirectoryLister failing = [](const std::string& dir) {
        return failed<std::vector<DirEntry>>(
            Status::failure(dir + ": reading the ROM directory failed: No such file or directory"));
    };
    const auto unreadable = scan_rom_directory("typo", MINI_DVD, failing);
    EXPECT_FALSE(unreadable.status);
    EXPECT_NE(unreadable.status.message.find("typo"), std::string::npos);
    EXPECT_EQ(unreadable.status.console, "");
}

TEST(RomScan, CapacityEdgeOfBothProfiles) {
    const struct {
        DiscProfile profile;
        std::uint64_t size;
        std::size_t fits;
    } cases[] = {
        {MINI_DVD, 4 * MIB, 345}, {LARGE_DISC, 4 * MIB, 509}, {MINI_DVD, 16 * MIB, 86}, {LARGE_DISC, 16 * MIB, 127}};
    for (const auto& c : cases) {
        EXPECT_TRUE(collection_fits(c.fits * c.size, c.fits, c.profile)) << c.fits;
        EXPECT_FALSE(collection_fits((c.fits + 1) * c.size, c.fits + 1, c.profile)) << c.fits + 1;
    }
    // A total equal to the allowance fits.
    EXPECT_TRUE(collection_fits(MINI_DVD.data_budget - 2048, 1, MINI_DVD));
    EXPECT_FALSE(collection_fits(MINI_DVD.data_budget - 2047, 1, MINI_DVD));
}

TEST(RomScan, CapacityMessageThroughTheScan) {
    EXPECT_TRUE(scan_rom_directory("roms", MINI_DVD, listing_of(roms_of_size(86, 16 * MIB))).status);
    const auto refused = scan_rom_directory("roms", MINI_DVD, listing_of(roms_of_size(87, 16 * MIB)));
    EXPECT_FALSE(refused.status);
    EXPECT_EQ(refused.status.console, "Files would not fit on a Mini DVDR\n");
    // The large profile takes the same collection.
    EXPECT_TRUE(scan_rom_directory("roms", LARGE_DISC, listing_of(roms_of_size(87, 16 * MIB))).status);
}

TEST(RomScan, RefusesMoreRomsThanOneTableHolds) {
    EXPECT_TRUE(scan_rom_directory("roms", LARGE_DISC, listing_of(roms_of_size(252, 4 * MIB))).status);
    const auto refused = scan_rom_directory("roms", LARGE_DISC, listing_of(roms_of_size(253, 4 * MIB)));
    EXPECT_FALSE(refused.status);
    EXPECT_NE(refused.status.message.find("253"), std::string::npos);
    EXPECT_NE(refused.status.message.find("252"), std::string::npos);
    EXPECT_TRUE(refused.value.empty());
    EXPECT_EQ(refused.status.console, "");
}

TEST(RomScan, RealDirectoryOfSparseRoms) {
    testing::ScratchDir dir;
    testing::write_sparse_file(dir.file("b.gba"), 4 * MIB);
    testing::write_sparse_file(dir.file("a.GBA"), 16 * MIB);
    const auto result = scan_rom_directory(dir.path().string(), MINI_DVD, list_rom_files);
    ASSERT_TRUE(result.status);
    ASSERT_EQ(result.value.size(), 2u);
    EXPECT_EQ(result.value[0].file_name, "a.GBA");
    EXPECT_EQ(result.value[1].file_name, "b.gba");
}

// Short names as a volume with 8.3 names would give them.
ShortNameLookup short_names(std::map<std::string, std::string> names) {
    return [names](const std::string& path) {
        const auto found = names.find(std::string(last_component(path)));
        if (found == names.end()) return path;
        return path.substr(0, path.size() - found->first.size()) + found->second;
    };
}

TEST(DiscName, FromShortNamesAndLongNames) {
    const auto lookup = short_names(
        {{"Pokey Quest.gba", "POKEYQ~1.GBA"}, {"Alpha Quest.gba", "ALPHAQ~1.GBA"}, {"Cee~Game.gba", "CEE~GA~1.GBA"}});
    const struct {
        const char* file;
        const char* disc;
    } cases[] = {
        {"Pokey Quest.gba", "pokeyq_1.gba"},
        {"Alpha Quest.gba", "alphaq_1.gba"},
        {"Cee~Game.gba", "cee_ga_1.gba"},
        {"b.gba", "b.gba"},
        {"TETRIX.GBA", "tetrix.gba"},
        {"A Long Name With Spaces (Europe) (En,Fr).gba", "a_long_name_with_spaces_(europe)"},
        {"Caf\xc3\xa9~Bar.GBA", "caf___bar.gba"},
        {"tab\there\x7f.gba", "tab_here_.gba"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(make_disc_name(c.file, "roms", lookup), c.disc) << c.file;
        EXPECT_EQ(make_disc_name(c.file, "roms" + std::string(1, PATH_SEPARATOR), lookup), c.disc) << c.file;
    }
}

TEST(DiscName, MappingLeavesOtherBytesAndCutsAt32) {
    EXPECT_EQ(map_disc_name("Caf\xc3\xa9~Bar.GBA"), "caf___bar.gba");
    EXPECT_EQ(map_disc_name("[!]_x-y+z.gba"), "[!]_x-y+z.gba");
    EXPECT_EQ(map_disc_name(std::string(40, 'Q')), std::string(32, 'q'));
}

TEST(DiscName, CollisionsBecomeUnique) {
    const std::string long32(32, 'x');
    const struct {
        std::vector<std::string> files;
        std::vector<std::string> discs;
    } cases[] = {
        // No collision: names exactly as mapped.
        {{"a.gba", "b.gba"}, {"a.gba", "b.gba"}},
        // Two regional versions that agree in their first 32 characters, and a third.
        {{long32 + " (Europe).gba", long32 + " (USA).gba", long32 + " (Japan).gba"},
         {long32, long32.substr(0, 30) + "_2", long32.substr(0, 30) + "_3"}},
        // Case-only differences map to the same name; the number goes before the extension.
        {{"Game.gba", "GAME.gba"}, {"game.gba", "game_2.gba"}},
        // A name that already ends in "_2" is not given twice.
        {{"game_2.gba", "Game.gba", "game.gba"}, {"game_2.gba", "game.gba", "game_3.gba"}},
        // A full-length name gives way in its stem, keeping the extension.
        {{std::string(28, 'a') + ".gba", std::string(28, 'A') + ".gba"},
         {std::string(28, 'a') + ".gba", std::string(26, 'a') + "_2.gba"}},
    };
    for (const auto& c : cases) {
        RomTable roms;
        for (const auto& file : c.files) roms.push_back({file, {}, {}, 4194304});
        assign_disc_names(roms, "roms", short_path_name);
        std::vector<std::string> got;
        for (const auto& rom : roms) got.push_back(rom.disc_name);
        EXPECT_EQ(got, c.discs);
        for (const auto& name : got) EXPECT_LE(name.size(), 32u);
    }
}

TEST(MenuTitle, ElevenUpperCasedBytesUpToTheFirstNul) {
    const struct {
        std::string field; // the 12 header bytes at 0xA0
        std::string title;
    } cases[] = {
        {"ADVANCEWARS2", "ADVANCEWARS"},
        {std::string("mario\0\0\0\0\0\0\0", 12), "MARIO"},
        {std::string("abc\0defghijk", 12), "ABC"},
        {"a b-c!d.e?fg", "A B-C!D.E?F"},
        {std::string(12, '\0'), ""},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> rom(0x100, 0xEE);
        std::copy(c.field.begin(), c.field.end(), rom.begin() + 0xA0);
        EXPECT_EQ(read_menu_title(rom), c.title);
    }
}

} // namespace
} // namespace kessra
