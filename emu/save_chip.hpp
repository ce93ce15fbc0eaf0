// Inside the save chip: what save.cpp shares with the Flash and EEPROM parts.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

// EEPROM stream states.
constexpr uint8_t kEepromIdle = 0;
constexpr uint8_t kEepromTaking = 1;  // a request's bits are coming in
constexpr uint8_t kEepromSending = 2; // the 68 bits of a read go out

// Marks the contents changed (for the caller's "store it" decision).
void save_changed(Gba& gba);
uint8_t flash_read(Gba& gba, uint32_t addr);
void flash_write(Gba& gba, uint32_t addr, uint8_t value);

} // namespace emu
