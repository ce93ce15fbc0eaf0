// The timers: prescalers, reload, count-up cascade, the overflow IRQ's
// moment, stopping and the sound hook's scheduling.
#include <gtest/gtest.h>

#include "machine_support.hpp"

namespace {

using namespace machine_test;

constexpr uint32_t kTm = 0x04000100;

// Starts timer `t` with reload and control at cycle 1000; returns the cycle
// of its first tick's start (the count holds the reload until then).
uint64_t start(emu::Gba& g, uint32_t t, uint16_t reload, uint16_t control) {
    g.cycles = 1000;
    w32(g, kTm + 4 * t, static_cast<uint32_t>(control | 0x80) << 16 | reload);
    return g.cycles + emu::kTimerStartDelay;
}

uint16_t counter_at(emu::Gba& g, uint32_t t, uint64_t cycle) {
    g.cycles = cycle;
    return emu::timer_read_counter(g, t);
}

struct CountCase {
    uint16_t prescaler;
    uint16_t reload;
    uint64_t after; // cycles after the first tick's start
    uint16_t expect;
};

TEST(MachineTimer, CountsAtItsPrescalerAndReloadsOnOverflow) {
    const CountCase cases[] = {
        {0, 0x0000, 0, 0x0000},       {0, 0x0000, 1, 0x0001},
        {0, 0x0000, 999, 999},        {1, 0x0000, 63, 0},
        {1, 0x0000, 64, 1},           {1, 0x0000, 64 * 100 + 63, 100},
        {2, 0x1000, 256 * 5, 0x1005}, {3, 0x0000, 1024 * 7 - 1, 6},
        {3, 0x0000, 1024 * 7, 7},     {0, 0xFFF0, 16, 0xFFF0},
        {0, 0xFFF0, 17, 0xFFF1},      {0, 0xFFF0, 16 * 1000 + 5, 0xFFF5},
        {0, 0xFFFF, 12345, 0xFFFF},   {1, 0xFF00, 64 * 0x100 * 3 + 64 * 2, 0xFF02},
    };
    for (const CountCase& c : cases) {
        Handheld h;
        emu::Gba& g = *h;
        const uint64_t first = start(g, 0, c.reload, c.prescaler);
        EXPECT_EQ(counter_at(g, 0, first + c.after), c.expect)
            << "prescaler " << c.prescaler << " reload " << c.reload << " after " << c.after;
    }
}

TEST(MachineTimer, HoldsTheReloadUntilItStarts) {
    Handheld h;
    emu::Gba& g = *h;
    const uint64_t first = start(g, 2, 0x1234, 0);
    EXPECT_EQ(counter_at(g, 2, first - 1), 0x1234u);
    EXPECT_EQ(r16(g, kTm + 8), 0x1234u);
    // A new reload does not touch the running count.
    w16(g, kTm + 8, 0x0000);
    EXPECT_EQ(counter_at(g, 2, first + 10), 0x123Eu);
}

TEST(MachineTimer, StoppingFreezesTheCountAndRestartingReloads) {
    Handheld h;
    emu::Gba& g = *h;
    const uint64_t first = start(g, 1, 0x0100, 0);
    g.cycles = first + 49; // the write's own cycle makes 50 ...
    w16(g, kTm + 6, 0x0000);
    // ... and the timer still counts the cycle after the write.
    EXPECT_EQ(counter_at(g, 1, first + 5000), 0x0100u + 51);
    w16(g, kTm + 6, 0x0080);
    EXPECT_EQ(counter_at(g, 1, g.cycles + emu::kTimerStartDelay + 3), 0x0103u);
}

TEST(MachineTimer, ANewReloadMissesAnOverflowInTheNextCycle) {
    for (const uint64_t lead : {1u, 2u}) {
        Handheld h;
        emu::Gba& g = *h;
        const uint64_t first = start(g, 0, 0xFFF8, 0);
        g.cycles = first + 8 - lead - 1; // the write lands `lead` cycles before the overflow
        w16(g, kTm, 0xDEAD);
        EXPECT_EQ(counter_at(g, 0, first + 9), lead == 1 ? 0xFFF9u : 0xDEAEu) << lead;
    }
}

TEST(MachineTimer, OverflowRequestsItsIrqAtTheOverflow) {
    for (uint32_t t = 0; t < 4; ++t) {
        Handheld h;
        emu::Gba& g = *h;
        const uint64_t first = start(g, t, 0xFF00, 0x41); // F/64, IRQ
        const uint64_t overflow = first + 0x100 * 64;
        EXPECT_EQ(g.machine.next_timer, overflow) << t;
        g.cycles = overflow - 1;
        emu::timers_sync(g);
        EXPECT_EQ(r16(g, 0x04000202), 0u) << t;
        g.cycles = overflow;
        emu::timers_sync(g);
        EXPECT_EQ(r16(g, 0x04000202), emu::kIrqTimer0 << t) << t;
        EXPECT_EQ(g.machine.next_timer, overflow + 0x100 * 64) << t;
    }
}

TEST(MachineTimer, OverflowsWithoutEffectAreNotScheduled) {
    Handheld h;
    emu::Gba& g = *h;
    start(g, 0, 0xFFF0, 0x00);
    EXPECT_EQ(g.machine.next_timer, emu::kNever);
    // The sound's master enable makes timers 0 and 1 matter.
    w16(g, 0x04000084, 0x0080);
    EXPECT_NE(g.machine.next_timer, emu::kNever);
}

TEST(MachineTimer, CountUpTimersCountOverflowsBelow) {
    Handheld h;
    emu::Gba& g = *h;
    g.cycles = 500;
    w32(g, kTm + 8, 0x00C4FFFE);                   // timer 2: count-up, IRQ, reload 0xFFFE
    w32(g, kTm + 12, 0x00840000);                  // timer 3: count-up from 0
    const uint64_t first = start(g, 1, 0xFFF0, 0); // overflows every 16 cycles
    EXPECT_EQ(counter_at(g, 2, first + 15), 0xFFFEu);
    EXPECT_EQ(counter_at(g, 2, first + 16), 0xFFFFu);
    EXPECT_EQ(r16(g, 0x04000202), 0u);
    // Timer 2's overflow: its IRQ and a count in timer 3.
    EXPECT_EQ(counter_at(g, 2, first + 32), 0xFFFEu);
    EXPECT_EQ(r16(g, 0x04000202), emu::kIrqTimer0 << 2);
    EXPECT_EQ(counter_at(g, 3, first + 32), 1u);
    EXPECT_EQ(counter_at(g, 3, first + 16 * 41), 20u);
    // The prescaler of a count-up timer is ignored.
    EXPECT_EQ(counter_at(g, 2, first + 16 * 41), 0xFFFFu);
}

} // namespace
