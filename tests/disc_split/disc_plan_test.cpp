#include <gtest/gtest.h>

#include "catalogue/disc_name.hpp"
#include "disc_split/disc_naming.hpp"
#include "disc_split/disc_plan.hpp"
#include "disc_split/split_report.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

constexpr std::uint32_t MIB = 1024 * 1024;

struct Collection {
    RomTable roms;
    std::vector<std::string> base_names;
};

// `count` ROMs of `size` whose disc names are `name_length` characters long, all different.
Collection collection(std::size_t count, std::uint32_t size, std::size_t name_length = 12) {
    Collection c;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        std::string name(1, 'r');
        name.append(name_length - std::min(name_length, number.size() + 5), 'x').append(number).append(".gba");
        c.roms.push_back({name, {}, {}, size});
        c.base_names.push_back(name);
    }
    return c;
}

std::vector<std::size_t> disc_sizes(const std::vector<PlannedDisc>& discs) {
    std::vector<std::size_t> sizes;
    for (const auto& disc : discs) sizes.push_back(disc.roms.size());
    return sizes;
}

TEST(DiscPlan, ClosesADiscWhenTheNextRomWouldBreakALimit) {
    const struct {
        const char* what;
        std::size_t count;
        std::uint32_t size;
        std::size_t name_length;
        DiscProfile profile;
        std::vector<std::size_t> want;
    } cases[] = {
        {"ROM count", 300, 4 * MIB, 12, MINI_DVD, {252, 48}},
        {"data budget", 100, 16 * MIB, 12, MINI_DVD, {86, 14}},
        {"name bytes", 250, 4 * MIB, 32, MINI_DVD, {189, 61}},
        {"larger medium's budget", 300, 16 * MIB, 12, LARGE_DISC, {127, 127, 46}},
        {"exactly full", 252, 4 * MIB, 12, MINI_DVD, {252}},
        {"one ROM", 1, 16 * MIB, 32, MINI_DVD, {1}},
    };
    for (const auto& c : cases) {
        const Collection set = collection(c.count, c.size, c.name_length);
        const auto plan = plan_discs(set.roms, set.base_names, c.profile, "roms");
        ASSERT_TRUE(plan) << c.what << ": " << plan.status.message;
        EXPECT_EQ(disc_sizes(plan.value), c.want) << c.what;
        std::size_t next = 0;
        for (const auto& disc : plan.value) {
            EXPECT_EQ(disc.first, next) << c.what;
            for (std::size_t i = 0; i < disc.roms.size(); ++i) {
                EXPECT_EQ(disc.roms[i].file_name, set.roms[next + i].file_name) << c.what;
            }
            next += disc.roms.size();
        }
        EXPECT_EQ(next, c.count) << c.what;
    }
}

TEST(DiscPlan, DiscNamesAreMadeUniquePerDisc) {
    // Every ROM has the same name: each disc numbers its own duplicates.
    Collection set = collection(260, 4 * MIB);
    std::fill(set.base_names.begin(), set.base_names.end(), "game.gba");
    const auto plan = plan_discs(set.roms, set.base_names, MINI_DVD, "roms");
    ASSERT_TRUE(plan) << plan.status.message;
    ASSERT_EQ(disc_sizes(plan.value), (std::vector<std::size_t>{252, 8}));
    RomTable whole = set.roms;
    for (std::size_t i = 0; i < whole.size(); ++i) whole[i].disc_name = set.base_names[i];
    const ShortNameLookup same_name = [](const std::string&) { return std::string("game.gba"); };
    assign_disc_names(whole, "roms", same_name);
    for (std::size_t i = 0; i < 252; ++i) EXPECT_EQ(plan.value[0].roms[i].disc_name, whole[i].disc_name);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(plan.value[1].roms[i].disc_name, whole[i].disc_name);
}

TEST(DiscPlan, RefusesARomThatFitsNoDiscAndMoreThan99Discs) {
    // A medium whose budget holds one 4 MiB ROM and its index file.
    const DiscProfile one_rom{712880, 4 * MIB + 2048, 300};
    const Collection fits = collection(99, 4 * MIB);
    const auto most = plan_discs(fits.roms, fits.base_names, one_rom, "roms");
    ASSERT_TRUE(most) << most.status.message;
    EXPECT_EQ(most.value.size(), 99u);

    const Collection too_many = collection(100, 4 * MIB);
    const auto refused = plan_discs(too_many.roms, too_many.base_names, one_rom, "roms");
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.status.message, "roms: the 100 ROMs need more than 99 discs");

    Collection big = collection(3, 4 * MIB);
    big.roms[1].size = 8 * MIB;
    const auto alone = plan_discs(big.roms, big.base_names, one_rom, "roms");
    EXPECT_FALSE(alone);
    EXPECT_NE(alone.status.message.find(big.roms[1].file_name + ": this ROM alone breaks the disc's data budget"),
              std::string::npos)
        << alone.status.message;
}

TEST(DiscNaming, ImagePathsAndLabels) {
    const struct {
        const char* path;
        std::size_t number;
        const char* want;
    } paths[] = {{"out/set.iso", 2, "out/set_2.iso"},
                 {"set", 1, "set_1"},
                 {"a.b/set", 3, "a.b/set_3"},
                 {"x.tar.gcm", 12, "x.tar_12.gcm"},
                 {"dir/.iso", 1, "dir/.iso_1"},
                 {"out.d/set", 2, "out.d/set_2"},
                 {"./set", 1, "./set_1"},
                 {"../x.y/.hidden", 4, "../x.y/.hidden_4"}};
    for (const auto& c : paths) EXPECT_EQ(disc_image_path(c.path, c.number), c.want) << c.path;

    EXPECT_EQ(disc_volume_label("GAMES", 1, 3), "GAMES 1/3");
    const std::string fits(255, 'L');
    EXPECT_EQ(disc_volume_label(fits, 2, 2), fits + " 2/2");
    const std::string too_long(256, 'L');
    EXPECT_EQ(disc_volume_label(too_long, 1, 2), too_long);
    // " 10/10" does not fit after 254 characters, so no disc is numbered.
    const std::string wide(254, 'L');
    EXPECT_EQ(disc_volume_label(wide, 1, 10), wide);
    EXPECT_EQ(disc_volume_label(wide, 1, 9), wide + " 1/9");
}

TEST(SplitReport, DiscLinesAndClosingBlock) {
    const Collection set = collection(300, 4 * MIB);
    const auto plan = plan_discs(set.roms, set.base_names, MINI_DVD, "roms");
    ASSERT_TRUE(plan);
    const std::vector<std::string> images = {"out_1.iso", "out_2.iso"};
    testing::CapturedOutput unpadded;
    print_disc_lines(plan.value, images, false, MINI_DVD, unpadded.stream());
    // Boot area and the first reserve sector, the other reserve sectors (6 and 2 in all), ROMs, index
    // files, skins and banner.
    const std::uint64_t first = 0x1ED800 + 5 * 2048 + 252ull * (4 * MIB + 2048) + 4 * 267 * 2048 + 4 * 2048;
    const std::uint64_t second = 0x1ED800 + 1 * 2048 + 48ull * (4 * MIB + 2048) + 4 * 267 * 2048 + 4 * 2048;
    EXPECT_EQ(unpadded.text(), "Disc 1/2      : out_1.iso, ROMs 001 to 252, " + std::to_string(first) +
                                   " bytes\nDisc 2/2      : out_2.iso, ROMs 253 to 300, " + std::to_string(second) +
                                   " bytes\n");
    testing::CapturedOutput padded;
    print_disc_lines(plan.value, images, true, MINI_DVD, padded.stream());
    EXPECT_NE(padded.text().find("ROMs 253 to 300, 1459978240 bytes\n"), std::string::npos) << padded.text();

    testing::CapturedOutput closing;
    print_split_closing(images, {}, closing.stream());
    EXPECT_EQ(closing.text(), "\nAll Tasks Completed OK!\n\n2 images written; please refer to the generated text "
                              "files for listing:\n  out_1.iso.txt\n  out_2.iso.txt\n"
                              "Thank you for helping test 'kessra'");
    testing::CapturedOutput stale;
    print_split_closing(images, {"out_3.iso", "out_\x01.iso"}, stale.stream());
    EXPECT_NE(stale.text().find("  out_2.iso.txt\nNot part of this set, left from an earlier run:\n  out_3.iso\n"
                                "  out_?.iso\nThank you"),
              std::string::npos)
        << stale.text();
}

} // namespace
} // namespace kessra
