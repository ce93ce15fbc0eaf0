#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/disc_profile.hpp"
#include "image/boot_area.hpp"
#include "format/disc_format.hpp"
#include "image/menu_patch.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes a boot area into a fresh file, runs `then` on it and returns the file's bytes.
template <typename Then> Bytes boot_area_image(const std::string& label, std::string& console, Then then) {
    testing::ScratchDir dir;
    auto created = create_new_file(dir.file("img"), "img", FileMode::binary);
    EXPECT_TRUE(created);
    console.clear();
    const auto offsets =
        write_boot_area(created.value, label, builtin_payloads(), [&](std::string_view text) { console += text; });
    EXPECT_TRUE(offsets);
    EXPECT_EQ(offsets.value.program_image, PROGRAM_IMAGE_OFFSET);
    EXPECT_EQ(offsets.value.fst, FST_OFFSET);
    then(created.value);
    EXPECT_TRUE(close_file(created.value));
    return testing::read_bytes(dir.file("img"));
}

Bytes range(const Bytes& bytes, std::size_t from, std::size_t length) {
    return {bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + length)};
}

TEST(BootArea, HeaderLoaderAndProgramImage) {
    std::string console;
    const Bytes image = boot_area_image("GAMES", console, [](File&) {});
    EXPECT_EQ(console, "DVD Header    : OK\nCustom DOL    : OK\n");
    ASSERT_EQ(image.size(), FST_OFFSET);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 6), "D89E01");
    EXPECT_EQ(range(image, 0x1C, 4), (Bytes{0xC2, 0x33, 0x9F, 0x3D}));
    EXPECT_EQ(std::string(image.begin() + 0x20, image.begin() + 0x25), "GAMES");
    const auto zero = [](std::uint8_t b) { return b == 0; };
    EXPECT_TRUE(std::all_of(image.begin() + 6, image.begin() + 0x1C, zero));
    EXPECT_TRUE(std::all_of(image.begin() + 0x25, image.begin() + 0x2440, zero));
    const auto& payloads = builtin_payloads();
    EXPECT_EQ(range(image, 0x2440, 0x1B4E4), Bytes(payloads.apploader_blob.begin(), payloads.apploader_blob.end()));
    EXPECT_EQ(range(image, 0x1D924, 0x1CEFA0), Bytes(payloads.program_image.begin(), payloads.program_image.end()));
}

TEST(BootArea, HeaderWordsAndOneCharacterLabel) {
    std::string console;
    const Bytes image = boot_area_image(
        "X", console, [](File& file) { ASSERT_TRUE(write_header_offsets(file, 0x1D924, 0x1EC8C4, 0x10F)); });
    EXPECT_EQ(image[0x20], 'X');
    EXPECT_EQ(image[0x21], 0);
    EXPECT_EQ(range(image, 0x420, 16), (Bytes{0, 1, 0xD9, 0x24, 0, 0x1E, 0xC8, 0xC4, 0, 0, 1, 0x0F, 0, 0, 1, 0x0F}));
}

TEST(MenuPatch, SlotsEmptySlotAndSettingsInTheImageOnly) {
    const auto& payloads = builtin_payloads();
    const Bytes carried(payloads.program_image.begin(), payloads.program_image.end());
    RomTable roms{{"m.gba", "m.gba", "MARIO", 4194304}, {"e.gba", "e.gba", "ELEVENCHARS", 4194304}};
    std::string console;
    const Bytes image = boot_area_image("L", console, [&](File& file) {
        ASSERT_TRUE(patch_menu_table(file, roms, MINI_DVD.menu_limit));
        ASSERT_TRUE(patch_settings(file, 3, 0));
    });
    EXPECT_EQ(range(image, MENU_TABLE_OFFSET, 16),
              Bytes({'0', '0', '1', ' ', 'M', 'A', 'R', 'I', 'O', 0, 0, 0, 0, 0, 0, 0}));
    const Bytes eleven = range(image, MENU_TABLE_OFFSET + 16, 16);
    EXPECT_EQ(std::string(eleven.begin(), eleven.begin() + 15), "002 ELEVENCHARS");
    EXPECT_EQ(eleven[15], 0);
    EXPECT_EQ(range(image, MENU_TABLE_OFFSET + 32, 16), Bytes(16, 0));
    EXPECT_EQ(image[SKIN_DIGIT_OFFSET], 0x33);
    EXPECT_EQ(image[ZOOM_DIGIT_OFFSET], 0x30);
    // Everything else of the program image is as carried, and the carried copy is unchanged.
    for (std::size_t i = 0; i < carried.size(); ++i) {
        const std::size_t at = PROGRAM_IMAGE_OFFSET + i;
        const bool patched = (at >= MENU_TABLE_OFFSET && at < MENU_TABLE_OFFSET + 48) || at == SKIN_DIGIT_OFFSET ||
                             at == ZOOM_DIGIT_OFFSET;
        if (!patched) {
            ASSERT_EQ(image[at], carried[i]) << "image offset " << at;
        }
    }
    EXPECT_EQ(Bytes(payloads.program_image.begin(), payloads.program_image.end()), carried);
    EXPECT_EQ(std::string(carried.begin() + MENU_TABLE_DOL_OFFSET, carried.begin() + MENU_TABLE_DOL_OFFSET + 16),
              std::string("000 GAMENUMB001\0", 16));
}

TEST(MenuPatch, NoEmptySlotFromTheMenuLimitOn) {
    RomTable roms(3, RomRecord{"a.gba", "a.gba", "A", 4194304});
    std::string console;
    const Bytes image =
        boot_area_image("L", console, [&](File& file) { ASSERT_TRUE(patch_menu_table(file, roms, 3)); });
    EXPECT_EQ(std::string(image.begin() + MENU_TABLE_OFFSET + 48, image.begin() + MENU_TABLE_OFFSET + 64),
              std::string("000 GAMENUMB004\0", 16));
}

TEST(MenuPatch, SlotText) {
    EXPECT_EQ(make_menu_slot(1, "MARIO"), (MenuSlot{'0', '0', '1', ' ', 'M', 'A', 'R', 'I', 'O'}));
    const MenuSlot full = make_menu_slot(252, "ABCDEFGHIJK");
    EXPECT_EQ(std::string(full.begin(), full.end()), std::string("252 ABCDEFGHIJK\0", 16));
}

} // namespace
} // namespace kessra
