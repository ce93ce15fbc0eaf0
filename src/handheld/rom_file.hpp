// A handheld ROM read from its file for a run on the built-in core.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.hpp"

namespace kessra::handheld {

// The whole ROM, read once. Anything but a readable regular file of
// emu::kRomMinSize (the cartridge header) to emu::kRomMaxSize bytes is refused
// with a line naming the file and the reason; a pipe or a device in the
// file's place is refused without waiting on it.
Result<std::vector<std::uint8_t>> load_rom(const std::string& path);

} // namespace kessra::handheld
