// The boot loader's decisions on a hostile program header, on the host: what
// it loads, which ranges its close touches, and that a refused program is
// never started; and the cache loop's line count for any range.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

extern "C" {
#include "common/bytes.h"
#include "common/dol_loader.h"
#include "common/yuv.h"
}

namespace {

constexpr std::uint32_t SCRATCH = 0x81210000;

struct Section {
    int index; // 0..6 text, 7..17 data
    std::uint32_t file_offset, address, size;
};

struct Header {
    std::vector<Section> sections = {{0, 0x100, 0x80003100, 0x1CEEA0}};
    std::uint32_t bss_address = 0, bss_size = 0, entry = 0x800A20A0;
};

void put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Runs the loader's reads for a program at disc offset 0x1D924 with `header`,
// counting the section reads; leaves the loader done.
int run_reads(const Header& header, bt_loader& loader) {
    bt_loader_init(&loader, SCRATCH);
    std::vector<std::uint8_t> scratch(BT_DOL_HEADER_SIZE);
    bt_disc_read next;
    bt_loader_next(&loader, scratch.data(), &next); // the header words
    put(scratch, 0, 0x1D924);                       // program image; no table
    bt_loader_next(&loader, scratch.data(), &next); // the DOL header
    std::fill(scratch.begin(), scratch.end(), 0);
    for (const Section& s : header.sections) {
        put(scratch, 4 * static_cast<std::size_t>(s.index), s.file_offset);
        put(scratch, 0x48 + 4 * static_cast<std::size_t>(s.index), s.address);
        put(scratch, 0x90 + 4 * static_cast<std::size_t>(s.index), s.size);
    }
    put(scratch, 0xD8, header.bss_address);
    put(scratch, 0xDC, header.bss_size);
    put(scratch, 0xE0, header.entry);
    int section_reads = 0;
    while (bt_loader_next(&loader, scratch.data(), &next)) {
        if (next.address != SCRATCH) ++section_reads;
        if (section_reads > BT_DOL_SECTIONS) break;
    }
    EXPECT_EQ(next.address, SCRATCH) << "the closing read is the harmless one";
    return section_reads;
}

TEST(BootLoaderClose, StartsOnlyAProgramWhoseHeaderHolds) {
    struct Case {
        const char* what;
        Header header;
        bool start;
    };
    const auto with = [](auto change) {
        Header header;
        change(header);
        return header;
    };
    const Case cases[] = {
        {"the built-in program", Header{}, true},
        {"BSS inside the area", with([](Header& h) { h.bss_address = 0x80300000, h.bss_size = 0x1000; }), true},
        {"BSS ending at the loader", with([](Header& h) { h.bss_address = 0x811FF000, h.bss_size = 0x1000; }), true},
        {"BSS one byte into the loader", with([](Header& h) { h.bss_address = 0x811FF000, h.bss_size = 0x1001; }),
         false},
        {"BSS above the loader, wrapping round",
         with([](Header& h) { h.bss_address = 0x81300000, h.bss_size = 0xFFFFFFF0; }), false},
        {"BSS above the loader, small", with([](Header& h) { h.bss_address = 0x81300000, h.bss_size = 0x10; }), false},
        {"BSS below the program area", with([](Header& h) { h.bss_address = 0x80003000, h.bss_size = 0x20; }), false},
        {"entry at the text's first byte", with([](Header& h) { h.entry = 0x80003100; }), true},
        {"entry just past the text", with([](Header& h) { h.entry = 0x80003100 + 0x1CEEA0; }), false},
        {"entry in no section", with([](Header& h) { h.entry = 0x81100000; }), false},
        {"entry in a data section", with([](Header& h) {
             h.sections.push_back({7, 0x1CF000, 0x80400000, 0x100});
             h.entry = 0x80400000;
         }),
         false},
        {"a data section over the loader", with([](Header& h) {
             h.sections.push_back({10, 0x1CF000, 0x811FFF00, 0x200});
         }),
         false},
        {"a data section whose disc offset wraps round", with([](Header& h) {
             h.sections.push_back({8, 0xFFFFFFFC, 0x80400000, 0x100});
         }),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bt_loader loader;
        run_reads(c.header, loader);
        bt_close_plan plan;
        bt_loader_close_plan(&loader, &plan);
        EXPECT_EQ(plan.start, c.start ? 1 : 0);
        if (!c.start) {
            // Nothing is touched: no cache operation, no BSS cleared.
            EXPECT_EQ(plan.section_count, 0u);
            EXPECT_EQ(plan.bss.length, 0u);
            continue;
        }
        EXPECT_EQ(plan.entry, c.header.entry);
        ASSERT_EQ(plan.section_count, c.header.sections.size());
        EXPECT_EQ(plan.sections[0].address, 0x80003100u);
        EXPECT_EQ(plan.sections[0].length, 0x1CEEA0u);
        EXPECT_EQ(plan.bss.address, c.header.bss_size != 0 ? c.header.bss_address : 0u);
        EXPECT_EQ(plan.bss.length, c.header.bss_size);
    }
}

TEST(BootLoaderClose, ARefusedSectionEndsTheReads) {
    Header header;
    header.sections.insert(header.sections.begin(), {1, 0x200, 0x80000000, 0x100}); // over the system area
    header.sections.push_back({7, 0x1CF000, 0x80400000, 0x100});
    bt_loader loader;
    // Text section 0 comes first and is read; section 1 is refused; nothing after it.
    EXPECT_EQ(run_reads(header, loader), 1);
    EXPECT_TRUE(loader.failed);
    EXPECT_EQ(loader.loaded, 1u);
}

TEST(BootLoaderClose, TheErrorScreenIsOnePlainColour) {
    EXPECT_EQ(BT_ERROR_SCREEN_WORD, bt_yuv_pair(0x800000, 0x800000));
    EXPECT_EQ(BT_ERROR_FRAMEBUFFER % 32, 0u);
    // The framebuffer lies in the program's area, clear of the loader.
    EXPECT_GE(BT_ERROR_FRAMEBUFFER, BT_LOAD_LOWEST);
    EXPECT_LE(BT_ERROR_FRAMEBUFFER + 4 * BT_ERROR_FRAMEBUFFER_WORDS, BT_LOAD_CEILING);
}

TEST(BootCache, LineCountsEndForAnyRange) {
    struct Case {
        std::uint32_t start, length, lines;
    };
    const Case cases[] = {
        {0x80003100, 0, 0},
        {0x80003100, 1, 1},
        {0x80003100, 32, 1},
        {0x80003100, 33, 2},
        {0x8000311F, 2, 2},
        {0x8000311F, 1, 1},
        // A text size near 2 GiB: the range reaches the top of the address space.
        {0x80003100, 0x7FFFCEF0, (0xFFFFFFE0u - 0x80003100u) / 32 + 1},
        {0x80003100, 0x7FFFFFFF, (0xFFFFFFE0u - 0x80003100u) / 32 + 1},
        {0xFFFFFFC0, 0x100, 2},
        {0xFFFFFFFF, 0xFFFFFFFF, 1},
        {0, 0xFFFFFFFF, 0x8000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bt_cache_lines(c.start, c.length), c.lines) << std::hex << c.start << " + " << c.length;
    }
}

} // namespace
