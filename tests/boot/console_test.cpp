// The boot loader's plan and the program's logic run against real images
// built by the tool: the loader's reads put the program and the file system
// table where the program expects them, and the program finds its skin, its
// menu and a game's details on the disc.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "catalogue/disc_name.hpp"
#include "cli/run.hpp"
#include "host_console.hpp"
#include "platform/paths.hpp"
#include "platform/short_name.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

extern "C" {
#include "common/dol_loader.h"
#include "common/fst.h"
#include "common/menu_table.h"
#include "common/text.h"
}

namespace {

namespace fs = std::filesystem;
using namespace kessra::boot_host;
using kessra::testing::ScratchDir;

constexpr std::uint32_t MIB = 1024 * 1024;

// Builds an image of three ROMs with the given skin and zoom.
std::string build_image(const ScratchDir& dir, int skin, int zoom) {
    fs::create_directory(dir.path() / "roms");
    const std::string roms = dir.file("roms");
    kessra::testing::write_rom(kessra::join_path(roms, "Alpha Quest.gba"), 8 * MIB, "alphaquest");
    kessra::testing::write_rom(kessra::join_path(roms, "b.gba"), 4 * MIB, "bee");
    kessra::testing::write_rom(kessra::join_path(roms, "Cee Game (Europe).gba"), 16 * MIB, "ceegame");
    const std::string image = dir.file("out.iso"), skin_text = std::to_string(skin), zoom_text = std::to_string(zoom);
    const kessra::testing::ToolRun built =
        kessra::testing::run_tool({"-o", image, "-d", roms, "-v", "BOOT", "-ds", skin_text, "-dz", zoom_text});
    EXPECT_EQ(built.status, 0) << built.err;
    return image;
}

TEST(BootLoader, ReadsPlaceTheProgramAndTheTableAsTheProgramExpects) {
    ScratchDir dir;
    const auto image = kessra::testing::read_bytes(build_image(dir, 1, 0));
    const auto read = kessra::testing::read_image(image);
    // Console memory from 0x80000000, as the disc interface would fill it.
    constexpr std::uint32_t BASE = 0x80000000, RAM = 24 * MIB, SCRATCH = 0x81210000;
    std::vector<std::uint8_t> ram(RAM);
    bt_loader loader;
    bt_loader_init(&loader, SCRATCH);
    bt_disc_read next;
    int reads = 0;
    for (int more = 1; more;) {
        more = bt_loader_next(&loader, ram.data() + (SCRATCH - BASE), &next);
        ASSERT_LT(++reads, 40);
        ASSERT_EQ(next.address % 32, 0u);
        ASSERT_EQ(next.length % 32, 0u);
        ASSERT_EQ(next.offset % 4, 0u);
        ASSERT_GE(next.address, BASE);
        ASSERT_LE(next.address - BASE + next.length, RAM);
        const std::size_t n = std::min<std::size_t>(next.length, image.size() - next.offset);
        std::memcpy(ram.data() + (next.address - BASE), image.data() + next.offset, n);
    }
    EXPECT_EQ(reads, 5); // header words, DOL header, one text section, the table, the closing repeat
    EXPECT_FALSE(loader.failed);
    EXPECT_EQ(loader.entry, 0x800A20A0u);
    // The text section, with the patched menu, lies at its load address.
    EXPECT_EQ(0, std::memcmp(ram.data() + (0x80003100 - BASE), image.data() + 0x1DA24, 0x1CEEA0));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ram.data() + (0x801BF528 - BASE))), "001 ALPHAQUEST");
    // The table sits just below 0x81700000, above the program's stack top.
    EXPECT_EQ(loader.fst_size, read.fst_size);
    EXPECT_GE(loader.fst_address, 0x81500000u);
    EXPECT_LE(loader.fst_address + read.fst_size, 0x81700000u);
    EXPECT_GT(loader.fst_address + read.fst_size + 32, 0x81700000u);
    EXPECT_EQ(0, std::memcmp(ram.data() + (loader.fst_address - BASE), image.data() + read.fst_offset, read.fst_size));
    bt_fst_file file;
    ASSERT_TRUE(bt_fst_find(ram.data() + (loader.fst_address - BASE), loader.fst_size, "F_01.tpl", &file));
    EXPECT_EQ(file.length, 0x85040u);
}

TEST(BootLoader, SectionsOutsideTheProgramAreaAreSkipped) {
    struct Case {
        const char* what;
        std::uint32_t address, size;
    };
    const Case cases[] = {{"over the system area", 0x80000000, 0x100},
                          {"over the loader", 0x811FFF00, 0x200},
                          {"unaligned", 0x80003104, 0x20},
                          {"wrapping round", 0x80003100, 0xFFFFFFE0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> scratch(0x100);
        bt_loader loader;
        bt_loader_init(&loader, 0x81210000);
        bt_disc_read next;
        ASSERT_EQ(bt_loader_next(&loader, scratch.data(), &next), 1); // header words
        scratch[3] = 0x40;                                            // program at 0x40, no table
        ASSERT_EQ(bt_loader_next(&loader, scratch.data(), &next), 1); // DOL header
        EXPECT_EQ(next.offset, 0x40u);
        std::fill(scratch.begin(), scratch.end(), 0);
        for (std::size_t i = 0; i < 4; ++i) {
            scratch[0x48 + i] = static_cast<std::uint8_t>(c.address >> (24 - 8 * i));
            scratch[0x90 + i] = static_cast<std::uint8_t>(c.size >> (24 - 8 * i));
        }
        EXPECT_EQ(bt_loader_next(&loader, scratch.data(), &next), 0);
        EXPECT_TRUE(loader.failed);
        EXPECT_EQ(next.address, 0x81210000u); // only the harmless closing read
    }
}

TEST(BootConsole, MenuDetailsAndBackOnABuiltImage) {
    ScratchDir dir;
    HostConsole console;
    std::string error;
    ASSERT_TRUE(console.open(build_image(dir, 1, 2), error)) << error;
    const bt_app& app = console.app();
    EXPECT_EQ(app.skin, 1);
    EXPECT_EQ(app.zoom, 2);
    EXPECT_EQ(app.skin_status, 0);
    EXPECT_EQ(app.menu.count, 3);
    for (std::uint32_t word : {PAD_DOWN, PAD_NEUTRAL, PAD_DOWN, PAD_NEUTRAL}) console.input(word);
    EXPECT_EQ(app.menu.cursor, 2);
    EXPECT_EQ(app.play, -1);
    EXPECT_TRUE(console.input(PAD_A)); // the game under the cursor is to start
    EXPECT_EQ(app.play, 2);
    EXPECT_EQ(app.menu.page, BT_PAGE_MENU);
    console.input(PAD_NEUTRAL);
    EXPECT_TRUE(console.input(PAD_Y));
    ASSERT_EQ(app.menu.page, BT_PAGE_DETAILS);
    const bt_details& d = app.details;
    EXPECT_EQ(d.number, 2);
    EXPECT_TRUE(d.index_ok);
    EXPECT_TRUE(d.rom_ok);
    // The disc name comes from the short (8.3) name where the volume keeps one.
    const std::string disc_path =
        "roms/" + kessra::make_disc_name("Cee Game (Europe).gba", dir.file("roms"), kessra::short_path_name);
    EXPECT_EQ(std::string(d.path), disc_path);
    EXPECT_STREQ(d.title, "ceegame");
    EXPECT_EQ(d.rom_size, 16 * MIB);
    EXPECT_EQ(std::string(d.index_text).rfind("; Auto generated by kessra\n" + disc_path + "\t;", 0), 0u);
    const auto details = console.frame_rgb();
    console.input(PAD_NEUTRAL);
    EXPECT_TRUE(console.input(PAD_B));
    EXPECT_EQ(app.menu.page, BT_PAGE_MENU);
    const auto menu = console.frame_rgb();
    EXPECT_NE(details, menu);
    // The cursor bar is on the third row of the full-size lettering.
    const bt_text_metrics m = bt_zoom_metrics(2);
    const auto at = [&](int x, int y) { return menu[static_cast<std::size_t>(y * SCREEN_WIDTH + x)]; };
    EXPECT_EQ(at(BT_PANEL_X + 1, BT_PANEL_Y + 2 * m.row_height + 1), 0xFFD65Au);
    EXPECT_NE(at(BT_PANEL_X + 1, BT_PANEL_Y + 1 * m.row_height + 1), 0xFFD65Au);
}

TEST(BootConsole, UnreadableSkinAndMissingControllerStillShowTheMenu) {
    ScratchDir dir;
    const std::string image = build_image(dir, 3, 0);
    {
        // Damage F_03.tpl's magic in the image.
        const auto bytes = kessra::testing::read_bytes(image);
        const auto read = kessra::testing::read_image(bytes);
        std::uint32_t offset = 0;
        for (const auto& e : read.entries)
            if (e.name == "F_03.tpl") offset = e.word1;
        ASSERT_NE(offset, 0u);
        std::FILE* f = std::fopen(image.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fseek(f, static_cast<long>(offset), SEEK_SET), 0);
        ASSERT_EQ(std::fputc(0x77, f), 0x77);
        ASSERT_EQ(std::fclose(f), 0);
    }
    HostConsole console;
    std::string error;
    ASSERT_TRUE(console.open(image, error)) << error;
    EXPECT_NE(console.app().skin_status, 0);
    EXPECT_EQ(console.app().menu.count, 3);
    EXPECT_TRUE(console.input(PAD_ABSENT)); // the footer changes
    EXPECT_FALSE(console.app().pad_present);
    EXPECT_FALSE(console.input(PAD_ABSENT));
    const auto frame = console.frame_rgb();
    EXPECT_NE(frame[0], frame[479 * SCREEN_WIDTH]); // the fallback gradient, not one flat colour
}

// The program with a menu table in memory and no disc at all.
struct NoDisc {
    static int fail(void*, std::uint32_t, void*, std::uint32_t) { return -1; }
    std::vector<std::uint8_t> table = std::vector<std::uint8_t>(BT_MENU_SLOT_COUNT * BT_MENU_SLOT_SIZE);
    std::vector<std::uint8_t> fst = std::vector<std::uint8_t>(12);
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(64);
    std::vector<std::uint32_t> background = std::vector<std::uint32_t>(SCREEN_WIDTH * SCREEN_HEIGHT);
    bt_app app{};
    void start(int games, const char* odd_title = nullptr) {
        for (int i = 0; i < games; ++i) {
            const std::string text = (i < 9    ? "00"
                                      : i < 99 ? "0"
                                               : "") +
                                     std::to_string(i + 1) + " GAME" + std::to_string(i + 1);
            std::memcpy(table.data() + i * BT_MENU_SLOT_SIZE, text.data(), text.size());
        }
        if (odd_title != nullptr) std::memcpy(table.data(), odd_title, std::strlen(odd_title));
        bt_app_env env{};
        env.read = fail;
        env.fst = fst.data();
        env.fst_size = static_cast<std::uint32_t>(fst.size());
        env.menu_table = table.data();
        env.skin_digit = '9'; // out of range: skin 0
        env.zoom_digit = 'x';
        env.file_buffer = buffer.data();
        env.file_capacity = static_cast<std::uint32_t>(buffer.size());
        env.background = {background.data(), SCREEN_WIDTH, SCREEN_HEIGHT};
        bt_app_start(&app, &env);
    }
    std::vector<std::uint32_t> frame() {
        std::vector<std::uint32_t> px(SCREEN_WIDTH * SCREEN_HEIGHT);
        bt_canvas c{px.data(), SCREEN_WIDTH, SCREEN_HEIGHT};
        bt_app_draw(&app, &c);
        return px;
    }
};

TEST(BootConsole, EmptyFullAndOddMenusWithoutADisc) {
    {
        NoDisc empty;
        empty.start(0);
        EXPECT_EQ(empty.app.skin, 0);
        EXPECT_EQ(empty.app.zoom, 0);
        EXPECT_NE(empty.app.skin_status, 0);
        EXPECT_FALSE(bt_app_input(&empty.app, PAD_Y)); // nothing to open
        EXPECT_FALSE(bt_app_input(&empty.app, PAD_A)); // nor to play
        EXPECT_EQ(empty.app.play, -1);
        EXPECT_EQ(empty.app.menu.page, BT_PAGE_MENU);
        empty.frame();
    }
    {
        NoDisc full;
        full.start(252);
        EXPECT_EQ(full.app.menu.count, 252);
        const auto first = full.frame();
        bt_app_input(&full.app, PAD_UP); // wraps to the last game, scrolled into view
        EXPECT_EQ(full.app.menu.cursor, 251);
        EXPECT_EQ(full.app.menu.top, 252 - bt_zoom_metrics(0).rows);
        EXPECT_NE(full.frame(), first);
        bt_app_input(&full.app, PAD_NEUTRAL);
        bt_app_input(&full.app, PAD_Y); // details without a disc: nothing found, still a page
        EXPECT_EQ(full.app.menu.page, BT_PAGE_DETAILS);
        EXPECT_FALSE(full.app.details.index_ok);
        EXPECT_FALSE(full.app.details.rom_ok);
        full.frame();
    }
    {
        NoDisc odd;
        odd.start(2, "001 \xFF\x01\x80\x7F");
        EXPECT_EQ(odd.app.menu.count, 2);
        NoDisc plain;
        plain.start(2, "001 ????");
        EXPECT_NE(odd.frame(), plain.frame()); // odd bytes show as boxes, not as nothing
    }
}

} // namespace
