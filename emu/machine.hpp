// The machine around the processor: the interrupt controller, the four timers,
// the four DMA channels, the display timing (lines, blanking, VCOUNT), the
// keypad interrupt, HALTCNT and the wait states set by WAITCNT.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

constexpr uint64_t kNever = ~uint64_t{0};

// Display timing, in processor cycles.
constexpr uint32_t kLineCycles = 1232;
constexpr uint32_t kLinesPerFrame = 228;
constexpr uint32_t kHblankStart = 960;    // the visible part of a line ends, the line is drawn
constexpr uint32_t kHblankFlagSet = 1007; // DISPSTAT's HBlank flag and HBlank DMA (the IRQ 2 cycles later)
constexpr uint32_t kVblankLine = 160;

// Interrupt sources (bits of IE and IF).
enum Irq : uint16_t {
    kIrqVblank = 1u << 0,
    kIrqHblank = 1u << 1,
    kIrqVcount = 1u << 2,
    kIrqTimer0 = 1u << 3,
    kIrqSerial = 1u << 7,
    kIrqDma0 = 1u << 8,
    kIrqKeypad = 1u << 12,
    kIrqGamePak = 1u << 13,
};

struct Timer {
    uint16_t counter; // the count at cycle `since`
    uint16_t reload;
    uint16_t control;     // TMxCNT_H as written (bits the hardware keeps)
    uint8_t shift;        // log2 of the prescaler
    bool running;         // started and counting by itself (not in count-up mode)
    uint64_t since;       // the cycle `counter` holds for (prescaler phase included)
    uint64_t overflow_at; // the next overflow of a running timer, else kNever
};

// The registers as written stay in gba.mem.io; these are the internal ones.
struct DmaChannel {
    uint32_t src, dst; // the addresses, latched when the channel is enabled
    uint32_t count;    // the units of the next transfer
    uint32_t left;     // the units left of a transfer under way (paused for an event), else 0
    uint32_t latch;    // the last value the channel read: what it moves from unreadable addresses
    uint16_t control;  // DMAxCNT_H as kept
};

struct Machine {
    bool halted;        // HALTCNT or a BIOS wait: the processor sleeps until an interrupt
    bool irq_pending;   // IME set and IE & IF non-zero: the processor takes the IRQ when CPSR.I allows
    bool stopped;       // HALTCNT's stop mode: only the keypad (or a cartridge) wakes it
    uint64_t irq_at;    // when a request that came reaches the processor (kNever: none on its way)
    bool frame_done;    // line 160 began: gba_run_frame returns
    bool video_started; // the first frame's start was announced to the video

    // Display timing: the current line and where it is.
    uint32_t line;
    uint64_t line_start;   // the cycle the current line began
    uint8_t line_phase;    // the next step of the line (machine_display.cpp)
    bool vcount_irq_due;   // the VCount match began this line: its IRQ follows
    uint64_t next_display; // the cycle of the next change of phase

    Timer timers[4];
    uint64_t next_timer; // the earliest timer overflow that has effects, or kNever

    DmaChannel dma[4];
    uint8_t dma_pending; // channels whose start condition came and whose transfer is due
    uint64_t dma_due;    // when the pending transfers start
    bool capture_active; // DMA3's video capture started at line 2 and runs until line 162
    bool dma_running;    // a transfer is under way (BIOS reads see the latch, not the BIOS)

    // Wait states: the cycles of one access to each area (index addr >> 24
    // for 0x00-0x0F), non-sequential / sequential, 16-bit / 32-bit.
    uint8_t wait_n16[16], wait_s16[16], wait_n32[16], wait_s32[16];
    uint32_t memctl; // the internal memory control at 0x4000800

    // The cartridge's prefetch buffer: the halfwords [pf_head, pf_tail) are
    // read ahead of the processor; pf_tail is being fetched until pf_ready.
    uint32_t pf_head, pf_tail;
    uint64_t pf_ready;
    bool pf_active;
    // The cartridge's own address counter: a sequential access reads or
    // writes here, whatever address comes with it; kNoCartAddress after
    // anything that breaks the burst (a DMA), so the next access is non-sequential.
    uint32_t cart_next;

    // The open bus: what the processor's last opcode fetch left on the bus,
    // and whether that fetch was inside the BIOS area.
    uint32_t open_bus;
    bool pc_in_bios;

    uint16_t keys; // the keys held (Key bits, set = pressed)
};

// Sets the registers and the timing as they are at power-on.
void machine_init(Gba& gba);
// Requests an interrupt (sets IF bits) and updates irq_pending / the halt.
void machine_raise_irq(Gba& gba, uint16_t sources);
// The sound asks for the next 16 bytes of direct-sound FIFO A (0) or B (1):
// the DMA channel (1 or 2) set up for it with the special start timing runs.
void machine_fifo_request(Gba& gba, uint32_t fifo);

} // namespace emu
