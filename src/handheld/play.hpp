// A ROM run headless on the built-in core, from power-on.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "emu/gba.hpp"
#include "handheld/key_schedule.hpp"

namespace kessra::handheld {

// The handheld powered on with `rom`, which must outlive it; null for a ROM
// of a size the cartridge slot cannot take.
std::unique_ptr<emu::Gba> power_on(std::span<const std::uint8_t> rom);

// Runs `frames` frames, holding the keys the schedule gives for each.
void play_frames(emu::Gba& gba, std::uint32_t frames, const KeySchedule& keys);

} // namespace kessra::handheld
