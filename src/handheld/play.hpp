// A ROM run headless on the built-in core, from power-on.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "emu/gba.hpp"
#include "handheld/key_schedule.hpp"

namespace kessra::handheld {

// The handheld powered on with `rom`, which must outlive it; null for a ROM
// of a size the cartridge slot cannot take.
std::unique_ptr<emu::Gba> power_on(std::span<const std::uint8_t> rom);

// Runs `frames` frames, holding the keys the schedule gives for each. With
// `sound`, the sound is produced at `sound_rate` and appended to it after
// every frame (interleaved left/right samples).
void play_frames(emu::Gba& gba, std::uint32_t frames, const KeySchedule& keys,
                 std::vector<std::int16_t>* sound = nullptr, std::uint32_t sound_rate = 32768);

} // namespace kessra::handheld
