// The display timing: 228 lines of 1232 cycles. A visible line is drawn when
// its horizontal blanking starts (cycle 960); DISPSTAT's HBlank flag, the
// HBlank IRQ and HBlank DMA follow at cycle 1006; lines 160-226 are vertical
// blanking.
#include "emu/io.hpp"

namespace emu {
namespace {

constexpr uint16_t kStatVblank = 1u << 0;
constexpr uint16_t kStatHblank = 1u << 1;
constexpr uint16_t kStatVcount = 1u << 2;
constexpr uint16_t kStatVblankIrq = 1u << 3;
constexpr uint16_t kStatHblankIrq = 1u << 4;
constexpr uint16_t kStatVcountIrq = 1u << 5;

void set_status(Gba& gba, uint16_t bits, bool on) {
    const uint16_t stat = io_get(gba, kRegDispstat);
    io_set(gba, kRegDispstat, static_cast<uint16_t>(on ? stat | bits : stat & ~bits));
}

void hblank_begins(Gba& gba) {
    Machine& m = gba.machine;
    if (m.line < kVblankLine) video_draw_line(gba, m.line);
    m.line_phase = 1;
    m.next_display = m.line_start + kHblankFlagSet;
}

void hblank_flag(Gba& gba) {
    Machine& m = gba.machine;
    set_status(gba, kStatHblank, true);
    if (m.line < kVblankLine) dma_trigger(gba, DmaTiming::Hblank);
    dma_capture_line(gba, m.line);
    if (io_get(gba, kRegDispstat) & kStatHblankIrq) machine_raise_irq(gba, kIrqHblank);
    m.line_phase = 2;
    m.next_display = m.line_start + kLineCycles;
}

void line_begins(Gba& gba) {
    Machine& m = gba.machine;
    m.line_start += kLineCycles;
    m.line = m.line + 1 == kLinesPerFrame ? 0 : m.line + 1;
    m.line_phase = 0;
    m.next_display = m.line_start + kHblankStart;
    set_status(gba, kStatHblank, false);
    io_set(gba, kRegVcount, static_cast<uint16_t>(m.line));
    if (m.line == kVblankLine) {
        set_status(gba, kStatVblank, true);
        if (io_get(gba, kRegDispstat) & kStatVblankIrq) machine_raise_irq(gba, kIrqVblank);
        dma_trigger(gba, DmaTiming::Vblank);
        gba.frames += 1;
        m.frame_done = true;
    } else if (m.line == kLinesPerFrame - 1) {
        set_status(gba, kStatVblank, false);
    } else if (m.line == 0) {
        video_frame_start(gba);
    }
    display_vcount_check(gba);
}

} // namespace

void display_init(Gba& gba) {
    Machine& m = gba.machine;
    m.line = 0;
    m.line_start = gba.cycles;
    m.line_phase = 0;
    m.next_display = m.line_start + kHblankStart;
}

void display_process(Gba& gba) {
    while (gba.cycles >= gba.machine.next_display) {
        switch (gba.machine.line_phase) {
        case 0: hblank_begins(gba); break;
        case 1: hblank_flag(gba); break;
        default: line_begins(gba); break;
        }
    }
}

void display_vcount_check(Gba& gba) {
    const uint16_t stat = io_get(gba, kRegDispstat);
    const bool match = (stat >> 8) == gba.machine.line;
    set_status(gba, kStatVcount, match);
    if (match && !(stat & kStatVcount) && (stat & kStatVcountIrq)) machine_raise_irq(gba, kIrqVcount);
}

} // namespace emu
