// A cartridge's save memory kept in a file between runs: the raw contents of
// the chip, as .sav files hold them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "emu/gba.hpp"
#include "platform/status.hpp"

namespace kessra::handheld {

// The chip a -save-type value names (none, sram, flash64, flash128, eeprom512,
// eeprom8k), in any case; nothing for another word.
std::optional<emu::SaveType> parse_save_type(const std::string& text);
// The names parse_save_type takes, comma-separated, for messages and help.
std::string save_type_names();

// Fills the chip from the file at `path` if there is one. A file of another
// size than the chip's is refused, naming both sizes; no file leaves the chip
// erased, as a new cartridge's.
Status load_save_file(emu::Gba& gba, const std::string& path);

// The chip's contents to write back; empty when the cartridge has no chip (or
// an EEPROM the game never used, whose size is still unknown).
std::vector<std::uint8_t> save_contents(const emu::Gba& gba);

} // namespace kessra::handheld
