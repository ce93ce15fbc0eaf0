// The display timing: DISPSTAT's flags and VCOUNT through the lines, the
// blanking and VCount IRQs, and where gba_run_frame stops.
#include <gtest/gtest.h>

#include "machine_support.hpp"

namespace {

using namespace machine_test;

uint16_t stat_at(emu::Gba& g, uint64_t cycle) {
    g.cycles = cycle;
    emu::display_process(g);
    return emu::io_get(g, emu::kRegDispstat);
}

struct FlagCase {
    uint32_t line;
    uint32_t cycle; // within the line
    bool vblank, hblank;
};

constexpr uint32_t kHb = emu::kHblankFlagSet;

TEST(MachineDisplay, FlagsAndVcountThroughTheFrame) {
    const FlagCase cases[] = {
        {0, 0, false, false},    {0, 959, false, false},  {0, kHb - 1, false, false}, {0, kHb, false, true},
        {0, 1231, false, true},  {1, 0, false, false},    {159, 1100, false, true},   {160, 0, true, false},
        {160, kHb, true, true},  {200, 500, true, false}, {226, 1231, true, true},    {227, 0, false, false},
        {227, kHb, false, true},
    };
    for (const FlagCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        // The second frame, so that both VBlank edges have passed once.
        const uint64_t at = (228u + c.line) * emu::kLineCycles + c.cycle;
        const uint16_t stat = stat_at(g, at);
        EXPECT_EQ((stat & 1) != 0, c.vblank) << c.line << ":" << c.cycle;
        EXPECT_EQ((stat & 2) != 0, c.hblank) << c.line << ":" << c.cycle;
        EXPECT_EQ(r16(g, 0x04000006), c.line) << c.line << ":" << c.cycle;
    }
}

TEST(MachineDisplay, BlankingIrqsWhenEnabled) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x04000004, 0x0018); // VBlank and HBlank IRQs
    stat_at(g, 5 * emu::kLineCycles + 1000);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqHblank); // lines 0-4
    w16(g, 0x04000202, 0xFFFF);
    // The IRQ comes two cycles after the flag.
    EXPECT_EQ(stat_at(g, 5 * emu::kLineCycles + kHb + 1) & 2, 2);
    EXPECT_EQ(r16(g, 0x04000202), 0u);
    stat_at(g, 5 * emu::kLineCycles + kHb + 2);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqHblank);
    w16(g, 0x04000202, 0xFFFF);
    EXPECT_EQ(stat_at(g, 160 * emu::kLineCycles + 1) & 1, 1);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqHblank); // line 159's
    stat_at(g, 160 * emu::kLineCycles + 2);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqVblank | emu::kIrqHblank);
}

TEST(MachineDisplay, VcountMatchSetsItsFlagAndIrqOnItsLine) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x04000004, 0x2A20); // line 42, VCount IRQ
    // The flag follows VCOUNT by a cycle, the IRQ the flag by two.
    EXPECT_EQ(stat_at(g, 42 * emu::kLineCycles) & 4, 0);
    EXPECT_EQ(stat_at(g, 42 * emu::kLineCycles + 1) & 4, 4);
    EXPECT_EQ(stat_at(g, 42 * emu::kLineCycles + 2) & 4, 4);
    EXPECT_EQ(r16(g, 0x04000202), 0u);
    stat_at(g, 42 * emu::kLineCycles + 3);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqVcount);
    EXPECT_EQ(stat_at(g, 43 * emu::kLineCycles + 1) & 4, 0);
    // Setting the current line as the VCount setting matches at once.
    w16(g, 0x04000202, 0xFFFF);
    w16(g, 0x04000004, 0x2B20);
    EXPECT_EQ(r16(g, 0x04000004) & 4, 4);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqVcount);
    // The flags are read-only.
    w16(g, 0x04000004, 0x0007);
    EXPECT_EQ(r16(g, 0x04000004) & 7, 0);
}

TEST(MachineDisplay, RunFrameStopsWhenVblankBegins) {
    Handheld h;
    emu::Gba& g = *h;
    for (uint32_t frame = 1; frame <= 3; ++frame) {
        emu::gba_run_frame(g);
        EXPECT_EQ(g.frames, frame);
        EXPECT_EQ(r16(g, 0x04000006), 160u);
        const uint64_t line160 = (static_cast<uint64_t>(frame - 1) * 228 + 160) * emu::kLineCycles;
        EXPECT_GE(g.cycles, line160);
        EXPECT_LT(g.cycles, line160 + 64);
    }
}

TEST(MachineDisplay, HaltSleepsUntilTheInterrupt) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x04000004, 0x0008);
    w16(g, 0x04000200, emu::kIrqVblank);
    g.machine.pc_in_bios = true; // as the BIOS's Halt does it
    w8(g, 0x04000301, 0);
    emu::gba_run_frame(g);
    // Still asleep when line 160 begins; woken by the VBlank IRQ 2 cycles on.
    EXPECT_TRUE(g.machine.halted);
    EXPECT_EQ(g.cycles, 160u * emu::kLineCycles);
    g.run_until = g.cycles;
    g.cycles += 2;
    emu::display_process(g);
    EXPECT_FALSE(g.machine.halted);
}

} // namespace
