// `kessra run ROM -frames N -screenshot PICTURE [-keys SCHEDULE]`: runs a
// handheld ROM headless on the built-in core from power-on and writes its last
// frame as a PNG. Status 0: written; 1: refused or failed; 2: usage.
#pragma once

#include <string>
#include <vector>

#include "cli/run.hpp"

namespace kessra {

// argv[0] is the command word.
int run_rom_command(int argc, const char* const* argv, const RunEnvironment& environment);

} // namespace kessra
