// The bus's inline paths (emu/bus_fast.hpp) must charge, fetch and leave the
// prefetch queue exactly as the full memory map does: the same random mix of
// fetches, cartridge data reads and idle time goes to a handheld through the
// inline paths and to a copy through the full ones, and the two must agree
// after every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>

#include "emu/bus_fast.hpp"
#include "machine_support.hpp"

namespace {

using emu::Access;
using emu::Gba;

constexpr uint32_t kRomSize = 0x40000; // two 128 KiB blocks of the cartridge

uint32_t roll(std::mt19937& rng, uint32_t n) { return static_cast<uint32_t>(rng() % n); }

void expect_same(const Gba& a, const Gba& b, int step) {
    SCOPED_TRACE(step);
    const emu::Machine& x = a.machine;
    const emu::Machine& y = b.machine;
    ASSERT_EQ(a.cycles, b.cycles);
    ASSERT_EQ(x.pf_active, y.pf_active);
    if (x.pf_active) {
        ASSERT_EQ(x.pf_head, y.pf_head);
        ASSERT_EQ(x.pf_tail, y.pf_tail);
        ASSERT_EQ(x.pf_ready, y.pf_ready);
    }
    ASSERT_EQ(x.cart_next, y.cart_next);
    ASSERT_EQ(x.open_bus, y.open_bus);
    ASSERT_EQ(x.pc_in_bios, y.pc_in_bios);
}

// Addresses where code runs and where the inline paths end: the cartridge
// (start, the 128 KiB block edge, its last halfwords and past its end, a
// mirror with other wait states), the internal and the external RAM.
uint32_t pick_address(std::mt19937& rng, uint32_t size) {
    static const uint32_t kPlaces[] = {
        0x08000000, 0x0801FFF0, 0x08000000 + kRomSize - 8, 0x08000000 + kRomSize + 4, 0x0A000100,
        0x03000100, 0x02000100};
    const uint32_t base = kPlaces[roll(rng, sizeof kPlaces / sizeof kPlaces[0])];
    return (base + roll(rng, 16) * 2) & ~(size - 1);
}

struct Pair {
    machine_test::Handheld fast{kRomSize};
    std::unique_ptr<Gba> full;

    explicit Pair(uint16_t waitcnt) {
        machine_test::w16(*fast, 0x04000204, waitcnt);
        full = std::make_unique<Gba>(*fast);
    }
};

// A handheld and its copy with the WAITCNT of the parameter, and a random
// source seeded by it.
class BusFast : public ::testing::TestWithParam<uint16_t> {
protected:
    Pair p{GetParam()};
    Gba& a = *p.fast;
    Gba& b = *p.full;
    std::mt19937 rng{GetParam() + 1u};
};

TEST_P(BusFast, FetchesChargeWhatTheFullMapCharges) {
    uint32_t pc = 0x08000000;
    for (int step = 0; step < 4000; ++step) {
        const uint32_t what = roll(rng, 10);
        if (what < 5) { // straight-line Thumb code
            const Access access = roll(rng, 8) == 0 ? Access::NonSeq : Access::Seq;
            ASSERT_EQ(emu::bus_fetch16(a, pc, access), emu::bus_fetch_other<uint16_t>(b, pc, access));
            pc += 2;
        } else if (what == 5) { // a jump
            pc = pick_address(rng, 2);
            ASSERT_EQ(emu::bus_fetch16(a, pc, Access::NonSeq), emu::bus_fetch_other<uint16_t>(b, pc, Access::NonSeq));
            pc += 2;
        } else if (what == 6) { // ARM code
            const uint32_t at = pick_address(rng, 4);
            const Access access = roll(rng, 2) != 0 ? Access::NonSeq : Access::Seq;
            ASSERT_EQ(emu::bus_fetch32(a, at, access), emu::bus_fetch_other<uint32_t>(b, at, access));
        } else if (what == 7) { // a literal read from the cartridge stops the prefetcher
            const uint32_t at = 0x08000000 + roll(rng, kRomSize) / 2 * 2;
            ASSERT_EQ(emu::bus_read16(a, at, Access::NonSeq), emu::bus_read_other<uint16_t>(b, at, Access::NonSeq));
        } else { // time passes elsewhere (internal cycles, RAM accesses)
            const uint32_t idle = roll(rng, 12);
            a.cycles += idle;
            b.cycles += idle;
        }
        expect_same(a, b, step);
    }
}

TEST_P(BusFast, RefillFetchesBothOpcodesAsTwoFetches) {
    uint32_t refills = 0;
    for (int step = 0; step < 2000; ++step) {
        // Some straight-line code first, so the queue is in any state.
        const uint32_t run = 0x08000000 + roll(rng, kRomSize) / 2 * 2;
        for (uint32_t i = roll(rng, 6); i-- > 0;) {
            emu::bus_fetch_other<uint16_t>(a, run + 2 * i, Access::Seq);
            emu::bus_fetch_other<uint16_t>(b, run + 2 * i, Access::Seq);
            a.cycles += i;
            b.cycles += i;
        }
        const uint32_t target = roll(rng, 4) == 0 ? 0x0801FFFE : pick_address(rng, 2);
        uint32_t first = 0, second = 0;
        if (emu::fetch_cart_refill16(a, target, first, second)) {
            ++refills;
            ASSERT_EQ(first, emu::bus_fetch_other<uint16_t>(b, target, Access::NonSeq));
            ASSERT_EQ(second, emu::bus_fetch_other<uint16_t>(b, target + 2, Access::Seq));
        }
        expect_same(a, b, step); // a refill it leaves changed nothing
    }
    EXPECT_GT(refills, 500u);
}

// WAITCNT: the power-on timing, the usual game setting with the prefetch
// buffer, the slowest waits with it, and the fastest without it.
INSTANTIATE_TEST_SUITE_P(Waits, BusFast,
                         ::testing::Values(uint16_t{0x0000}, uint16_t{0x4317}, uint16_t{0x4000}, uint16_t{0x0417}));

} // namespace
