// The I/O registers: what reads see, the interrupt controller, the keypad,
// HALTCNT and the internal memory control.
#include <gtest/gtest.h>

#include "machine_support.hpp"

namespace {

using namespace machine_test;

struct ReadCase {
    const char* what;
    uint32_t addr;
    uint16_t write;
    int width;
    uint32_t expect; // kOpen: the open bus value
};

constexpr uint32_t kOpen = 0xFFFFFFFF;
constexpr uint32_t kOpcode = 0xE1A0C00D;

TEST(MachineIo, ReadsShowWhatTheRegisterLets) {
    const ReadCase cases[] = {
        {"DISPCNT keeps its bits", 0x04000000, 0x1F40, 16, 0x1F40},
        {"BG0CNT drops bit 13", 0x04000008, 0xFFFF, 16, 0xDFFF},
        {"BG2CNT keeps bit 13", 0x0400000C, 0xFFFF, 16, 0xFFFF},
        {"WININ keeps 6+6 bits", 0x04000048, 0xFFFF, 16, 0x3F3F},
        {"BG0HOFS is write-only: open bus", 0x04000010, 0x0123, 16, kOpen},
        {"BG0HOFS/VOFS as a word: open bus", 0x04000010, 0x0123, 32, kOpen},
        {"MOSAIC reads zero", 0x0400004C, 0x1111, 16, 0},
        {"SOUNDBIAS keeps its bits", 0x04000088, 0xFFFF, 16, 0xC3FE},
        {"DMA0SAD is write-only", 0x040000B0, 0x1234, 32, kOpen},
        {"DMA0CNT_L reads zero beside its readable control", 0x040000B8, 0x0010, 32, 0},
        {"DMA3CNT_H keeps the DRQ bit", 0x040000DE, 0x0F80, 16, 0x0F80},
        {"DMA0CNT_H has no DRQ bit", 0x040000BA, 0x0F80, 16, 0x0780},
        {"unused 0x0E0: open bus", 0x040000E0, 0xFFFF, 32, kOpen},
        {"unused half next to a register: zero", 0x04000206, 0xFFFF, 16, 0},
        {"WAITCNT's top bit is read-only", 0x04000204, 0xFFFF, 16, 0x5FFF},
        {"IME keeps bit 0", 0x04000208, 0xFFFF, 32, 1},
        {"POSTFLG", 0x04000300, 0x0003, 8, 1},
        {"past the registers: open bus", 0x04000400, 0, 32, kOpen},
        {"KEYINPUT is read-only", 0x04000130, 0x0000, 16, 0x03FF},
    };
    for (const ReadCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        fetch_opcode(g, 0x03000000, kOpcode);
        if (c.width == 8) w8(g, c.addr, static_cast<uint8_t>(c.write));
        else w16(g, c.addr, c.write);
        uint32_t got;
        uint32_t open;
        if (c.width == 8) {
            got = r8(g, c.addr);
            open = (kOpcode >> ((c.addr & 3) * 8)) & 0xFF;
        } else if (c.width == 16) {
            got = r16(g, c.addr);
            open = (kOpcode >> ((c.addr & 2) * 8)) & 0xFFFF;
        } else {
            got = r32(g, c.addr);
            open = kOpcode;
        }
        EXPECT_EQ(got, c.expect == kOpen ? open : c.expect) << c.what;
    }
}

TEST(MachineIo, MemoryControlIsMirroredEvery64KiB) {
    Handheld h;
    emu::Gba& g = *h;
    EXPECT_EQ(r32(g, 0x04000800), 0x0D000020u);
    w32(g, 0x04010800, 0x0E000020);
    EXPECT_EQ(r32(g, 0x04FF0800), 0x0E000020u);
    // One wait state fewer for the on-board RAM.
    const uint64_t before = g.cycles;
    r16(g, 0x02000000);
    EXPECT_EQ(g.cycles - before, 2u);
}

TEST(MachineIo, InterruptsAreAcknowledgedByWritingOnes) {
    Handheld h;
    emu::Gba& g = *h;
    emu::machine_raise_irq(g, 0x0305);
    EXPECT_EQ(r16(g, 0x04000202), 0x0305u);
    w16(g, 0x04000202, 0x0004);
    EXPECT_EQ(r16(g, 0x04000202), 0x0301u);
    // A byte write acknowledges only within its byte.
    w8(g, 0x04000203, 0x01);
    EXPECT_EQ(r16(g, 0x04000202), 0x0201u);
    w8(g, 0x04000202, 0xFF);
    EXPECT_EQ(r16(g, 0x04000202), 0x0200u);
}

struct PendingCase {
    uint16_t ie;
    uint16_t flags;
    uint16_t ime;
    bool pending;
};

TEST(MachineIo, IrqPendingFollowsImeIeAndIf) {
    const PendingCase cases[] = {
        {0x0001, 0x0001, 1, true}, {0x0001, 0x0001, 0, false}, {0x0002, 0x0001, 1, false},
        {0x3FFF, 0x2000, 1, true}, {0x0000, 0x3FFF, 1, false}, {0x0008, 0x0008, 3, true},
    };
    for (const PendingCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        w16(g, 0x04000208, c.ime);
        w16(g, 0x04000200, c.ie);
        emu::machine_raise_irq(g, c.flags);
        // The request reaches the processor a few cycles later.
        g.cycles += emu::kIrqDelay - 1;
        emu::irq_deliver(g);
        EXPECT_FALSE(g.machine.irq_pending);
        g.cycles += 1;
        emu::irq_deliver(g);
        EXPECT_EQ(g.machine.irq_pending, c.pending) << c.ie << " " << c.flags << " " << c.ime;
        // Disabled and enabled again, it comes sooner.
        w16(g, 0x04000208, 0);
        EXPECT_FALSE(g.machine.irq_pending);
        w16(g, 0x04000208, c.ime);
        g.cycles += emu::kIrqEnableDelay;
        emu::irq_deliver(g);
        EXPECT_EQ(g.machine.irq_pending, c.pending);
        // Acknowledging everything ends the request.
        w16(g, 0x04000202, 0xFFFF);
        EXPECT_FALSE(g.machine.irq_pending);
    }
}

TEST(MachineIo, HaltcntObeysOnlyTheBiosAndPostflgStaysSet) {
    Handheld h;
    emu::Gba& g = *h;
    fetch_opcode(g, 0x03000000, 0xE1A00000);
    w16(g, 0x04000300, 0x0000);
    EXPECT_FALSE(g.machine.halted);
    EXPECT_EQ(r8(g, 0x04000300), 1u);
    emu::bus_fetch32(g, 0x00000100, emu::Access::NonSeq);
    w16(g, 0x04000300, 0x0000);
    EXPECT_TRUE(g.machine.halted);
    EXPECT_EQ(r8(g, 0x04000300), 1u);
}

TEST(MachineIo, HaltEndsOnAnEnabledRequestWhateverImeSays) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x04000200, emu::kIrqVblank);
    g.machine.pc_in_bios = true; // as the BIOS's Halt does it
    w8(g, 0x04000301, 0x00);
    EXPECT_TRUE(g.machine.halted);
    emu::machine_raise_irq(g, emu::kIrqHblank);
    EXPECT_TRUE(g.machine.halted);
    emu::machine_raise_irq(g, emu::kIrqVblank);
    EXPECT_FALSE(g.machine.halted);
    EXPECT_FALSE(g.machine.irq_pending);
    // POSTFLG is the other byte of the same halfword and does not halt.
    w8(g, 0x04000300, 0x01);
    EXPECT_FALSE(g.machine.halted);
}

TEST(MachineIo, SerialTransfersWithoutACableEndAtOnce) {
    Handheld h;
    emu::Gba& g = *h;
    // Normal mode, 8 bits, internal clock, IRQ: ends with all ones received.
    w16(g, 0x0400012A, 0x0012);
    w16(g, 0x04000128, 0x4081);
    EXPECT_EQ(r16(g, 0x04000128) & 0x80, 0u);
    EXPECT_EQ(r16(g, 0x0400012A), 0xFFFFu);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqSerial);
    // With an outside clock the transfer waits.
    w16(g, 0x04000128, 0x0080);
    EXPECT_EQ(r16(g, 0x04000128) & 0x80, 0x80u);
}

struct KeyCase {
    const char* what;
    uint16_t keycnt;
    uint16_t pressed;
    bool irq;
};

TEST(MachineIo, KeypadInterruptInOrAndAndMode) {
    using namespace emu;
    const KeyCase cases[] = {
        {"OR: one of the keys", 0x4000 | kKeyA | kKeyB, kKeyB, true},
        {"OR: none of the keys", 0x4000 | kKeyA | kKeyB, kKeyStart, false},
        {"AND: all keys", 0xC000 | kKeyA | kKeyB, kKeyA | kKeyB | kKeyL, true},
        {"AND: one missing", 0xC000 | kKeyA | kKeyB, kKeyA, false},
        {"disabled", kKeyA, kKeyA, false},
    };
    for (const KeyCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        w16(g, 0x04000132, c.keycnt);
        gba_set_keys(g, c.pressed);
        EXPECT_EQ(r16(g, 0x04000130), static_cast<uint16_t>(~c.pressed & 0x3FF)) << c.what;
        EXPECT_EQ((r16(g, 0x04000202) & kIrqKeypad) != 0, c.irq) << c.what;
    }
}

} // namespace
