// The cartridge's save chip: SRAM, Flash or EEPROM.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct SaveChip {
    uint32_t unused;
};

} // namespace emu
