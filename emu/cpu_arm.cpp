// The ARM state interpreter: branches, exceptions, the decode table (built at
// compile time, indexed by opcode bits 27-20 and 7-4) and the loop.
#include "emu/cpu_arm_alu.inc"
#include "emu/cpu_arm_mem.inc"
#include "emu/cpu_internal.inc"

namespace emu {
namespace {

// B/BL: r15 + sign-extended 24-bit word offset; BL puts the next
// instruction's address in r14.
template <bool Link> void arm_branch(Gba& gba, uint32_t op) {
    Cpu& c = gba.cpu;
    uint32_t offset = static_cast<uint32_t>(static_cast<int32_t>(op << 8) >> 6);
    if constexpr (Link) c.r[14] = c.r[15] - 4;
    cpu_jump(gba, c.r[15] + offset);
}

// BX: bit 0 of Rm selects Thumb.
void arm_bx(Gba& gba, uint32_t op) {
    Cpu& c = gba.cpu;
    uint32_t target = c.r[op & 15];
    if (target & 1) {
        c.cpsr |= kFlagT;
        cpu_leave_loop(gba);
    }
    cpu_jump(gba, target);
}

void arm_swi(Gba& gba, uint32_t) { cpu_exception(gba, kModeSupervisor, kVectorSwi, gba.cpu.r[15] - 4); }

// Undefined opcodes, coprocessor instructions included (there is no
// coprocessor to answer them).
void arm_undefined(Gba& gba, uint32_t op) { cpu_undefined(gba, op, gba.cpu.r[15] - 8, gba.cpu.r[15] - 4); }

// The handler for one value of bits 27-20 (hi) and 7-4 (lo).
template <uint32_t K> constexpr Handler arm_pick() {
    constexpr uint32_t hi = K >> 4, lo = K & 15;
    constexpr bool p = hi & 0x10, u = hi & 0x08, b = hi & 0x04, w = hi & 0x02, l = hi & 0x01;
    constexpr uint32_t group = hi >> 5;
    if constexpr (group == 0) {
        if constexpr (lo == 0x9) {
            if constexpr ((hi & 0xFC) == 0x00) return &arm_multiply<w, l>;
            else if constexpr ((hi & 0xF8) == 0x08) return &arm_multiply_long<b, w, l>;
            else if constexpr ((hi & 0xFB) == 0x10) return &arm_swap<b>;
            else return &arm_undefined;
        } else if constexpr ((lo & 0x9) == 0x9) {
            return &arm_halfword<p, u, b, w, l, (lo >> 1) & 3>;
        } else if constexpr ((hi & 0xF9) == 0x10) {
            if constexpr (lo == 0 && !w) return &arm_mrs<b>;
            else if constexpr (lo == 0 && w) return &arm_msr<b, false>;
            else if constexpr (lo == 1 && hi == 0x12) return &arm_bx;
            else return &arm_undefined;
        } else {
            return &arm_alu<(hi >> 1) & 15, l, false, (lo >> 1) & 3, (lo & 1) != 0>;
        }
    } else if constexpr (group == 1) {
        if constexpr ((hi & 0x19) == 0x10) {
            if constexpr (w) return &arm_msr<b, true>;
            else return &arm_undefined;
        } else {
            return &arm_alu<(hi >> 1) & 15, l, true, 0, false>;
        }
    } else if constexpr (group == 2) {
        return &arm_single<false, p, u, b, w, l, 0>;
    } else if constexpr (group == 3) {
        if constexpr (lo & 1) return &arm_undefined;
        else return &arm_single<true, p, u, b, w, l, (lo >> 1) & 3>;
    } else if constexpr (group == 4) {
        return &arm_block<p, u, b, w, l>;
    } else if constexpr (group == 5) {
        return &arm_branch<p>;
    } else if constexpr (group == 7 && p) {
        return &arm_swi;
    } else {
        return &arm_undefined;
    }
}

struct ArmDecoder {
    template <uint32_t K> static constexpr Handler pick() { return arm_pick<K>(); }
};
constexpr auto kArmTable = make_decode_table<ArmDecoder>(MakeIndexPack<4096>{});

} // namespace

void cpu_run_arm(Gba& gba) { run_state<false>(gba, kArmTable); }

} // namespace emu
