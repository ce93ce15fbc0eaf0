// The Thumb state interpreter: branches, exceptions, the decode table (built
// at compile time, indexed by opcode bits 15-6) and the loop.
#include "emu/cpu_internal.inc"
#include "emu/cpu_thumb_alu.inc"
#include "emu/cpu_thumb_mem.inc"

namespace emu {
namespace {

inline uint32_t sign_extend(uint32_t v, uint32_t bits) {
    uint32_t shift = 32 - bits;
    return static_cast<uint32_t>(static_cast<int32_t>(v << shift) >> shift);
}

// B{cond} to r15 + sign-extended 8-bit halfword offset.
template <uint32_t Cond> void thumb_branch_cond(Gba& gba, uint32_t op) {
    Cpu& c = gba.cpu;
    if (!condition_passes(Cond, c.cpsr)) return;
    cpu_jump(gba, c.r[15] + sign_extend(op & 0xFF, 8) * 2);
}

void thumb_branch(Gba& gba, uint32_t op) { cpu_jump(gba, gba.cpu.r[15] + sign_extend(op & 0x7FF, 11) * 2); }

// BL, first half: LR = r15 + the upper 11 bits of the offset.
void thumb_bl_high(Gba& gba, uint32_t op) { gba.cpu.r[14] = gba.cpu.r[15] + (sign_extend(op & 0x7FF, 11) << 12); }

// BL, second half: jump to LR + the lower offset, LR = the next instruction | 1.
void thumb_bl_low(Gba& gba, uint32_t op) {
    Cpu& c = gba.cpu;
    uint32_t target = c.r[14] + (op & 0x7FF) * 2;
    c.r[14] = (c.r[15] - 2) | 1;
    cpu_jump(gba, target);
}

void thumb_swi(Gba& gba, uint32_t) { cpu_exception(gba, kModeSupervisor, kVectorSwi, gba.cpu.r[15] - 2); }

void thumb_undefined(Gba& gba, uint32_t op) { cpu_undefined(gba, op, gba.cpu.r[15] - 4, gba.cpu.r[15] - 2); }

// The handler for one value of opcode bits 15-6.
template <uint32_t K> constexpr Handler thumb_pick() {
    if constexpr ((K >> 7) == 0) {
        if constexpr (((K >> 5) & 3) != 3) return &thumb_shift<(K >> 5) & 3>;
        else return &thumb_add_sub<(K & 0x10) != 0, (K & 0x08) != 0>;
    } else if constexpr ((K >> 7) == 1) {
        return &thumb_immediate<(K >> 5) & 3>;
    } else if constexpr ((K >> 4) == 0x10) {
        return &thumb_alu<K & 15>;
    } else if constexpr ((K >> 4) == 0x11) {
        return &thumb_high<(K >> 2) & 3, (K & 2) != 0, (K & 1) != 0>;
    } else if constexpr ((K >> 5) == 0x09) {
        return &thumb_load_pc;
    } else if constexpr ((K >> 6) == 0x5) {
        return &thumb_reg_offset<(K >> 3) & 7>;
    } else if constexpr ((K >> 7) == 3) {
        constexpr uint32_t bl = (K >> 5) & 3; // B, L
        if constexpr (bl == 0) return &thumb_imm_offset<kStr, 4>;
        else if constexpr (bl == 1) return &thumb_imm_offset<kLdr, 4>;
        else if constexpr (bl == 2) return &thumb_imm_offset<kStrb, 1>;
        else return &thumb_imm_offset<kLdrb, 1>;
    } else if constexpr ((K >> 6) == 0x8) {
        if constexpr (K & 0x20) return &thumb_imm_offset<kLdrh, 2>;
        else return &thumb_imm_offset<kStrh, 2>;
    } else if constexpr ((K >> 6) == 0x9) {
        return &thumb_sp_relative<(K & 0x20) != 0>;
    } else if constexpr ((K >> 6) == 0xA) {
        return &thumb_load_address<(K & 0x20) != 0>;
    } else if constexpr ((K >> 2) == 0xB0) {
        return &thumb_adjust_sp;
    } else if constexpr ((K >> 6) == 0xB && ((K >> 3) & 3) == 2) {
        return &thumb_push_pop<(K & 0x20) != 0, (K & 0x04) != 0>;
    } else if constexpr ((K >> 6) == 0xC) {
        return &thumb_multiple<(K & 0x20) != 0>;
    } else if constexpr ((K >> 6) == 0xD) {
        constexpr uint32_t cond = (K >> 2) & 15;
        if constexpr (cond == 15) return &thumb_swi;
        else if constexpr (cond == 14) return &thumb_undefined;
        else return &thumb_branch_cond<cond>;
    } else if constexpr ((K >> 5) == 0x1C) {
        return &thumb_branch;
    } else if constexpr ((K >> 5) == 0x1E) {
        return &thumb_bl_high;
    } else if constexpr ((K >> 5) == 0x1F) {
        return &thumb_bl_low;
    } else {
        return &thumb_undefined;
    }
}

struct ThumbDecoder {
    template <uint32_t K> static constexpr Handler pick() { return thumb_pick<K>(); }
};
constexpr auto kThumbTable = make_decode_table<ThumbDecoder>(MakeIndexPack<1024>{});

} // namespace

void cpu_run_thumb(Gba& gba) { run_state<true>(gba, kThumbTable); }

} // namespace emu
