// The sound: four tone channels, two direct-sound FIFOs and the mixer.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct Apu {
    uint32_t unused;
};

} // namespace emu
