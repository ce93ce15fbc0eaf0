// The four DMA channels. A transfer runs whole when the machine's loop gets
// to it (right after the instruction that started it, or at the event that
// triggered it), lower channels first; the processor waits meanwhile.
#include "emu/bus.hpp"
#include "emu/io.hpp"

namespace emu {
namespace {

// DMA0 reaches internal memory only; DMA3 alone writes the cartridge area.
constexpr uint32_t kSrcMask[4] = {0x07FFFFFF, 0x0FFFFFFF, 0x0FFFFFFF, 0x0FFFFFFF};
constexpr uint32_t kDstMask[4] = {0x07FFFFFF, 0x07FFFFFF, 0x07FFFFFF, 0x0FFFFFFF};
constexpr uint32_t kFifoA = 0x040000A0;

uint32_t reg_base(uint32_t ch) { return kRegDma0 + 12 * ch; }

uint32_t reg32(const Gba& gba, uint32_t off) {
    return static_cast<uint32_t>(io_get(gba, off)) | static_cast<uint32_t>(io_get(gba, off + 2)) << 16;
}

DmaTiming timing_of(uint16_t control) { return static_cast<DmaTiming>((control >> 12) & 3); }

bool fifo_mode(uint32_t ch, uint16_t control) {
    return (ch == 1 || ch == 2) && timing_of(control) == DmaTiming::Special;
}

void latch_count(Gba& gba, uint32_t ch) {
    const uint32_t count = io_get(gba, reg_base(ch) + 8);
    gba.machine.dma[ch].count = count != 0 ? count : (ch == 3 ? 0x10000u : 0x4000u);
}

// A channel whose start condition came runs kDmaStartDelay cycles later.
void make_pending(Gba& gba, uint32_t ch) {
    Machine& m = gba.machine;
    const uint64_t due = gba.cycles + kDmaStartDelay;
    if (!m.dma_pending || due < m.dma_due) m.dma_due = due;
    m.dma_pending = static_cast<uint8_t>(m.dma_pending | (1u << ch));
    if (m.dma_due < gba.run_until) gba.run_until = m.dma_due;
}

bool in_cartridge(uint32_t addr) { return addr >= 0x08000000 && addr < 0x0E000000; }

int32_t step(uint32_t control, uint32_t unit) {
    switch (control) {
    case 1: return -static_cast<int32_t>(unit);
    case 2: return 0;
    default: return static_cast<int32_t>(unit);
    }
}

// Runs channel ch until its transfer ends or gba.cycles reaches `until`
// (an event is due, which may start a channel of higher priority); true
// when the transfer ended.
bool transfer(Gba& gba, uint32_t ch, uint64_t until) {
    Machine& m = gba.machine;
    DmaChannel& d = m.dma[ch];
    const uint16_t control = d.control;
    const bool fifo = fifo_mode(ch, control);
    const bool word = fifo || (control & 0x400);
    const uint32_t unit = word ? 4 : 2;
    const uint32_t dst_control = fifo ? 2 : (control >> 5) & 3;
    const int32_t src_step = step((control >> 7) & 3, unit);
    const int32_t dst_step = step(dst_control, unit);
    const bool eeprom = ch == 3 && (save_eeprom_at(gba, d.src) || save_eeprom_at(gba, d.dst));

    if (d.left == 0) {
        d.left = fifo ? 4 : d.count;
        // The EEPROM learns its address width from the length of DMA 3's streams.
        if (eeprom) save_eeprom_dma(gba, d.left);
        gba.cycles += in_cartridge(d.src) && in_cartridge(d.dst) ? 4u : 2u;
    }
    // The first access (of the transfer, or after a pause) is non-sequential,
    // on the cartridge too, and so is the processor's next cartridge access.
    m.dma_running = true;
    m.cart_next = kNoCartAddress;
    prefetch_stop(gba);
    Access access = Access::NonSeq;
    while (d.left > 0 && (access == Access::NonSeq || gba.cycles < until)) {
        // The BIOS and unmapped memory give a DMA nothing: it moves what it
        // read last (a halfword from the half the destination selects).
        const bool readable = d.src >= 0x02000000 && d.src < 0x10000000;
        if (word) {
            const uint32_t v = bus_read32(gba, d.src & ~3u, access);
            if (readable) d.latch = v;
            bus_write32(gba, d.dst & ~3u, d.latch, access);
        } else {
            const uint16_t v = bus_read16(gba, d.src & ~1u, access);
            if (readable) d.latch = v * 0x10001u;
            bus_write16(gba, d.dst & ~1u, static_cast<uint16_t>(d.latch >> ((d.dst & 2) * 8)), access);
        }
        access = Access::Seq;
        d.src = (d.src + static_cast<uint32_t>(src_step)) & kSrcMask[ch];
        d.dst = (d.dst + static_cast<uint32_t>(dst_step)) & kDstMask[ch];
        d.left -= 1;
        if (!(d.control & 0x8000)) d.left = 0; // the transfer cleared its own enable bit
    }
    m.dma_running = false;
    m.open_bus = d.latch;
    m.cart_next = kNoCartAddress;
    if (d.left > 0) return false;

    m.dma_pending = static_cast<uint8_t>(m.dma_pending & ~(1u << ch));
    if (eeprom) save_eeprom_dma(gba, 0);
    if (!(d.control & 0x8000)) return true;
    if (control & 0x4000) machine_raise_irq(gba, static_cast<uint16_t>(kIrqDma0 << ch));
    if ((control & 0x200) && timing_of(control) != DmaTiming::Immediate) {
        latch_count(gba, ch);
        if (dst_control == 3) d.dst = reg32(gba, reg_base(ch) + 4) & kDstMask[ch];
    } else {
        d.control = static_cast<uint16_t>(d.control & ~0x8000);
        io_set(gba, reg_base(ch) + 10, d.control);
    }
    return true;
}

} // namespace

void dma_write_control(Gba& gba, uint32_t ch, uint16_t value) {
    DmaChannel& d = gba.machine.dma[ch];
    const bool was = (d.control & 0x8000) != 0;
    d.control = value;
    if (!(value & 0x8000)) {
        gba.machine.dma_pending = static_cast<uint8_t>(gba.machine.dma_pending & ~(1u << ch));
        if (!gba.machine.dma_running) d.left = 0;
        return;
    }
    if (was) return;
    d.src = reg32(gba, reg_base(ch)) & kSrcMask[ch];
    d.dst = reg32(gba, reg_base(ch) + 4) & kDstMask[ch];
    latch_count(gba, ch);
    if (timing_of(value) == DmaTiming::Immediate) make_pending(gba, ch);
}

void dma_trigger(Gba& gba, DmaTiming timing) {
    for (uint32_t ch = 0; ch < 4; ++ch) {
        const uint16_t control = gba.machine.dma[ch].control;
        if ((control & 0x8000) && timing_of(control) == timing) make_pending(gba, ch);
    }
}

void dma_capture_line(Gba& gba, uint32_t line) {
    // A capture enabled in mid-frame waits for line 2.
    Machine& m = gba.machine;
    DmaChannel& d = m.dma[3];
    if (!(d.control & 0x8000) || timing_of(d.control) != DmaTiming::Special) {
        m.capture_active = false;
        return;
    }
    if (line == 2) m.capture_active = true;
    if (m.capture_active && line >= 2 && line < 162) {
        make_pending(gba, 3);
    } else if (line == 162 && m.capture_active) {
        m.capture_active = false;
        d.control = static_cast<uint16_t>(d.control & ~0x8000);
        io_set(gba, reg_base(3) + 10, d.control);
    }
}

void dma_run_pending(Gba& gba, uint64_t until) {
    while (gba.machine.dma_pending) {
        const uint32_t ch = static_cast<uint32_t>(__builtin_ctz(gba.machine.dma_pending));
        if (!transfer(gba, ch, until)) return;
    }
}

void machine_fifo_request(Gba& gba, uint32_t fifo) {
    for (uint32_t ch = 1; ch <= 2; ++ch) {
        const DmaChannel& d = gba.machine.dma[ch];
        if ((d.control & 0x8000) && fifo_mode(ch, d.control) && d.dst == kFifoA + 4 * fifo) make_pending(gba, ch);
    }
}

} // namespace emu
