// The emulator's game menu table and its two start-up settings, inside the
// program image (offsets in format/payload_layout.hpp, addresses in
// format/console_layout.h):
//   menu table: 512 slots of 16 bytes; slot N reads "NNN TITLE" (the ROM
//     number in three digits, a space, up to 11 title bytes), zeros to the
//     end; an all-zero slot ends the menu. As carried, slot N reads
//     "000 GAMENUMB" and N in three digits.
//   settings: two 8-byte fields, skin then zoom; byte 0 is an ASCII digit.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "format/payload_layout.hpp"

namespace kessra {

inline constexpr std::uint32_t MENU_TABLE_SIZE = MENU_SLOT_COUNT * MENU_SLOT_SIZE;
inline constexpr std::size_t MENU_TITLE_LENGTH = 11; // of the ROM header's 12 title bytes
static_assert(MENU_TITLE_LENGTH + 4 < MENU_SLOT_SIZE, "a slot keeps its terminating zero");

using MenuSlot = std::array<std::uint8_t, MENU_SLOT_SIZE>;

// "%03d %s" with the 1-based ROM number and the title cut to 11 bytes, zero-filled.
MenuSlot make_menu_slot(std::uint32_t rom_number, std::string_view title);

// Slot `number` (1 to 512) as carried.
MenuSlot placeholder_slot(std::uint32_t number);

// The byte a setting field starts with: the digit of `value` (0 to 9).
inline std::uint8_t setting_digit(int value) { return static_cast<std::uint8_t>('0' + value); }

} // namespace kessra
