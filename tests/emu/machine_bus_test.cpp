// The memory map: mirrors, widths, the 8-bit write rules of video memory, the
// cartridge bus past the ROM, the save area, the open bus and wait states.
#include <gtest/gtest.h>

#include "machine_support.hpp"

namespace {

using namespace machine_test;

struct MirrorCase {
    const char* what;
    uint32_t write_addr;
    uint32_t read_addr;
};

TEST(MachineBus, MirrorsShowTheSameMemory) {
    const MirrorCase cases[] = {
        {"EWRAM repeats every 256 KiB", 0x02000010, 0x02FC0010},
        {"IWRAM repeats every 32 KiB", 0x03007FFC, 0x03FFFFFC},
        {"palette repeats every 1 KiB", 0x05000020, 0x05FFFC20},
        {"OAM repeats every 1 KiB", 0x07000008, 0x07000408},
        {"VRAM repeats every 128 KiB", 0x06000100, 0x06020100},
        {"VRAM's last 32 KiB mirror the 32 KiB before", 0x06010040, 0x06018040},
        {"VRAM's mirror block in a later window", 0x06014000, 0x0603C000},
    };
    for (const MirrorCase& c : cases) {
        Handheld h;
        w32(*h, c.write_addr, 0x8BADF00D);
        EXPECT_EQ(r32(*h, c.read_addr), 0x8BADF00Du) << c.what;
        EXPECT_EQ(r16(*h, c.read_addr + 2), 0x8BADu) << c.what;
        EXPECT_EQ(r8(*h, c.read_addr + 1), 0xF0u) << c.what;
    }
}

TEST(MachineBus, BitmapModesCutTheFirstVramMirrorBlock) {
    Handheld h;
    emu::Gba& g = *h;
    w32(g, 0x06010000, 0x11112222);
    w32(g, 0x06014000, 0x33334444);
    w16(g, 0x04000000, 3);
    EXPECT_EQ(r32(g, 0x06018000), 0u);
    EXPECT_EQ(r32(g, 0x0601C000), 0x33334444u);
    w32(g, 0x06018000, 0x55555555);
    w16(g, 0x04000000, 0);
    EXPECT_EQ(r32(g, 0x06018000), 0x11112222u);
}

TEST(MachineBus, NarrowWritesStoreTheirBytesOnlyInRam) {
    for (const uint32_t base : {0x02000000u, 0x03000000u}) {
        Handheld h;
        w32(*h, base, 0x11223344);
        w8(*h, base + 2, 0xAA);
        w16(*h, base, 0xBBCC);
        EXPECT_EQ(r32(*h, base), 0x11AABBCCu) << std::hex << base;
    }
}

struct ByteWriteCase {
    const char* what;
    uint16_t dispcnt;
    uint32_t addr;
    uint16_t expect; // the halfword at addr & ~1 after an 8-bit write of 0x5A over 0x1234
};

TEST(MachineBus, ByteWritesToVideoMemoryDuplicateOrVanish) {
    const ByteWriteCase cases[] = {
        {"palette: both halves", 0, 0x05000011, 0x5A5A},
        {"BG VRAM in a tile mode: both halves", 0, 0x0600FFFF, 0x5A5A},
        {"OBJ VRAM in a tile mode: ignored", 0, 0x06010000, 0x1234},
        {"bitmap VRAM in mode 3 reaches 0x14000", 3, 0x06013FFE, 0x5A5A},
        {"OBJ VRAM in mode 3: ignored", 3, 0x06014001, 0x1234},
        {"OAM: ignored", 0, 0x07000003, 0x1234},
    };
    for (const ByteWriteCase& c : cases) {
        Handheld h;
        w16(*h, 0x04000000, c.dispcnt);
        w16(*h, c.addr & ~1u, 0x1234);
        w8(*h, c.addr, 0x5A);
        EXPECT_EQ(r16(*h, c.addr & ~1u), c.expect) << c.what;
    }
}

TEST(MachineBus, CartridgeIsReadOnlyAndMirroredInItsThreeWindows) {
    Handheld h(0x1000);
    const uint32_t word = static_cast<uint32_t>(h.rom[0x100]) | static_cast<uint32_t>(h.rom[0x101]) << 8 |
                          static_cast<uint32_t>(h.rom[0x102]) << 16 | static_cast<uint32_t>(h.rom[0x103]) << 24;
    for (const uint32_t base : {0x08000000u, 0x0A000000u, 0x0C000000u}) {
        w32(*h, base + 0x100, 0);
        EXPECT_EQ(r32(*h, base + 0x100), word) << std::hex << base;
        EXPECT_EQ(r8(*h, base + 0x103), h.rom[0x103]) << std::hex << base;
    }
}

TEST(MachineBus, PastTheRomTheCartridgeBusShowsTheAddress) {
    Handheld h(0x1000);
    // Each halfword reads as (address / 2) & 0xFFFF.
    EXPECT_EQ(r16(*h, 0x08001000), 0x0800u);
    EXPECT_EQ(r32(*h, 0x08001000), 0x08010800u);
    EXPECT_EQ(r8(*h, 0x08001003), 0x08u);
    EXPECT_EQ(r16(*h, 0x09FFFFFE), 0xFFFFu);
    EXPECT_EQ(r16(*h, 0x0A002468), 0x1234u);
    EXPECT_EQ(r32(*h, 0x0DFFFFFC), 0xFFFFFFFEu);
}

TEST(MachineBus, SaveAreaRepeatsItsByteInWideReads) {
    Handheld h;
    EXPECT_EQ(r8(*h, 0x0E000000), 0xFFu);
    EXPECT_EQ(r16(*h, 0x0E000002), 0xFFFFu);
    EXPECT_EQ(r32(*h, 0x0FFFFFFC), 0xFFFFFFFFu);
}

TEST(MachineBus, UnmappedReadsSeeTheLastArmOpcode) {
    Handheld h;
    emu::Gba& g = *h;
    fetch_opcode(g, 0x03000100, 0xE3A01005);
    for (const uint32_t addr : {0x00004000u, 0x01000000u, 0x10000000u, 0xFFFFFFFCu, 0x04000400u}) {
        EXPECT_EQ(r32(g, addr), 0xE3A01005u) << std::hex << addr;
    }
    EXPECT_EQ(r16(g, 0x10000002), 0xE3A0u);
    EXPECT_EQ(r8(g, 0x10000001), 0x10u);
}

struct ThumbOpenBusCase {
    const char* what;
    uint32_t fetch_addr; // two fetches: fetch_addr - 2, then fetch_addr
    uint32_t expect;
};

TEST(MachineBus, UnmappedReadsAfterThumbFetchesDependOnTheArea) {
    const ThumbOpenBusCase cases[] = {
        {"EWRAM: the opcode twice", 0x02000102, 0xBBBBBBBB},
        {"IWRAM, upper half: the two last opcodes", 0x03000102, 0xBBBBAAAA},
        {"IWRAM, lower half: the new one below the older", 0x03000104, 0xBBBBCCCC},
        {"OAM, lower half: the opcode and the one after", 0x07000104, 0xDDDDCCCC},
    };
    for (const ThumbOpenBusCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        const uint32_t base = c.fetch_addr & 0xFF000000u;
        w32(g, base + 0x100, 0xBBBBAAAA);
        w32(g, base + 0x104, 0xDDDDCCCC);
        emu::bus_fetch16(g, c.fetch_addr - 2, emu::Access::NonSeq);
        emu::bus_fetch16(g, c.fetch_addr, emu::Access::Seq);
        EXPECT_EQ(r32(g, 0x10000000), c.expect) << c.what;
    }
}

TEST(MachineBus, BiosReadsFromOutsideSeeTheLatch) {
    Handheld h;
    emu::Gba& g = *h;
    g.mem.bios[0x10] = 0x77;
    emu::bus_fetch32(g, 0x08000000, emu::Access::NonSeq);
    g.bios.latch = 0xE129F000;
    EXPECT_EQ(r32(g, 0x00000010), 0xE129F000u);
    EXPECT_EQ(r16(g, 0x00000012), 0xE129u);
    EXPECT_EQ(r8(g, 0x00000011), 0xF0u);
    // Executing inside the BIOS reads it, and the fetch becomes the latch.
    const uint32_t op = emu::bus_fetch32(g, 0x00000010, emu::Access::NonSeq);
    EXPECT_EQ(r8(g, 0x00000010), 0x77u);
    EXPECT_EQ(g.bios.latch, op);
}

struct WaitCase {
    const char* what;
    uint16_t waitcnt;
    uint32_t addr;
    int width;
    emu::Access access;
    uint64_t cycles;
};

TEST(MachineBus, AccessesChargeTheirWaitStates) {
    using emu::Access;
    const WaitCase cases[] = {
        {"IWRAM word", 0, 0x03000000, 32, Access::NonSeq, 1},
        {"EWRAM halfword", 0, 0x02000000, 16, Access::NonSeq, 3},
        {"EWRAM word: two halfwords", 0, 0x02000000, 32, Access::Seq, 6},
        {"VRAM word", 0, 0x06000000, 32, Access::NonSeq, 2},
        {"palette halfword", 0, 0x05000000, 16, Access::NonSeq, 1},
        {"OAM word", 0, 0x07000000, 32, Access::NonSeq, 1},
        {"ROM halfword, 4 wait states", 0, 0x08000010, 16, Access::NonSeq, 5},
        {"ROM word, N then S", 0, 0x08000010, 32, Access::NonSeq, 8},
        {"ROM sequential halfword, WS0 2 waits", 0, 0x08000010, 16, Access::Seq, 3},
        {"ROM sequential word, WS0 1 wait", 0x0010, 0x08000010, 32, Access::Seq, 4},
        {"WS0 first access 3 waits", 0x0004, 0x08000010, 16, Access::NonSeq, 4},
        {"WS1 second access 4 waits", 0, 0x0A000010, 16, Access::Seq, 5},
        {"WS2 second access 8 waits", 0, 0x0C000010, 16, Access::Seq, 9},
        {"WS2 first access 8 waits", 0x0300, 0x0C000010, 16, Access::NonSeq, 9},
        {"a 128 KiB block starts non-sequentially", 0, 0x08020000, 16, Access::Seq, 5},
        {"SRAM byte, 4 waits", 0, 0x0E000000, 8, Access::NonSeq, 5},
        {"SRAM word, 8 waits, one byte access", 0x0003, 0x0E000000, 32, Access::NonSeq, 9},
    };
    for (const WaitCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        w16(g, 0x04000204, c.waitcnt);
        // A sequential access follows one at the address before.
        if (c.access == Access::Seq) emu::bus_read16(g, c.addr - 2, Access::NonSeq);
        const uint64_t before = g.cycles;
        if (c.width == 8) emu::bus_read8(g, c.addr, c.access);
        else if (c.width == 16) emu::bus_read16(g, c.addr, c.access);
        else emu::bus_read32(g, c.addr, c.access);
        EXPECT_EQ(g.cycles - before, c.cycles) << c.what;
    }
}

TEST(MachineBus, PrefetchServesSequentialCartridgeOpcodesInOneCycle) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x04000204, 0x4000); // prefetch on, 4/2 wait states
    uint64_t before = g.cycles;
    emu::bus_fetch16(g, 0x08000100, emu::Access::NonSeq);
    EXPECT_EQ(g.cycles - before, 5u);
    // While the processor works elsewhere, the buffer fills (3 cycles a halfword).
    g.cycles += 30;
    before = g.cycles;
    emu::bus_fetch16(g, 0x08000102, emu::Access::Seq);
    emu::bus_fetch16(g, 0x08000104, emu::Access::Seq);
    EXPECT_EQ(g.cycles - before, 2u);
    // A data access to the cartridge empties it, and the next opcode is
    // no longer sequential on the cartridge bus.
    emu::bus_read16(g, 0x08000800, emu::Access::NonSeq);
    before = g.cycles;
    emu::bus_fetch16(g, 0x08000106, emu::Access::Seq);
    EXPECT_EQ(g.cycles - before, 5u);
    // Without prefetch every sequential opcode pays its wait states.
    w16(g, 0x04000204, 0);
    g.cycles += 30;
    before = g.cycles;
    emu::bus_fetch16(g, 0x08000108, emu::Access::Seq);
    EXPECT_EQ(g.cycles - before, 3u);
}

} // namespace
