// CpuSet and CpuFastSet (unit sizes, fill, the rounding of CpuFastSet's
// length, the refusal of BIOS sources) and the rotation calls' matrices.
#include <gtest/gtest.h>

#include <cstdint>

#include "emu/endian.hpp"
#include "machine_support.hpp"

namespace {

using machine_test::Handheld;
using machine_test::r16;
using machine_test::r32;
using machine_test::w16;
using machine_test::w32;

constexpr uint32_t kSrc = 0x02001000;
constexpr uint32_t kDst = 0x02008000;
constexpr uint32_t kFill = 1u << 24;
constexpr uint32_t kWords = 1u << 26;

class BiosMemory : public testing::Test {
protected:
    void SetUp() override {
        machine_test::make_handheld(h);
        for (uint32_t i = 0; i < 64; ++i) w32(*h, kSrc + i * 4, 0x01010101u * (i + 1));
    }
    // How many words from kDst on differ from zero.
    uint32_t words_written() {
        uint32_t n = 0;
        while (r32(*h, kDst + n * 4) != 0) ++n;
        return n;
    }
    Handheld h;
};

TEST_F(BiosMemory, CpuSetCopiesAndFillsInItsUnits) {
    const struct {
        uint32_t control;
        uint32_t halfwords_written;
        bool fill;
    } cases[] = {
        {3, 3, false},          // 16-bit copy of 3 halfwords
        {3 | kWords, 6, false}, // 32-bit copy of 3 words
        {5 | kFill, 5, true},   // 16-bit fill
        {5 | kFill | kWords, 10, true},
        {0 | kWords, 0, false},
    };
    for (const auto& c : cases) {
        SetUp();
        emu::bios_cpu_set(*h, kSrc, kDst, c.control);
        for (uint32_t i = 0; i < c.halfwords_written + 2; ++i) {
            uint16_t expected = 0;
            if (i < c.halfwords_written) {
                const uint32_t from = c.fill ? (c.control & kWords ? i % 2 : 0) : i;
                expected = r16(*h, kSrc + from * 2);
            }
            EXPECT_EQ(r16(*h, kDst + i * 2), expected) << "control " << c.control << " halfword " << i;
        }
    }
}

TEST_F(BiosMemory, CpuFastSetWorksInBlocksOfEightWords) {
    const struct {
        uint32_t control;
        uint32_t words_written;
    } cases[] = {{8, 8}, {9, 16}, {1, 8}, {16, 16}, {1 | kFill, 8}, {17 | kFill, 24}, {0, 0}};
    for (const auto& c : cases) {
        SetUp();
        emu::bios_cpu_fast_set(*h, kSrc, kDst, c.control);
        EXPECT_EQ(words_written(), c.words_written) << "control " << c.control;
        const bool fill = (c.control & kFill) != 0;
        for (uint32_t i = 0; i < c.words_written; ++i) {
            EXPECT_EQ(r32(*h, kDst + i * 4), r32(*h, kSrc + (fill ? 0 : i * 4))) << c.control << " word " << i;
        }
    }
}

TEST_F(BiosMemory, CopiesFromTheBiosAreaAreRefused) {
    emu::bios_cpu_set(*h, 0x00000000, kDst, 8 | kWords);
    emu::bios_cpu_fast_set(*h, 0x00000100, kDst, 8);
    // A source that starts in the top of the address space and ends, wrapped
    // around, in the BIOS.
    emu::bios_cpu_set(*h, 0xFFFFFFF0, kDst, 8 | kWords);
    EXPECT_EQ(words_written(), 0u);
    // From the cartridge it works.
    emu::bios_cpu_set(*h, 0x08000000, kDst, 2 | kWords);
    EXPECT_EQ(r32(*h, kDst), emu::load32(h.gba->cart.rom));
}

TEST_F(BiosMemory, ObjAffineSetWritesTheRotationAtTheStride) {
    const struct {
        uint16_t angle;
        int16_t pa, pb, pc, pd;
    } cases[] = {
        {0x0000, 0x100, 0, 0, 0x100},
        {0x4000, 0, -0x100, 0x100, 0},  // a quarter turn
        {0x80FF, -0x100, 0, 0, -0x100}, // half a turn: the low byte is ignored
        {0xC000, 0, 0x100, -0x100, 0},
    };
    for (const auto& c : cases) {
        w16(*h, kSrc, 0x100);
        w16(*h, kSrc + 2, 0x100);
        w16(*h, kSrc + 4, c.angle);
        // Into OAM's layout: one parameter every 8 bytes, from the 4th halfword.
        emu::bios_obj_affine_set(*h, kSrc, kDst + 6, 1, 8);
        EXPECT_EQ(static_cast<int16_t>(r16(*h, kDst + 6)), c.pa) << c.angle;
        EXPECT_EQ(static_cast<int16_t>(r16(*h, kDst + 14)), c.pb) << c.angle;
        EXPECT_EQ(static_cast<int16_t>(r16(*h, kDst + 22)), c.pc) << c.angle;
        EXPECT_EQ(static_cast<int16_t>(r16(*h, kDst + 30)), c.pd) << c.angle;
        EXPECT_EQ(r16(*h, kDst + 8), 0) << "between the parameters";
    }
    // Scaling halves the step for a doubled picture.
    w16(*h, kSrc, 0x80);
    w16(*h, kSrc + 2, 0x200);
    w16(*h, kSrc + 4, 0);
    emu::bios_obj_affine_set(*h, kSrc, kDst, 1, 2);
    EXPECT_EQ(r32(*h, kDst), 0x80u);
    EXPECT_EQ(r32(*h, kDst + 4), 0x2000000u);
}

TEST_F(BiosMemory, BgAffineSetPutsTheScreenCentreOnTheTextureCentre) {
    for (uint16_t angle : {uint16_t{0x0000}, uint16_t{0x4000}, uint16_t{0x8000}}) {
        w32(*h, kSrc, 0x1000);     // texture centre x (8-bit fraction)
        w32(*h, kSrc + 4, 0x2000); // texture centre y
        w16(*h, kSrc + 8, 10);     // screen centre x
        w16(*h, kSrc + 10, 20);    // screen centre y
        w16(*h, kSrc + 12, 0x100);
        w16(*h, kSrc + 14, 0x100);
        w16(*h, kSrc + 16, angle);
        emu::bios_bg_affine_set(*h, kSrc, kDst, 1);
        const int32_t pa = static_cast<int16_t>(r16(*h, kDst));
        const int32_t pb = static_cast<int16_t>(r16(*h, kDst + 2));
        const int32_t pc = static_cast<int16_t>(r16(*h, kDst + 4));
        const int32_t pd = static_cast<int16_t>(r16(*h, kDst + 6));
        const int32_t x = static_cast<int32_t>(r32(*h, kDst + 8));
        const int32_t y = static_cast<int32_t>(r32(*h, kDst + 12));
        EXPECT_EQ(pa * pa + pc * pc, 0x10000) << angle; // a rotation, no scaling
        EXPECT_EQ(x + pa * 10 + pb * 20, 0x1000) << angle;
        EXPECT_EQ(y + pc * 10 + pd * 20, 0x2000) << angle;
    }
    EXPECT_EQ(r32(*h, kDst + 8), static_cast<uint32_t>(0x1000 + 0x100 * 10)); // half a turn
}

} // namespace
