// The system calls and the BIOS area, handled by the core itself: no BIOS
// image is loaded.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct BiosState {
    uint32_t latch;  // what a read of the BIOS area from outside it returns
};

// Fills the BIOS area and sets the registers and I/O as the BIOS leaves them
// when it starts the cartridge.
void bios_boot(Gba& gba);
// The processor met an undefined instruction while executing in the BIOS area:
// the BIOS handling's trap. Returns false if the opcode is not one of its traps,
// and the processor then takes the undefined-instruction exception.
bool bios_trap(Gba& gba, uint32_t opcode);

} // namespace emu
