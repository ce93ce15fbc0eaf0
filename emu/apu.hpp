// The sound: four tone channels, two direct-sound FIFOs and the mixer.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct Apu {
    uint32_t unused;
};

// Timer 0 or 1 overflowed (called once per overflow while the sound's master
// enable is on): the direct-sound FIFOs take their next sample.
void apu_timer_overflow(Gba& gba, uint32_t timer);
// A sound register (0x060-0x0A7, FIFOs included) was written: `size` bytes
// at `offset` from 0x04000000, already stored in gba.mem.io.
void apu_register_written(Gba& gba, uint32_t offset, uint32_t size);

} // namespace emu
