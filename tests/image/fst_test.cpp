#include <gtest/gtest.h>

#include "image/fst.hpp"
#include "image/layout.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

// Collects the entries a build adds for these disc names and sizes, with
// consecutive data offsets from `data_start`.
FstBuilder collect(const std::vector<std::string>& disc_names, const std::vector<std::uint32_t>& sizes,
                   std::uint32_t data_start) {
    FstBuilder fst;
    const auto n = static_cast<std::uint32_t>(disc_names.size());
    EXPECT_TRUE(add_fst_entry(fst, "", FstKind::directory, 0, 0));
    EXPECT_TRUE(add_fst_entry(fst, "roms", FstKind::directory, 0, n + 2));
    std::uint32_t offset = data_start;
    for (std::size_t i = 0; i < disc_names.size(); ++i) {
        EXPECT_TRUE(add_fst_entry(fst, disc_names[i], FstKind::file, offset, sizes[i]));
        offset += sizes[i];
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "index.%03u", i);
        EXPECT_TRUE(add_fst_entry(fst, name, FstKind::file, offset, 2048));
        offset += 2048;
    }
    for (const char* skin : {"F_00.tpl", "F_01.tpl", "F_02.tpl", "F_03.tpl"}) {
        EXPECT_TRUE(add_fst_entry(fst, skin, FstKind::file, offset, 544832));
        offset += 544832 + 1984;
    }
    EXPECT_TRUE(add_fst_entry(fst, "opening.bnr", FstKind::file, offset, 6496));
    return fst;
}

std::vector<std::uint8_t> written(FstBuilder& fst, std::uint32_t& size) {
    testing::ScratchDir dir;
    auto file = create_new_file(dir.file("fst"), "fst", FileMode::binary);
    EXPECT_TRUE(file);
    const auto result = write_fst(file.value, fst, 0);
    EXPECT_TRUE(result);
    size = result.value;
    EXPECT_TRUE(close_file(file.value));
    return testing::read_bytes(dir.file("fst"));
}

std::vector<std::uint8_t> words(std::initializer_list<std::uint32_t> values) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t v : values) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(v >> shift));
    }
    return bytes;
}

TEST(FileSystemTable, OneRomByteForByte) {
    RomTable roms{{"b.gba", "b.gba", "", 4194304}};
    EXPECT_EQ(rom_name_bytes(roms), 16u);
    EXPECT_EQ(fst_reserve_sectors(16, 1), 1u);

    FstBuilder fst = collect({"b.gba"}, {4194304}, 0x1ED800);
    std::uint32_t size = 0;
    const auto bytes = written(fst, size);
    EXPECT_EQ(size, 177u);
    EXPECT_EQ(fst_size(16, 1), 177u);
    ASSERT_EQ(bytes.size(), 177u);
    EXPECT_EQ(fst.entry_count, 9u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 36),
              words({0x01000000, 0, 9, 0x01000000, 0, 3, 5, 0x1ED800, 0x400000}));
    const std::string strings(bytes.begin() + 108, bytes.end());
    EXPECT_EQ(strings,
              std::string("roms\0b.gba\0index.000\0F_00.tpl\0F_01.tpl\0F_02.tpl\0F_03.tpl\0opening.bnr\0", 69));
    const std::uint32_t name_offsets[] = {0, 0, 5, 11, 21, 30, 39, 48, 57};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(testing::be32_at(bytes, i * 12) & 0xFFFFFF, name_offsets[i]);
}

TEST(FileSystemTable, ThreeRomsNameOffsetsAndSizes) {
    const std::vector<std::string> names = {"alphaq_1.gba", "b.gba", "cee_ga_1.gba"};
    RomTable roms;
    for (const auto& name : names) roms.push_back({name, name, "", 4194304});
    EXPECT_EQ(rom_name_bytes(roms), 62u);
    EXPECT_EQ(fst_reserve_sectors(62, 3), 1u);

    FstBuilder fst = collect(names, {8388608, 4194304, 16777216}, 0x1ED800);
    std::uint32_t size = 0;
    const auto bytes = written(fst, size);
    EXPECT_EQ(size, 271u);
    EXPECT_EQ(fst.entry_count, 13u);
    EXPECT_EQ(fst.string_length, 115u);
    EXPECT_EQ(testing::be32_at(bytes, 8), 13u);
    EXPECT_EQ(testing::be32_at(bytes, 12 + 8), 5u);
    const std::uint32_t expected[] = {5, 18, 24, 37, 47, 57, 67, 76, 85, 94, 103};
    for (std::size_t i = 0; i < 11; ++i) EXPECT_EQ(testing::be32_at(bytes, (i + 2) * 12), expected[i]) << i;
}

TEST(FileSystemTable, ReserveAlwaysExceedsTheFinishedTable) {
    // The table starts 196 bytes past a sector boundary.
    const std::uint32_t start_in_sector = FST_OFFSET % SECTOR_SIZE;
    ASSERT_EQ(start_in_sector, 196u);
    for (std::uint32_t n = 1; n <= 252; ++n) {
        for (std::uint32_t name_length = 1; name_length <= 32; ++name_length) {
            const std::uint32_t s = n * (name_length + 11);
            if (fst_string_table_size(s) > FST_STRING_TABLE_SIZE) continue;
            const std::uint64_t reserved_end =
                round_up_to_sector(FST_OFFSET + std::uint64_t{fst_reserve_sectors(s, n)} * SECTOR_SIZE);
            EXPECT_GT(reserved_end, FST_OFFSET + fst_size(s, n)) << n << " " << name_length;
        }
    }
}

TEST(FileSystemTable, CapacityOfTheNameTable) {
    const auto table = [](std::size_t count, std::size_t name_length) {
        RomTable roms(count);
        for (auto& rom : roms) rom.disc_name = std::string(name_length, 'n');
        return roms;
    };
    EXPECT_TRUE(check_fst_capacity(table(189, 32)));
    const Status refused = check_fst_capacity(table(190, 32));
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.message.find("8192"), std::string::npos);
    EXPECT_TRUE(check_fst_capacity(table(252, 12)));
    EXPECT_FALSE(check_fst_capacity(table(253, 1)));
}

// The plan of an image and the table made from it agree with a table built
// entry by entry, for collections of every ROM size.
TEST(ImagePlan, TableFromThePlanMatchesOneBuiltByHand) {
    const struct {
        std::vector<std::string> names;
        std::vector<std::uint32_t> sizes;
    } cases[] = {
        {{"b.gba"}, {4194304}},
        {{"alphaq_1.gba", "b.gba", "cee_ga_1.gba"}, {8388608, 4194304, 16777216}},
        {std::vector<std::string>(40, "a_long_disc_name_of_32_bytes.gba"), std::vector<std::uint32_t>(40, 16777216)},
    };
    for (const auto& c : cases) {
        RomTable roms;
        for (std::size_t i = 0; i < c.names.size(); ++i) roms.push_back({c.names[i], c.names[i], "", c.sizes[i]});
        const ImageLayout layout = plan_image_layout(roms);
        FstBuilder from_plan;
        ASSERT_TRUE(fill_fst(from_plan, layout));
        FstBuilder by_hand = collect(c.names, c.sizes, static_cast<std::uint32_t>(layout.data_start));
        std::uint32_t plan_size = 0;
        std::uint32_t hand_size = 0;
        EXPECT_EQ(written(from_plan, plan_size), written(by_hand, hand_size)) << c.names.size() << " ROMs";
        EXPECT_EQ(plan_size, hand_size);
    }
}

TEST(ImagePlan, RegionsFollowOneAnotherWithoutOverlap) {
    RomTable roms{{"x.gba", "x.gba", "", 8388608}, {"y.gba", "y.gba", "", 4194304}};
    const ImageLayout layout = plan_image_layout(roms);
    ASSERT_EQ(layout.regions.size(), 2u + 2u + 4u + 1u);
    EXPECT_GT(layout.data_start, layout.fst_offset + fst_size(rom_name_bytes(roms), 2));
    EXPECT_EQ(layout.data_start % SECTOR_SIZE, 0u);
    std::uint64_t end = layout.data_start;
    for (const Region& region : layout.regions) {
        EXPECT_GE(region.offset, end) << region.file_name;
        // Skins and the banner start on a sector; ROMs and index files follow on directly.
        if (region.source == RegionSource::skin || region.source == RegionSource::banner) {
            EXPECT_EQ(region.offset % SECTOR_SIZE, 0u) << region.file_name;
            EXPECT_EQ(region.offset, round_up_to_sector(end)) << region.file_name;
        } else {
            EXPECT_EQ(region.offset, end) << region.file_name;
        }
        end = region.offset + region.size;
    }
    EXPECT_EQ(layout.content_end, round_up_to_sector(end));
    EXPECT_EQ(layout.regions[3].file_name, "index.001");
    EXPECT_EQ(regions_of(layout, RegionSource::skin).size(), std::size_t{SKIN_COUNT});
}

TEST(FileSystemTable, BuilderNeverWritesPastItsTables) {
    FstBuilder fst;
    ASSERT_TRUE(add_fst_entry(fst, "", FstKind::directory, 0, 0));
    const std::string long_name(4000, 'x');
    EXPECT_TRUE(add_fst_entry(fst, long_name, FstKind::file, 0, 1));
    EXPECT_TRUE(add_fst_entry(fst, long_name, FstKind::file, 0, 1));
    EXPECT_FALSE(add_fst_entry(fst, std::string(200, 'y'), FstKind::file, 0, 1)); // 8002 + 201 > 8192
    EXPECT_EQ(fst.entry_count, 3u);
    while (fst.entry_count < FST_MAX_ENTRIES) ASSERT_TRUE(add_fst_entry(fst, "", FstKind::file, 0, 0));
    EXPECT_FALSE(add_fst_entry(fst, "", FstKind::file, 0, 0));
    EXPECT_EQ(fst.entry_count, FST_MAX_ENTRIES);
}

} // namespace
} // namespace kessra
