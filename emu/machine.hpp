// The machine around the processor: the interrupt controller, the four timers,
// the four DMA channels, the display timing (lines, blanking, VCOUNT), the
// keypad interrupt, HALTCNT and the wait states set by WAITCNT.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct Machine {
    bool halted;       // HALTCNT or a BIOS wait: the processor sleeps until an interrupt
    bool irq_pending;  // IME set and IE & IF non-zero: the processor takes the IRQ when CPSR.I allows
};

// Called by the processor when it has executed up to gba.run_until.
void machine_init(Gba& gba);

} // namespace emu
