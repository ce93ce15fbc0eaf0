// What the core's fuzz target does with one input; shared with the tests
// that write its seeds and replay the inputs it ever failed on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "emu/gba.hpp"
#include "handheld/play.hpp"

namespace kessra::fuzzing {

// Enough for the boot, a ROM's set-up and its first interrupts; little
// enough that every input ends within a moment.
inline constexpr std::uint32_t EMU_FUZZ_FRAMES = 3;

// The input is a ROM, padded with zeros to the smallest cartridge and cut at
// the largest (the ROM buffer is exactly that long, so a read past it is
// caught). It runs from power-on; from the second frame on it holds the keys
// named by its header bytes 0xBE-0xBF, so the keypad's paths run too.
inline void run_rom_one(std::span<const std::uint8_t> input) {
    const std::size_t size = std::clamp<std::size_t>(input.size(), emu::kRomMinSize, emu::kRomMaxSize);
    std::vector<std::uint8_t> rom(size);
    std::copy_n(input.begin(), std::min(input.size(), size), rom.begin());
    const auto keys = static_cast<std::uint16_t>((rom[0xBE] | rom[0xBF] << 8) & emu::kAllKeys);
    const std::unique_ptr<emu::Gba> gba = handheld::power_on(rom);
    if (!gba) return;
    handheld::play_frames(*gba, EMU_FUZZ_FRAMES, {{1, keys}});
}

} // namespace kessra::fuzzing
