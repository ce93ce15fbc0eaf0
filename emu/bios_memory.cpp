// The system calls that copy, fill and compute into memory: CpuSet,
// CpuFastSet, BgAffineSet and ObjAffineSet. Every access goes through the
// bus, so mirrors, the VRAM write rules and the wait states apply.
#include "emu/bus.hpp"
#include "emu/gba.hpp"

namespace emu {
namespace {

int32_t read_s16(Gba& gba, uint32_t address, Access access) {
    return static_cast<int16_t>(bus_read16(gba, address, access));
}

constexpr uint32_t kCopySetupCycles = 39;
constexpr uint32_t kCopyEndCycles = 18;

uint32_t wrap_mul(int32_t a, int32_t b) { return static_cast<uint32_t>(a) * static_cast<uint32_t>(b); }

// The rotation and scaling of one angle (its top 8 bits index the sine table):
// the four parameters of the matrix, 8 bits of fraction.
struct Rotation {
    int32_t pa, pb, pc, pd;
};

Rotation rotation(int32_t scale_x, int32_t scale_y, uint32_t angle) {
    const int32_t sin = bios_sine(angle >> 8);
    const int32_t cos = bios_sine((angle >> 8) + 64);
    return Rotation{(scale_x * cos) >> 14, -(scale_x * sin) >> 14, (scale_y * sin) >> 14, (scale_y * cos) >> 14};
}

} // namespace

void bios_cpu_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t control) {
    const uint32_t count = control & 0x1FFFFF;
    const bool fill = (control & (1u << 24)) != 0;
    const bool words = (control & (1u << 26)) != 0;
    const uint32_t unit = words ? 4 : 2;
    // The checks and set-up before the loop, and the loop's end and return
    // after it (measured on hardware: a one-halfword CpuSet call takes 125
    // cycles from on-chip RAM, and 21 of them pass after its last write).
    gba.cycles += kCopySetupCycles;
    gba.bios.resume_cycles += kCopyEndCycles;
    if (!bios_readable_source(src) || !bios_readable_source(src + count * unit)) return;
    src &= ~(unit - 1);
    dst &= ~(unit - 1);
    uint32_t value = 0;
    for (uint32_t i = 0; i < count; ++i) {
        // LDR/STR (LDRH/STRH) one at a time: every access non-sequential.
        if (i == 0 || !fill)
            value = words ? bus_read32(gba, src, Access::NonSeq) : bus_read16(gba, src, Access::NonSeq);
        if (words) {
            bus_write32(gba, dst, value, Access::NonSeq);
        } else {
            bus_write16(gba, dst, static_cast<uint16_t>(value), Access::NonSeq);
        }
        if (!fill) src += unit;
        dst += unit;
        gba.cycles += fill ? 3 : 5; // the loop's own instructions
    }
}

void bios_cpu_fast_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t control) {
    // Whole blocks of 8 words: the count is rounded up.
    const uint32_t count = ((control & 0x1FFFFF) + 7) & ~7u;
    const bool fill = (control & (1u << 24)) != 0;
    gba.cycles += kCopySetupCycles;
    gba.bios.resume_cycles += kCopyEndCycles;
    if (!bios_readable_source(src) || !bios_readable_source(src + count * 4)) return;
    src &= ~3u;
    dst &= ~3u;
    uint32_t block[8] = {};
    if (fill) {
        block[0] = bus_read32(gba, src, Access::NonSeq);
        for (uint32_t& w : block) w = block[0];
    }
    for (uint32_t done = 0; done < count; done += 8) {
        if (!fill) { // LDMIA r0!, {r2-r9}
            for (uint32_t i = 0; i < 8; ++i)
                block[i] = bus_read32(gba, src + i * 4, i == 0 ? Access::NonSeq : Access::Seq);
            src += 32;
        }
        for (uint32_t i = 0; i < 8; ++i) { // STMIA r1!, {r2-r9}
            bus_write32(gba, dst + i * 4, block[i], i == 0 ? Access::NonSeq : Access::Seq);
        }
        dst += 32;
        gba.cycles += 4;
    }
}

// The affine calls take a 32-bit count. No table the handheld's memory can
// hold needs more than 65536 entries; a larger count would keep the hardware
// overwriting its own memory for minutes, and the host with it, so the core
// stops there.
constexpr uint32_t kAffineCountLimit = 0x10000;

void bios_bg_affine_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t count) {
    if (count > kAffineCountLimit) count = kAffineCountLimit;
    // Source: s32 texture centre x, y (8-bit fraction), s16 screen centre x, y,
    // s16 scale x, y, u16 angle (20 bytes with padding). Destination: s16
    // pa, pb, pc, pd and s32 start x, y (16 bytes).
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t ox = static_cast<int32_t>(bus_read32(gba, src, Access::NonSeq));
        const int32_t oy = static_cast<int32_t>(bus_read32(gba, src + 4, Access::NonSeq));
        const int32_t cx = read_s16(gba, src + 8, Access::NonSeq);
        const int32_t cy = read_s16(gba, src + 10, Access::NonSeq);
        const int32_t sx = read_s16(gba, src + 12, Access::NonSeq);
        const int32_t sy = read_s16(gba, src + 14, Access::NonSeq);
        const uint32_t angle = bus_read16(gba, src + 16, Access::NonSeq);
        const Rotation m = rotation(sx, sy, angle);
        // 32-bit wrap-around arithmetic, as the processor's.
        const uint32_t start_x = static_cast<uint32_t>(ox) - (wrap_mul(m.pa, cx) + wrap_mul(m.pb, cy));
        const uint32_t start_y = static_cast<uint32_t>(oy) - (wrap_mul(m.pc, cx) + wrap_mul(m.pd, cy));
        bus_write16(gba, dst, static_cast<uint16_t>(m.pa), Access::NonSeq);
        bus_write16(gba, dst + 2, static_cast<uint16_t>(m.pb), Access::NonSeq);
        bus_write16(gba, dst + 4, static_cast<uint16_t>(m.pc), Access::NonSeq);
        bus_write16(gba, dst + 6, static_cast<uint16_t>(m.pd), Access::NonSeq);
        bus_write32(gba, dst + 8, start_x, Access::NonSeq);
        bus_write32(gba, dst + 12, start_y, Access::NonSeq);
        src += 20;
        dst += 16;
        gba.cycles += 60;
    }
}

void bios_obj_affine_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t count, uint32_t stride) {
    // Source: s16 scale x, y, u16 angle (8 bytes with padding). The four
    // parameters go to dst, dst + stride, dst + 2*stride, dst + 3*stride.
    if (count > kAffineCountLimit) count = kAffineCountLimit;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t sx = read_s16(gba, src, Access::NonSeq);
        const int32_t sy = read_s16(gba, src + 2, Access::NonSeq);
        const uint32_t angle = bus_read16(gba, src + 4, Access::NonSeq);
        const Rotation m = rotation(sx, sy, angle);
        const int32_t params[4] = {m.pa, m.pb, m.pc, m.pd};
        for (int32_t p : params) {
            bus_write16(gba, dst, static_cast<uint16_t>(p), Access::NonSeq);
            dst += stride;
        }
        src += 8;
        gba.cycles += 40;
    }
}

} // namespace emu
