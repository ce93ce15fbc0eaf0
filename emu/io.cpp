// The I/O registers: which bits each register keeps, what a read sees, and
// what a write sets off. Every write is a halfword with a byte mask, so 8-,
// 16- and 32-bit writes share one path.
#include "emu/io.hpp"

namespace emu {
namespace {

struct RegInfo {
    uint16_t keep; // the bits a write stores
    uint16_t read; // the bits a read shows
    bool readable; // false: write-only or unused (the read sees the open bus or 0)
};

struct RegRange {
    uint16_t first, last; // halfword offsets, inclusive
    uint16_t keep, read;
    bool readable;
};

constexpr uint32_t kTableEnd = 0x210;

constexpr RegRange kRanges[] = {
    {0x000, 0x000, 0xFFF7, 0xFFF7, true}, // DISPCNT (bit 3 only the BIOS sets)
    {0x002, 0x002, 0x0001, 0x0001, true}, // green swap
    {0x004, 0x004, 0xFF3F, 0xFF3F, true}, // DISPSTAT
    {0x006, 0x006, 0x00FF, 0x00FF, true}, // VCOUNT
    {0x008, 0x00A, 0xDFFF, 0xDFFF, true}, // BG0CNT, BG1CNT
    {0x00C, 0x00E, 0xFFFF, 0xFFFF, true}, // BG2CNT, BG3CNT
    {0x010, 0x01E, 0x01FF, 0, false},     // BG scroll
    {0x020, 0x026, 0xFFFF, 0, false},     // BG2 PA-PD
    {0x028, 0x028, 0xFFFF, 0, false},     // BG2X
    {0x02A, 0x02A, 0x0FFF, 0, false},
    {0x02C, 0x02C, 0xFFFF, 0, false}, // BG2Y
    {0x02E, 0x02E, 0x0FFF, 0, false},
    {0x030, 0x036, 0xFFFF, 0, false}, // BG3 PA-PD
    {0x038, 0x038, 0xFFFF, 0, false}, // BG3X
    {0x03A, 0x03A, 0x0FFF, 0, false},
    {0x03C, 0x03C, 0xFFFF, 0, false}, // BG3Y
    {0x03E, 0x03E, 0x0FFF, 0, false},
    {0x040, 0x046, 0xFFFF, 0, false},     // window edges
    {0x048, 0x04A, 0x3F3F, 0x3F3F, true}, // WININ, WINOUT
    {0x04C, 0x04C, 0xFFFF, 0, true},      // MOSAIC (reads zero)
    {0x04E, 0x04E, 0, 0, true},
    {0x050, 0x050, 0x3FFF, 0x3FFF, true}, // BLDCNT
    {0x052, 0x052, 0x1F1F, 0x1F1F, true}, // BLDALPHA
    {0x054, 0x054, 0x001F, 0, true},      // BLDY (reads zero)
    {0x056, 0x056, 0, 0, true},
    {0x060, 0x060, 0x007F, 0x007F, true}, // SOUND1CNT_L
    {0x062, 0x062, 0xFFFF, 0xFFC0, true}, // SOUND1CNT_H (length write-only)
    {0x064, 0x064, 0xC7FF, 0x4000, true}, // SOUND1CNT_X
    {0x066, 0x066, 0, 0, true},
    {0x068, 0x068, 0xFFFF, 0xFFC0, true}, // SOUND2CNT_L
    {0x06A, 0x06A, 0, 0, true},
    {0x06C, 0x06C, 0xC7FF, 0x4000, true}, // SOUND2CNT_H
    {0x06E, 0x06E, 0, 0, true},
    {0x070, 0x070, 0x00E0, 0x00E0, true}, // SOUND3CNT_L
    {0x072, 0x072, 0xE0FF, 0xE000, true}, // SOUND3CNT_H
    {0x074, 0x074, 0xC7FF, 0x4000, true}, // SOUND3CNT_X
    {0x076, 0x076, 0, 0, true},
    {0x078, 0x078, 0xFF3F, 0xFF00, true}, // SOUND4CNT_L
    {0x07A, 0x07A, 0, 0, true},
    {0x07C, 0x07C, 0xC0FF, 0x40FF, true}, // SOUND4CNT_H
    {0x07E, 0x07E, 0, 0, true},
    {0x080, 0x080, 0xFF77, 0xFF77, true}, // SOUNDCNT_L
    {0x082, 0x082, 0xFF0F, 0x770F, true}, // SOUNDCNT_H (FIFO resets write-only)
    {0x084, 0x084, 0x008F, 0x008F, true}, // SOUNDCNT_X (bits 0-3 kept by the sound)
    {0x086, 0x086, 0, 0, true},
    {0x088, 0x088, 0xC3FE, 0xC3FE, true}, // SOUNDBIAS
    {0x08A, 0x08A, 0, 0, true},
    {0x090, 0x09E, 0xFFFF, 0xFFFF, true}, // wave RAM
    {0x0A0, 0x0A6, 0xFFFF, 0, false},     // FIFO A, B
    // DMA0-3: SAD, DAD (27 or 28 address bits), CNT_L (14 or 16 bits), CNT_H.
    {0x0B0, 0x0B0, 0xFFFF, 0, false},
    {0x0B2, 0x0B2, 0x07FF, 0, false},
    {0x0B4, 0x0B4, 0xFFFF, 0, false},
    {0x0B6, 0x0B6, 0x07FF, 0, false},
    {0x0B8, 0x0B8, 0x3FFF, 0, false},
    {0x0BA, 0x0BA, 0xF7E0, 0xF7E0, true},
    {0x0BC, 0x0BC, 0xFFFF, 0, false},
    {0x0BE, 0x0BE, 0x0FFF, 0, false},
    {0x0C0, 0x0C0, 0xFFFF, 0, false},
    {0x0C2, 0x0C2, 0x07FF, 0, false},
    {0x0C4, 0x0C4, 0x3FFF, 0, false},
    {0x0C6, 0x0C6, 0xF7E0, 0xF7E0, true},
    {0x0C8, 0x0C8, 0xFFFF, 0, false},
    {0x0CA, 0x0CA, 0x0FFF, 0, false},
    {0x0CC, 0x0CC, 0xFFFF, 0, false},
    {0x0CE, 0x0CE, 0x07FF, 0, false},
    {0x0D0, 0x0D0, 0x3FFF, 0, false},
    {0x0D2, 0x0D2, 0xF7E0, 0xF7E0, true},
    {0x0D4, 0x0D4, 0xFFFF, 0, false},
    {0x0D6, 0x0D6, 0x0FFF, 0, false},
    {0x0D8, 0x0D8, 0xFFFF, 0, false},
    {0x0DA, 0x0DA, 0x0FFF, 0, false},
    {0x0DC, 0x0DC, 0xFFFF, 0, false},
    {0x0DE, 0x0DE, 0xFFE0, 0xFFE0, true},
    // Timers: the reload (a read sees the counter) and the control.
    {0x100, 0x100, 0xFFFF, 0xFFFF, true},
    {0x102, 0x102, 0x00C7, 0x00C7, true},
    {0x104, 0x104, 0xFFFF, 0xFFFF, true},
    {0x106, 0x106, 0x00C7, 0x00C7, true},
    {0x108, 0x108, 0xFFFF, 0xFFFF, true},
    {0x10A, 0x10A, 0x00C7, 0x00C7, true},
    {0x10C, 0x10C, 0xFFFF, 0xFFFF, true},
    {0x10E, 0x10E, 0x00C7, 0x00C7, true},
    {0x120, 0x12A, 0xFFFF, 0xFFFF, true}, // serial data and control
    {0x130, 0x130, 0x03FF, 0x03FF, true}, // KEYINPUT
    {0x132, 0x132, 0xC3FF, 0xC3FF, true}, // KEYCNT
    {0x134, 0x134, 0xC1FF, 0xC1FF, true}, // RCNT
    {0x136, 0x136, 0, 0, true},
    {0x140, 0x140, 0x0047, 0x0047, true}, // JOYCNT
    {0x142, 0x142, 0, 0, true},
    {0x150, 0x156, 0xFFFF, 0xFFFF, true}, // JOY_RECV, JOY_TRANS
    {0x158, 0x158, 0x0030, 0x003A, true}, // JOYSTAT
    {0x15A, 0x15A, 0, 0, true},
    {0x200, 0x202, 0x3FFF, 0x3FFF, true}, // IE, IF
    {0x204, 0x204, 0x5FFF, 0x5FFF, true}, // WAITCNT
    {0x206, 0x206, 0, 0, true},
    {0x208, 0x208, 0x0001, 0x0001, true}, // IME
    {0x20A, 0x20A, 0, 0, true},
};

struct RegTable {
    RegInfo reg[kTableEnd / 2];
};

constexpr RegTable make_table() {
    RegTable t{};
    for (const RegRange& r : kRanges) {
        for (uint32_t off = r.first; off <= r.last; off += 2) t.reg[off / 2] = {r.keep, r.read, r.readable};
    }
    return t;
}

constexpr RegTable kTable = make_table();

constexpr uint32_t kMemctlKeep = 0xFF00002F;

bool is_memctl(uint32_t addr) { return (addr & 0xFFFC) == 0x800; }

bool half_readable(uint32_t off) {
    if (off < kTableEnd) return kTable.reg[off / 2].readable;
    return off == kRegPostflg || off == kRegPostflg + 2;
}

// The halfword at an even offset as a read sees it.
uint16_t read_half(Gba& gba, uint32_t addr) {
    const uint32_t off = addr & 0xFFFFFF;
    if (off >= kIoSize) {
        if (is_memctl(addr)) return static_cast<uint16_t>(gba.machine.memctl >> ((addr & 2) * 8));
        return static_cast<uint16_t>(bus_open_value(gba) >> ((addr & 2) * 8));
    }
    if (!half_readable(off)) {
        if (half_readable(off ^ 2)) return 0;
        return static_cast<uint16_t>(bus_open_value(gba) >> ((off & 2) * 8));
    }
    if (off >= kTableEnd) return off == kRegPostflg ? static_cast<uint16_t>(gba.mem.io[kRegPostflg] & 1) : 0;
    if (off >= kRegTm0 && off <= kRegTmLast && (off & 2) == 0) return timer_read_counter(gba, (off - kRegTm0) / 4);
    return io_get(gba, off) & kTable.reg[off / 2].read;
}

bool in(uint32_t off, uint32_t first, uint32_t last) { return off >= first && off <= last; }

// POSTFLG can be set but not cleared again; HALTCNT only obeys the BIOS.
void write_halt(Gba& gba, uint16_t value, uint16_t mask) {
    if (mask & 0x00FF) gba.mem.io[kRegPostflg] = static_cast<uint8_t>(gba.mem.io[kRegPostflg] | (value & 1));
    if ((mask & 0xFF00) && gba.machine.pc_in_bios) {
        gba.machine.halted = true;
        gba.machine.stopped = (value & 0x8000) != 0;
        gba.run_until = gba.cycles;
        irq_update(gba, kIrqEnableDelay);
    }
}

// No link cable is plugged in: a transfer the handheld starts (normal mode
// with the internal clock, or multi-player as the parent) ends at once,
// having received all ones (normal) or no child (multi-player: 0xFFFF).
void serial_start(Gba& gba) {
    const uint16_t control = io_get(gba, kRegSiocnt);
    if (!(control & 0x80) || (io_get(gba, 0x134) & 0x8000)) return;
    const uint32_t mode = (control >> 12) & 3;
    if (mode < 2 && !(control & 1)) return; // an outside clock that never comes
    if (mode == 2) {
        for (uint32_t off = kRegSiodata32; off < kRegSiocnt; off += 2) io_set(gba, off, 0xFFFF);
    } else {
        io_set(gba, kRegSiodata32, 0xFFFF);
        io_set(gba, kRegSiodata32 + 2, 0xFFFF);
        io_set(gba, kRegSiodata8, 0xFFFF);
    }
    io_set(gba, kRegSiocnt, static_cast<uint16_t>(control & ~0x80));
    if (control & 0x4000) machine_raise_irq(gba, kIrqSerial);
}

// A write of the bytes of `mask` at an even offset.
void write_half(Gba& gba, uint32_t addr, uint16_t value, uint16_t mask) {
    const uint32_t off = addr & 0xFFFFFF;
    if (off >= kIoSize) {
        if (is_memctl(addr)) {
            const uint32_t shift = (addr & 2) * 8;
            const uint32_t bits = static_cast<uint32_t>(mask) << shift;
            Machine& m = gba.machine;
            m.memctl = ((m.memctl & ~bits) | ((static_cast<uint32_t>(value) << shift) & bits)) & kMemctlKeep;
            waits_update(gba);
        }
        return;
    }
    if (off >= kTableEnd) {
        if (off == kRegPostflg) write_halt(gba, value, mask);
        return;
    }
    const RegInfo& reg = kTable.reg[off / 2];
    const uint16_t old = io_get(gba, off);
    const uint16_t merged = static_cast<uint16_t>(((old & ~mask) | (value & mask)) & reg.keep);
    switch (off) {
    case kRegDispstat:
        io_set(gba, off, static_cast<uint16_t>((old & 0x0007) | (merged & 0xFF38)));
        display_vcount_check(gba);
        return;
    case kRegVcount:
    case kRegKeyinput: return;
    case kRegIf:
        io_set(gba, off, static_cast<uint16_t>(old & ~(value & mask)));
        irq_update(gba, kIrqEnableDelay);
        return;
    case kRegIe:
    case kRegIme:
        io_set(gba, off, merged);
        irq_update(gba, kIrqEnableDelay);
        return;
    case kRegWaitcnt:
        io_set(gba, off, merged);
        waits_update(gba);
        return;
    case kRegKeycnt:
        io_set(gba, off, merged);
        keypad_check(gba);
        return;
    case kRegSiocnt:
        io_set(gba, off, merged);
        serial_start(gba);
        return;
    default: break;
    }
    io_set(gba, off, merged);
    if (in(off, kRegTm0, kRegTmLast)) {
        const uint32_t timer = (off - kRegTm0) / 4;
        if (off & 2) timer_write_control(gba, timer, merged);
        else timer_write_reload(gba, timer, merged);
    } else if (in(off, kRegDma0, kRegDmaLast)) {
        if ((off - kRegDma0) % 12 == 10) dma_write_control(gba, (off - kRegDma0) / 12, merged);
    } else if (in(off, kRegBg2x, kRegBg3y + 2) && (off & 0x8)) {
        video_reference_written(gba, off < 0x030 ? 2 : 3);
    } else if (in(off, kRegSoundFirst, kRegSoundLast)) {
        const uint32_t first = mask == 0xFF00 ? off + 1 : off;
        apu_register_written(gba, first, mask == 0xFFFF ? 2 : 1);
        if (off == kRegSoundcntX) timers_schedule(gba);
    }
}

} // namespace

uint16_t io_read16(Gba& gba, uint32_t addr) { return read_half(gba, addr & ~1u); }

uint8_t io_read8(Gba& gba, uint32_t addr) {
    return static_cast<uint8_t>(read_half(gba, addr & ~1u) >> ((addr & 1) * 8));
}

uint32_t io_read32(Gba& gba, uint32_t addr) {
    addr &= ~3u;
    return static_cast<uint32_t>(read_half(gba, addr)) | static_cast<uint32_t>(read_half(gba, addr + 2)) << 16;
}

void io_write8(Gba& gba, uint32_t addr, uint8_t value) {
    const uint32_t shift = (addr & 1) * 8;
    write_half(gba, addr & ~1u, static_cast<uint16_t>(value << shift), static_cast<uint16_t>(0xFF << shift));
}

void io_write16(Gba& gba, uint32_t addr, uint16_t value) { write_half(gba, addr & ~1u, value, 0xFFFF); }

void io_write32(Gba& gba, uint32_t addr, uint32_t value) {
    addr &= ~3u;
    write_half(gba, addr, static_cast<uint16_t>(value), 0xFFFF);
    write_half(gba, addr + 2, static_cast<uint16_t>(value >> 16), 0xFFFF);
}

void irq_update(Gba& gba, uint64_t delay) {
    const uint16_t active = io_get(gba, kRegIe) & io_get(gba, kRegIf) & 0x3FFF;
    Machine& m = gba.machine;
    // A request reaches the processor a few cycles after it is raised.
    if (!(io_get(gba, kRegIme) & 1) || active == 0) {
        m.irq_pending = false;
        m.irq_at = kNever;
    } else if (!m.irq_pending && m.irq_at == kNever) {
        m.irq_at = gba.cycles + delay;
        if (m.irq_at < gba.run_until) gba.run_until = m.irq_at;
    }
    // A halt ends on any enabled request, whatever IME says; a stop only on
    // the keypad's or the cartridge's.
    if (active != 0 && (!m.stopped || (active & (kIrqKeypad | kIrqGamePak)))) {
        m.halted = false;
        m.stopped = false;
    }
}

void irq_deliver(Gba& gba) {
    Machine& m = gba.machine;
    if (gba.cycles < m.irq_at) return;
    m.irq_at = kNever;
    m.irq_pending = true;
}

void machine_raise_irq(Gba& gba, uint16_t sources) {
    io_set(gba, kRegIf, static_cast<uint16_t>(io_get(gba, kRegIf) | sources));
    irq_update(gba, kIrqDelay);
}

void keypad_check(Gba& gba) {
    const uint16_t keycnt = io_get(gba, kRegKeycnt);
    if (!(keycnt & 0x4000)) return;
    const uint16_t select = keycnt & 0x3FF;
    const uint16_t held = gba.machine.keys & select;
    const bool all = (keycnt & 0x8000) != 0;
    if (all ? (select != 0 && held == select) : held != 0) machine_raise_irq(gba, kIrqKeypad);
}

} // namespace emu
