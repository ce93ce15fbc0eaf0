// The machine's own parts talking to each other: the I/O registers, the
// timers, the DMA channels, the display timing and the wait states. Only the
// machine's files include this; the rest of the core uses machine.hpp and bus.hpp.
#pragma once

#include <stdint.h>

#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {

// I/O register offsets from 0x04000000.
enum IoReg : uint32_t {
    kRegDispcnt = 0x000,
    kRegDispstat = 0x004,
    kRegVcount = 0x006,
    kRegBg2x = 0x028,
    kRegBg3y = 0x03C,
    kRegSoundFirst = 0x060,
    kRegSoundcntX = 0x084,
    kRegSoundLast = 0x0A7,
    kRegDma0 = 0x0B0,
    kRegDmaLast = 0x0DF,
    kRegTm0 = 0x100,
    kRegTmLast = 0x10F,
    kRegSiodata32 = 0x120,
    kRegSiocnt = 0x128,
    kRegSiodata8 = 0x12A,
    kRegKeyinput = 0x130,
    kRegKeycnt = 0x132,
    kRegIe = 0x200,
    kRegIf = 0x202,
    kRegWaitcnt = 0x204,
    kRegIme = 0x208,
    kRegPostflg = 0x300,
};

inline uint16_t io_get(const Gba& gba, uint32_t offset) { return load16(gba.mem.io + offset); }
inline void io_set(Gba& gba, uint32_t offset, uint16_t value) { store16(gba.mem.io + offset, value); }

// The register block at 0x04000000 (addr is the full address).
uint8_t io_read8(Gba& gba, uint32_t addr);
uint16_t io_read16(Gba& gba, uint32_t addr);
uint32_t io_read32(Gba& gba, uint32_t addr);
void io_write8(Gba& gba, uint32_t addr, uint8_t value);
void io_write16(Gba& gba, uint32_t addr, uint16_t value);
void io_write32(Gba& gba, uint32_t addr, uint32_t value);

// What a read of unmapped memory sees at this moment: the processor's last
// opcode fetch, or the value a DMA left.
uint32_t bus_open_value(const Gba& gba);

// Interrupts. A request raised by the hardware reaches the processor
// kIrqDelay cycles later; one that an IE or IME write lets through,
// kIrqEnableDelay cycles later (the delays the hardware shows from an event
// or from the enabling write to the handler's start). irq_deliver makes it
// pending when that time has come.
constexpr uint64_t kIrqDelay = 4;
constexpr uint64_t kIrqEnableDelay = 2;
void irq_update(Gba& gba, uint64_t delay);
void irq_deliver(Gba& gba);
void keypad_check(Gba& gba);

constexpr uint32_t kNoCartAddress = ~0u;

// Wait states from WAITCNT and the internal memory control.
void waits_update(Gba& gba);
// Any cartridge access but an opcode fetch empties the prefetch buffer
// (opcode fetches go through it in bus.cpp).
void prefetch_stop(Gba& gba);

// Timers. A started timer counts its first tick this many cycles after the
// write that started it.
constexpr uint64_t kTimerStartDelay = 2;
void timers_init(Gba& gba);
uint16_t timer_read_counter(Gba& gba, uint32_t timer);
void timer_write_reload(Gba& gba, uint32_t timer, uint16_t value);
void timer_write_control(Gba& gba, uint32_t timer, uint16_t value);
// Brings every timer up to gba.cycles, with the effects of the overflows on the way.
void timers_sync(Gba& gba);
// Recomputes machine.next_timer (after a change of the timers or of the sound's master enable).
void timers_schedule(Gba& gba);

// DMA.
enum class DmaTiming : uint8_t { Immediate = 0, Vblank = 1, Hblank = 2, Special = 3 };
constexpr uint64_t kDmaStartDelay = 2;
void dma_write_control(Gba& gba, uint32_t channel, uint16_t value);
void dma_trigger(Gba& gba, DmaTiming timing);
// DMA3's video capture: started on lines 2..161, stopped at line 162.
void dma_capture_line(Gba& gba, uint32_t line);
// Runs the transfers that are due, highest priority first, until they end
// or gba.cycles reaches `until` (the next event).
void dma_run_pending(Gba& gba, uint64_t until = kNever);

// Display timing.
void display_init(Gba& gba);
// Handles every change of line phase up to gba.cycles.
void display_process(Gba& gba);
// The VCount setting was written: the match flag, and its IRQ at once.
void display_vcount_check(Gba& gba);

} // namespace emu
