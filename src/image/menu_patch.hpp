// Fills the emulator's game menu and start-up settings inside the program
// image, in the image file; the carried program image is never changed.
#pragma once

#include <array>
#include <cstdint>

#include "catalogue/rom_record.hpp"
#include "format/disc_format.hpp"
#include "format/menu_table.hpp"
#include "platform/file_io.hpp"

namespace kessra {

// One slot per ROM from the start of the menu table, then one empty slot when
// the ROM count is below the menu limit; later slots keep their placeholders.
Status patch_menu_table(File& image, const RomTable& roms, std::uint32_t menu_limit);

// The skin and zoom digits, one byte each at the start of their fields.
Status patch_settings(File& image, int skin, int zoom);

} // namespace kessra
