// The cartridge's save chip: SRAM, Flash or EEPROM.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct SaveChip {
    uint32_t unused;
};

// The save area 0x0E000000-0x0FFFFFFF, one byte at a time (the bus repeats
// the byte for wider reads and picks the byte lane of wider writes).
uint8_t save_read(Gba& gba, uint32_t addr);
void save_write(Gba& gba, uint32_t addr, uint8_t value);

} // namespace emu
