// Random single instructions through our processor and through the reference
// emulator: a small cartridge loads registers, flags and a data block, runs
// the instruction and stores everything to EWRAM, where the two must agree.
// Left out are the few places where the reference is known to differ from the
// hardware (and the dedicated tests pin the hardware's behaviour): the carry
// after MUL/MLA, the stored base of STM with the base later in the list, the
// empty register list, and the overflow of Thumb NEG.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "harness.hpp"

namespace {

constexpr uint32_t kCodeStart = 0x080000C0;
// Word indices in the code block.
constexpr uint32_t kLitOut = 30, kLitSrc = 31, kLitDst = 32, kTable = 33, kData = 52, kWords = kData + 64;
constexpr uint32_t kOutBytes = 0x40; // r0-r14 and CPSR at 0x02000000
constexpr uint32_t kDataAt = 0x400;  // the data block, copied to 0x02000400
constexpr uint32_t kDataBytes = 0x100;

uint32_t load_literal(uint32_t rd, uint32_t at, uint32_t literal) {
    return 0xE59F0000u | (rd << 12) | ((literal - at) * 4 - 8);
}
uint32_t address_of(uint32_t rd, uint32_t at, uint32_t target) {
    return 0xE28F0000u | (rd << 12) | ((target - at) * 4 - 8);
}

// The cartridge for one instruction (ARM: a word; Thumb: a halfword).
std::vector<uint8_t> make_rom(bool thumb, uint32_t op, const uint32_t regs[15], uint32_t flags,
                              const uint32_t data[64]) {
    std::vector<uint32_t> w(kWords, 0);
    uint32_t i = 0;
    // Copy the data block to EWRAM (system mode, eight words at a time).
    for (uint32_t word : {0xE321F0DFu, load_literal(0, 1, kLitSrc), load_literal(1, 2, kLitDst), 0xE3A0A008u,
                          0xE8B003FCu, 0xE8A103FCu, 0xE25AA001u, 0x1AFFFFFBu})
        w[i++] = word;
    if (!thumb) {
        // r13_irq = the output; flags; r0-r14 from the table; the instruction.
        for (uint32_t word : {0xE321F0D2u, load_literal(13, 9, kLitOut), 0xE321F0DFu, address_of(14, 11, kTable),
                              0xE59E003Cu, 0xE128F000u, 0xE89E7FFFu, op, 0xE1A00000u})
            w[i++] = word;
    } else {
        // From IRQ mode: SPSR = flags + Thumb system mode, the user bank from
        // the table, then MOVS pc, lr into the Thumb code; BX pc returns.
        for (uint32_t word :
             {0xE321F0D2u, address_of(13, 9, kTable), 0xE59DE03Cu, 0xE16FF00Eu, 0xE59DE040u, 0xE8DD7FFFu, 0xE1A00000u,
              load_literal(13, 15, kLitOut), 0xE1B0F00Eu, op | (0x46C0u << 16), 0x46C04778u})
            w[i++] = word;
    }
    // IRQ mode again: store the user bank and the CPSR.
    for (uint32_t word : {0xE321F0D2u, 0xE8CD7FFFu, 0xE10F0000u, 0xE58D003Cu, 0xEAFFFFFEu}) w[i++] = word;
    w[kLitOut] = 0x02000000;
    w[kLitSrc] = kCodeStart + kData * 4;
    w[kLitDst] = 0x02000000 + kDataAt;
    for (uint32_t r = 0; r < 15; ++r) w[kTable + r] = regs[r];
    w[kTable + 15] = thumb ? (flags | 0xBF) : flags;
    w[kTable + 16] = kCodeStart + 17 * 4; // the Thumb code
    for (uint32_t k = 0; k < 64; ++k) w[kData + k] = data[k];
    std::vector<uint8_t> rom(0x1000, 0);
    const uint32_t branch = 0xEA000000u | ((0xC0 - 8) / 4);
    for (uint32_t k = 0; k < 4; ++k) rom[k] = static_cast<uint8_t>(branch >> (8 * k));
    for (uint32_t k = 0; k < kWords; ++k)
        for (uint32_t b = 0; b < 4; ++b) rom[0xC0 + k * 4 + b] = static_cast<uint8_t>(w[k] >> (8 * b));
    return rom;
}

uint32_t draw(std::mt19937& rng) { return static_cast<uint32_t>(rng()); }

enum class Kind { ArmAlu, ArmMultiply, ArmMemory, ThumbAlu, ThumbMemory };

// An instruction of the kind from random bits, or 0 to draw again.
uint32_t make_op(Kind kind, std::mt19937& rng) {
    uint32_t r = draw(rng);
    auto bits = [&r](uint32_t n) {
        uint32_t v = r & ((1u << n) - 1);
        r = (r >> n) | (r << (32 - n));
        r = r * 2654435761u + 12345u;
        return v;
    };
    switch (kind) {
    case Kind::ArmAlu: {
        uint32_t op = 0xE0000000u | (bits(26) & 0x03FFFFFFu);
        op &= ~0x0C000000u;
        const uint32_t opcode = (op >> 21) & 15;
        if (!(op & (1u << 25)) && (op & 0x90) == 0x90) return 0;         // multiplies and transfers
        if (opcode >= 8 && opcode <= 11 && !(op & (1u << 20))) return 0; // status transfers
        if (((op >> 12) & 15) == 15) return 0;                           // jumps
        return op;
    }
    case Kind::ArmMultiply: {
        const uint32_t form = bits(3) % 6, s = bits(1);
        const uint32_t a = bits(4) % 15, b = bits(4) % 15, rs = bits(4) % 15, rm = bits(4) % 15;
        if (form < 2)
            return a == rm ? 0 : 0xE0000090u | (form << 21) | (s << 20) | (a << 16) | (b << 12) | (rs << 8) | rm;
        if (a == b || a == rm || b == rm) return 0;
        return 0xE0800090u | ((form >= 4 ? 1u : 0u) << 22) | ((form & 1) << 21) | (s << 20) | (a << 16) | (b << 12) |
               (rs << 8) | rm;
    }
    case Kind::ArmMemory: {
        const uint32_t form = bits(2), rn = bits(3), rd = bits(4) % 15, rm = 8 + bits(3) % 5;
        const uint32_t p = bits(1), u = bits(1), l = bits(1), b = bits(1);
        const uint32_t w = p ? bits(1) : 0;
        if ((w || !p) && rn == rd) return 0;
        const uint32_t common = (p << 24) | (u << 23) | (w << 21) | (l << 20) | (rn << 16);
        if (form == 0) return 0xE4000000u | common | (b << 22) | (rd << 12) | bits(6);
        if (form == 1) return 0xE6000000u | common | (b << 22) | (rd << 12) | (bits(2) << 7) | (bits(2) << 5) | rm;
        if (form == 2) {
            const uint32_t sh = l ? 1 + bits(2) % 3 : 1, imm = bits(1);
            const uint32_t offset = imm ? ((bits(2) << 8) | bits(4)) : rm;
            return 0xE0000090u | common | (imm << 22) | (rd << 12) | (sh << 5) | offset;
        }
        if (bits(2) == 0) return 0xE1000090u | (b << 22) | (rn << 16) | (rd << 12) | rm;
        const uint32_t list = bits(15);
        if (list == 0) return 0;
        const bool base_later = (list >> rn) & 1 && (list & ((1u << rn) - 1)) != 0;
        if (!l && w && base_later) return 0;
        return 0xE8000000u | common | list;
    }
    case Kind::ThumbAlu: {
        const uint32_t form = bits(3) % 5, v = bits(16);
        if (form == 0) return (v & 0x1800) == 0x1800 ? 0 : v & 0x1FFF;
        if (form == 1) return 0x1800 | (v & 0x7FF);
        if (form == 2) return 0x2000 | (v & 0x1FFF);
        if (form == 3) return (v & 0x3C0) == 0x240 ? 0 : 0x4000 | (v & 0x3FF);
        const uint32_t op = 0x4400 | (v & 0x3FF);
        const uint32_t d = (op & 7) | ((op >> 4) & 8);
        if (((op >> 8) & 3) == 3 || (d == 15 && ((op >> 8) & 3) != 1)) return 0;
        return op;
    }
    case Kind::ThumbMemory: {
        const uint32_t form = bits(3) % 6, v = bits(16), rb = bits(2), ro = 4 + bits(2), rd = bits(3);
        if (form == 0) return 0x5000 | ((v & 7) << 9) | (ro << 6) | (rb << 3) | rd;
        if (form == 1) return 0x6000 | ((v & 3) << 11) | (((v >> 2) & 7) << 6) | (rb << 3) | rd;
        if (form == 2) return 0x8000 | ((v & 1) << 11) | (((v >> 2) & 7) << 6) | (rb << 3) | rd;
        if (form == 3) return 0x9000 | ((v & 1) << 11) | (rd << 8) | ((v >> 4) & 0xF);
        if (form == 4) {
            const uint32_t l = v & 1, lr = l ? 0 : (v >> 1) & 1, list = (v >> 8) & 0xFF;
            if (list == 0 && lr == 0) return 0;
            return 0xB400 | (l << 11) | (lr << 8) | list;
        }
        const uint32_t list = (v >> 8) & 0xFF, l = v & 1;
        if (list == 0) return 0;
        if (!l && ((list >> rb) & 1) && (list & ((1u << rb) - 1)) != 0) return 0;
        return 0xC000 | (l << 11) | (rb << 8) | list;
    }
    }
    return 0;
}

// Register values: for the ALU kinds edge values and random words; for the
// transfers addresses in the data block (low registers) and small offsets.
uint32_t register_value(Kind kind, uint32_t r, std::mt19937& rng) {
    const bool thumb = kind == Kind::ThumbAlu || kind == Kind::ThumbMemory;
    if (kind == Kind::ArmMemory || kind == Kind::ThumbMemory) {
        if (thumb && r == 13) return 0x02000480;
        return r < (thumb ? 4u : 8u) ? 0x02000440u + draw(rng) % 0x40 : draw(rng) % 0x20;
    }
    const uint32_t edges[] = {0, 1, 0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 31, 32, 33};
    return draw(rng) % 3 == 0 ? edges[draw(rng) % 8] : (draw(rng) % 2 ? draw(rng) : draw(rng) % 70);
}

class CpuReference : public testing::TestWithParam<Kind> {};

TEST_P(CpuReference, SingleInstructionsAgree) {
    if (!emu_harness::reference_available()) GTEST_SKIP() << "no libmgba in this build";
    const Kind kind = GetParam();
    const bool thumb = kind == Kind::ThumbAlu || kind == Kind::ThumbMemory;
    std::mt19937 rng(2024u + static_cast<uint32_t>(kind));
    const uint32_t frames[] = {1};
    int differences = 0;
    for (int n = 0; n < 300; ++n) {
        uint32_t op = 0;
        while (op == 0) op = make_op(kind, rng);
        uint32_t regs[15], data[64];
        for (uint32_t r = 0; r < 15; ++r) regs[r] = register_value(kind, r, rng);
        for (uint32_t& d : data) d = draw(rng);
        const uint32_t flags = draw(rng) & 0xF0000000u;
        const std::vector<uint8_t> rom = make_rom(thumb, op, regs, flags, data);
        auto ours = emu_harness::run_ours(rom, frames, {});
        auto reference = emu_harness::run_reference(rom, frames, {});
        ASSERT_TRUE(ours && reference);
        std::vector<uint8_t> a = (*ours)[0].ewram_head, b = (*reference)[0].ewram_head;
        // The cartridge got to its end (IRQ mode, IRQs and FIQs off) in both.
        ASSERT_EQ(a[0x3C], 0xD2) << std::hex << "opcode 0x" << op;
        ASSERT_EQ(b[0x3C], 0xD2) << std::hex << "opcode 0x" << op;
        if (kind == Kind::ArmMultiply) a[0x3F] = b[0x3F] = static_cast<uint8_t>(a[0x3F] & ~0x20); // C
        const bool same = std::memcmp(a.data(), b.data(), kOutBytes) == 0 &&
                          std::memcmp(a.data() + kDataAt, b.data() + kDataAt, kDataBytes) == 0;
        if (!same && ++differences <= 5) {
            ADD_FAILURE() << std::hex << "opcode 0x" << op << " with flags 0x" << flags << " differs";
        }
    }
    EXPECT_EQ(differences, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CpuReference,
                         testing::Values(Kind::ArmAlu, Kind::ArmMultiply, Kind::ArmMemory, Kind::ThumbAlu,
                                         Kind::ThumbMemory));

} // namespace
