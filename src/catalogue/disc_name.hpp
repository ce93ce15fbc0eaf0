// The two names a ROM gets besides its file name: its disc name inside the
// image, and the title the emulator's menu shows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/rom_record.hpp"
#include "format/console_layout.h"
#include "format/menu_table.hpp"
#include "platform/short_name.hpp"

namespace kessra {

inline constexpr std::size_t MAX_DISC_NAME_LENGTH = 32;
inline constexpr std::size_t TITLE_OFFSET = KF_ROM_TITLE_AT;       // title field of the ROM header
inline constexpr std::size_t ROM_HEADER_SIZE = KF_ROM_HEADER_SIZE; // cartridge header, title included

// Maps one short-name component to a disc name: bytes of 0x80 and above,
// control bytes, "~" and space become "_", A-Z are lower-cased, and the
// result is cut to 32 characters.
std::string map_disc_name(std::string_view short_name);

// The disc name of `file_name` in `directory`, from its short (8.3) name.
std::string make_disc_name(const std::string& file_name, const std::string& directory, const ShortNameLookup& lookup);

// `name` if no earlier ROM uses it; otherwise its last characters replaced by
// "_2", "_3"... until it differs from every name in use.
std::string unique_disc_name(const std::string& name, const std::vector<std::string>& in_use);

// Gives every ROM of the table its disc name, in ROM order, each one unique.
void assign_disc_names(RomTable& roms, const std::string& directory, const ShortNameLookup& lookup);

// The menu title from a ROM's contents: the header's first 11 title bytes,
// upper-cased, up to the first NUL.
std::string read_menu_title(std::span<const std::uint8_t> rom);

} // namespace kessra
