// The DMA channels: start timings, address controls, unit sizes, the count,
// the registers latched at enable, repeat, IRQ, priority and reach.
#include <gtest/gtest.h>

#include "machine_support.hpp"

namespace {

using namespace machine_test;

uint32_t reg(uint32_t ch) { return 0x040000B0 + 12 * ch; }

void setup(emu::Gba& g, uint32_t ch, uint32_t src, uint32_t dst, uint16_t count, uint16_t control) {
    w32(g, reg(ch), src);
    w32(g, reg(ch) + 4, dst);
    w16(g, reg(ch) + 8, count);
    w16(g, reg(ch) + 10, control);
}

// Sets the channel up and runs what became due at once.
void run(emu::Gba& g, uint32_t ch, uint32_t src, uint32_t dst, uint16_t count, uint16_t control) {
    setup(g, ch, src, dst, count, control);
    emu::dma_run_pending(g);
}

// Fills 64 halfwords at EWRAM 0x02000000 with 0x1000 + index.
void fill_source(emu::Gba& g) {
    for (uint32_t i = 0; i < 64; ++i) w16(g, 0x02000000 + 2 * i, static_cast<uint16_t>(0x1000 + i));
}

struct ControlCase {
    const char* what;
    uint32_t src, dst;
    uint16_t control;   // without the enable bit
    uint32_t check;     // destination address checked ...
    uint16_t expect;    // ... for this halfword
    uint32_t untouched; // an address the transfer must not reach
};

TEST(MachineDma, AddressControlsAndUnitSizes) {
    const ControlCase cases[] = {
        {"both increment", 0x02000000, 0x03000000, 0x0000, 0x03000006, 0x1003, 0x03000008},
        {"destination decrements", 0x02000000, 0x03000100, 0x0020, 0x030000FA, 0x1003, 0x030000F8},
        {"destination fixed: the last unit stays", 0x02000000, 0x03000100, 0x0040, 0x03000100, 0x1003, 0x03000102},
        {"source decrements", 0x02000010, 0x03000000, 0x0080, 0x03000006, 0x1005, 0x03000008},
        {"source fixed", 0x02000010, 0x03000000, 0x0100, 0x03000006, 0x1008, 0x03000008},
        {"32-bit units", 0x02000000, 0x03000000, 0x0400, 0x0300000E, 0x1007, 0x03000010},
        {"32-bit units ignore the low address bits", 0x02000002, 0x03000003, 0x0400, 0x03000000, 0x1000, 0x03000010},
    };
    for (const ControlCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        fill_source(g);
        setup(g, 3, c.src, c.dst, 4, static_cast<uint16_t>(c.control | 0x8000));
        EXPECT_EQ(g.machine.dma_pending, 8u) << c.what;
        emu::dma_run_pending(g);
        EXPECT_EQ(r16(g, c.check), c.expect) << c.what;
        EXPECT_EQ(r16(g, c.untouched), 0u) << c.what;
        EXPECT_EQ(r16(g, reg(3) + 10) & 0x8000, 0u) << c.what; // an immediate transfer ends disabled
    }
}

TEST(MachineDma, CountZeroMeansTheChannelsMaximum) {
    for (uint32_t ch = 0; ch < 4; ++ch) {
        Handheld h;
        emu::Gba& g = *h;
        setup(g, ch, 0x03000000, 0x02000000, 0, 0x8100); // fixed source: zeros over a filled area
        for (uint32_t a = 0x02000000; a < 0x02030000; a += 4) w32(g, a, 0xFFFFFFFF);
        emu::dma_run_pending(g);
        const uint32_t units = ch == 3 ? 0x10000 : 0x4000;
        EXPECT_EQ(r16(g, 0x02000000 + 2 * (units - 1)), 0u) << ch;
        EXPECT_EQ(r16(g, 0x02000000 + 2 * units), 0xFFFFu) << ch;
    }
}

TEST(MachineDma, InternalRegistersAreLatchedAtEnable) {
    Handheld h;
    emu::Gba& g = *h;
    fill_source(g);
    // Repeating HBlank transfers of 2 units; destination increments and reloads.
    setup(g, 0, 0x02000000, 0x03000000, 2, 0x8000 | 0x2000 | 0x0200 | 0x0060);
    w32(g, reg(0), 0x02000040); // changes nothing until the next enable
    w16(g, reg(0) + 8, 3);      // taken at the next repeat
    emu::dma_run_pending(g);
    EXPECT_EQ(r32(g, 0x03000000), 0u); // not triggered yet
    emu::dma_trigger(g, emu::DmaTiming::Hblank);
    emu::dma_run_pending(g);
    EXPECT_EQ(r32(g, 0x03000000), 0x10011000u);
    emu::dma_trigger(g, emu::DmaTiming::Vblank);
    EXPECT_EQ(g.machine.dma_pending, 0u);
    emu::dma_trigger(g, emu::DmaTiming::Hblank);
    emu::dma_run_pending(g);
    // The source went on, the destination reloaded, the count is now 3.
    EXPECT_EQ(r32(g, 0x03000000), 0x10031002u);
    EXPECT_EQ(r16(g, 0x03000004), 0x1004u);
    EXPECT_NE(r16(g, reg(0) + 10) & 0x8000, 0u);
}

TEST(MachineDma, EndIrqAndPriority) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x02000000, 0x1111);
    w16(g, 0x02000002, 0x3333);
    // DMA3 and DMA1 wait for VBlank to the same place: DMA1 goes first, so DMA3's value stays.
    setup(g, 3, 0x02000000, 0x03000000, 1, 0x8000 | 0x1000 | 0x4000);
    setup(g, 1, 0x02000002, 0x03000000, 1, 0x8000 | 0x1000);
    emu::dma_trigger(g, emu::DmaTiming::Vblank);
    emu::dma_run_pending(g);
    EXPECT_EQ(r16(g, 0x03000000), 0x1111u);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqDma0 << 3);
}

TEST(MachineDma, TransfersStartTwoCyclesAfterTheirRequest) {
    Handheld h;
    emu::Gba& g = *h;
    g.run_until = g.cycles + 1000;
    setup(g, 3, 0x02000000, 0x03000000, 1, 0x8000);
    EXPECT_EQ(g.machine.dma_due, g.cycles + emu::kDmaStartDelay);
    EXPECT_EQ(g.run_until, g.machine.dma_due); // the processor stops for it
}

TEST(MachineDma, AChannelOfHigherPriorityRunsInsideALongerTransfer) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x02000000, 0xAAAA);
    w16(g, 0x02000002, 0xBBBB);
    // DMA3: 256 halfwords of 0xAAAA from a fixed source, paused after about 100 cycles.
    setup(g, 3, 0x02000000, 0x03000000, 0x100, 0x8100);
    emu::dma_run_pending(g, g.cycles + 100);
    EXPECT_EQ(g.machine.dma_pending, 8u);
    EXPECT_EQ(r16(g, 0x03000100), 0u);
    // DMA0 writes where DMA3 has not been yet, and goes first.
    run(g, 0, 0x02000002, 0x03000100, 1, 0x8000);
    EXPECT_EQ(g.machine.dma_pending, 0u);
    EXPECT_EQ(r16(g, 0x03000100), 0xAAAAu); // DMA3 came by after DMA0
    EXPECT_EQ(r16(g, 0x030001FE), 0xAAAAu);
    EXPECT_EQ(r16(g, 0x03000200), 0u);
}

TEST(MachineDma, VideoCaptureWaitsForLine2AndStopsAtLine162) {
    Handheld h;
    emu::Gba& g = *h;
    const auto pending_at = [&g](uint32_t line) {
        g.machine.dma_pending = 0;
        g.cycles = static_cast<uint64_t>(line) * emu::kLineCycles + 100;
        emu::display_process(g);
        return g.machine.dma_pending == 8;
    };
    pending_at(100);
    setup(g, 3, 0x02000000, 0x03000000, 4, 0x8000 | 0x3000 | 0x0200);
    EXPECT_FALSE(pending_at(101));
    EXPECT_FALSE(pending_at(227 + 1)); // line 1 of the next frame
    EXPECT_TRUE(pending_at(228 + 2));
    EXPECT_TRUE(pending_at(228 + 161));
    EXPECT_FALSE(pending_at(228 + 162));
    EXPECT_EQ(r16(g, reg(3) + 10) & 0x8000, 0u);
}

TEST(MachineDma, ATransferThatDisablesItsOwnChannelStops) {
    Handheld h;
    emu::Gba& g = *h;
    // DMA3 copies words down from 0x02000010 to 0x040000E8: the fourth word
    // (zero) lands on its own DMA3CNT and ends the transfer before the fifth
    // reaches DMA3DAD.
    for (uint32_t i = 0; i < 5; ++i) w32(g, 0x02000000 + 4 * i, 0x11111111 * (i + 1));
    w32(g, 0x02000004, 0);
    run(g, 3, 0x02000010, 0x040000E8, 5, 0x8000 | 0x0400 | 0x0080 | 0x0020 | 0x4000);
    EXPECT_EQ(r16(g, 0x040000DE), 0u);
    EXPECT_EQ(emu::load32(g.mem.io + 0xD8), 0x040000E8u);
    EXPECT_EQ(r16(g, 0x04000202), 0u); // no end IRQ either
}

TEST(MachineDma, UnreadableSourcesGiveTheChannelsLastValue) {
    Handheld h;
    emu::Gba& g = *h;
    w32(g, 0x02000000, 0xDEADC0DE);
    run(g, 1, 0x02000000, 0x03000000, 1, 0x8400);
    // The value stays on the bus for the processor.
    EXPECT_EQ(r32(g, 0x10000000), 0xDEADC0DEu);
    // 16-bit units from the BIOS area: the half of the latch the destination selects.
    run(g, 1, 0x00000000, 0x03000010, 1, 0x8000);
    run(g, 1, 0x00000000, 0x03000012, 1, 0x8000);
    EXPECT_EQ(r32(g, 0x03000010), 0xDEADC0DEu);
    // Each channel has its own latch.
    run(g, 2, 0x00000000, 0x03000020, 1, 0x8000);
    EXPECT_EQ(r16(g, 0x03000020), 0u);
}

TEST(MachineDma, Dma0CannotReadTheCartridge) {
    Handheld h;
    emu::Gba& g = *h;
    w16(g, 0x02000000, 0xBEEF);
    run(g, 0, 0x02000000, 0x03000000, 1, 0x8000);
    // The address loses bit 27: the "cartridge" source is the BIOS.
    run(g, 0, 0x08000000, 0x03000010, 1, 0x8000);
    EXPECT_EQ(r16(g, 0x03000010), 0xBEEFu);
    // DMA3 does read it.
    run(g, 3, 0x08000010, 0x03000020, 1, 0x8000);
    EXPECT_EQ(r16(g, 0x03000020), h.rom[0x10] | h.rom[0x11] << 8);
}

TEST(MachineDma, SequentialCartridgeAccessesFollowTheCartridgesCounter) {
    Handheld h;
    emu::Gba& g = *h;
    // Source up across the end of OAM into the cartridge, destination down from
    // the cartridge into OAM: the write to the cartridge sets its counter, and
    // the following sequential reads come from there, not from their address.
    run(g, 3, 0x07FFFFFE, 0x08000000, 3, 0x8000 | 0x0020);
    EXPECT_EQ(r16(g, 0x07FFFFFE), h.rom[2] | h.rom[3] << 8);
    EXPECT_EQ(r16(g, 0x07FFFFFC), h.rom[4] | h.rom[5] << 8);
    // After a DMA the processor's next cartridge fetch is non-sequential.
    uint64_t before = g.cycles;
    emu::bus_fetch16(g, 0x08000100, emu::Access::Seq);
    EXPECT_EQ(g.cycles - before, 5u);
    before = g.cycles;
    emu::bus_fetch16(g, 0x08000102, emu::Access::Seq);
    EXPECT_EQ(g.cycles - before, 3u);
}

TEST(MachineDma, SoundFifoRequestsMoveFourWordsToAFixedDestination) {
    Handheld h;
    emu::Gba& g = *h;
    fill_source(g);
    run(g, 2, 0x02000000, 0x040000A4, 1, 0x8000 | 0x3000 | 0x0200);
    emu::machine_fifo_request(g, 0); // the other FIFO
    EXPECT_EQ(g.machine.dma_pending, 0u);
    const uint64_t before = g.cycles;
    emu::machine_fifo_request(g, 1);
    emu::dma_run_pending(g);
    // The last of four words stays in the FIFO register.
    EXPECT_EQ(emu::load32(g.mem.io + 0xA4), 0x10071006u);
    EXPECT_EQ(g.machine.dma[2].src, 0x02000010u);
    EXPECT_EQ(g.machine.dma[2].dst, 0x040000A4u);
    // 2 internal cycles, then N+S+S+S reads from EWRAM (6 each) and 1-cycle I/O writes.
    EXPECT_EQ(g.cycles - before, 2u + 4 * 6 + 4 * 1);
}

} // namespace
