// The display timing: 228 lines of 1232 cycles. Each line goes through the
// same steps, at the cycles the hardware shows them relative to the VCOUNT
// increment: the VBlank flag (and VBlank DMA) with the new line, the VCount
// match flag a cycle later, their IRQs two cycles after their flags; the
// visible line drawn when its horizontal blanking starts (cycle 960), the
// HBlank flag and HBlank DMA at 1007 and the HBlank IRQ at 1009.
#include "emu/io.hpp"

namespace emu {
namespace {

constexpr uint16_t kStatVblank = 1u << 0;
constexpr uint16_t kStatHblank = 1u << 1;
constexpr uint16_t kStatVcount = 1u << 2;
constexpr uint16_t kStatVblankIrq = 1u << 3;
constexpr uint16_t kStatHblankIrq = 1u << 4;
constexpr uint16_t kStatVcountIrq = 1u << 5;

enum Step : uint8_t { kLineStart, kVcountFlag, kVblankIrq, kVcountIrq, kDraw, kHblankFlag, kHblankIrq, kSteps };
constexpr uint32_t kStepAt[kSteps] = {0, 1, 2, 3, kHblankStart, kHblankFlagSet, kHblankFlagSet + 2};

uint16_t stat(const Gba& gba) { return io_get(gba, kRegDispstat); }

void set_status(Gba& gba, uint16_t bits, bool on) {
    const uint16_t old = stat(gba);
    io_set(gba, kRegDispstat, static_cast<uint16_t>(on ? old | bits : old & ~bits));
}

// Updates the VCount match flag; true when a match begins with its IRQ enabled.
bool vcount_compare(Gba& gba) {
    const uint16_t old = stat(gba);
    const bool match = (old >> 8) == gba.machine.line;
    set_status(gba, kStatVcount, match);
    return match && !(old & kStatVcount) && (old & kStatVcountIrq);
}

void line_begins(Gba& gba) {
    Machine& m = gba.machine;
    m.line = m.line + 1 == kLinesPerFrame ? 0 : m.line + 1;
    set_status(gba, kStatHblank, false);
    io_set(gba, kRegVcount, static_cast<uint16_t>(m.line));
    if (m.line == kVblankLine) {
        set_status(gba, kStatVblank, true);
        dma_trigger(gba, DmaTiming::Vblank);
        gba.frames += 1;
        m.frame_done = true;
    } else if (m.line == kLinesPerFrame - 1) {
        set_status(gba, kStatVblank, false);
    } else if (m.line == 0) {
        video_frame_start(gba);
    }
}

void run_step(Gba& gba, uint8_t step) {
    Machine& m = gba.machine;
    switch (step) {
    case kLineStart: line_begins(gba); break;
    case kVcountFlag: m.vcount_irq_due = vcount_compare(gba); break;
    case kVblankIrq:
        if (m.line == kVblankLine && (stat(gba) & kStatVblankIrq)) machine_raise_irq(gba, kIrqVblank);
        break;
    case kVcountIrq:
        if (m.vcount_irq_due) machine_raise_irq(gba, kIrqVcount);
        m.vcount_irq_due = false;
        dma_capture_line(gba, m.line);
        break;
    case kDraw:
        if (m.line < kVblankLine) video_draw_line(gba, m.line);
        break;
    case kHblankFlag:
        set_status(gba, kStatHblank, true);
        if (m.line < kVblankLine) dma_trigger(gba, DmaTiming::Hblank);
        break;
    default:
        if (stat(gba) & kStatHblankIrq) machine_raise_irq(gba, kIrqHblank);
        break;
    }
}

} // namespace

void display_init(Gba& gba) {
    Machine& m = gba.machine;
    m.line = 0;
    m.line_start = gba.cycles;
    m.line_phase = kVcountFlag;
    m.next_display = m.line_start + kStepAt[kVcountFlag];
}

void display_process(Gba& gba) {
    Machine& m = gba.machine;
    while (gba.cycles >= m.next_display) {
        run_step(gba, m.line_phase);
        if (++m.line_phase == kSteps) {
            m.line_phase = kLineStart;
            m.line_start += kLineCycles;
        }
        m.next_display = m.line_start + kStepAt[m.line_phase];
    }
}

void display_vcount_check(Gba& gba) {
    if (vcount_compare(gba)) machine_raise_irq(gba, kIrqVcount);
}

} // namespace emu
