// The tone, wave and noise channels' steps, as the sound's catch-up drives them.
#pragma once

#include <stdint.h>

#include "emu/apu.hpp"

namespace emu {

// Moves a channel's waveform on by `cycles`.
void tone_advance(ApuTone& tone, uint32_t index, uint32_t cycles);
// The channel's level now, -15..15 (0 when silent).
int32_t tone_level(const Apu& apu, uint32_t index);
// The 512 Hz sequencer's step: lengths at 256 Hz, sweep at 128 Hz, envelopes at 64 Hz.
void sequencer_step(Apu& apu, uint32_t step);
// A channel's control register was written with the restart bit.
void tone_restart(Gba& gba, uint32_t index);
// Takes the channel's settings from its registers.
void tone_configure(Gba& gba, uint32_t index);

} // namespace emu
