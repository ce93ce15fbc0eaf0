// Tiny handheld ROMs, hand-assembled ARM code, whose pictures are known.
#pragma once

#include <cstdint>
#include <vector>

namespace kessra::testing {

// The colours the painting ROM leaves on the screen: all PAINT_COLOUR but the
// pixel at (DOT_X, DOT_Y), DOT_COLOUR. It needs about two frames.
inline constexpr std::uint16_t PAINT_COLOUR = 0x0D1F; // red 31, green 8, blue 3
inline constexpr std::uint16_t DOT_COLOUR = 0x7C00;   // blue 31
inline constexpr int DOT_X = 7;
inline constexpr int DOT_Y = 3;
std::vector<std::uint8_t> painting_rom();

// Copies KEYINPUT (set bits: released keys) to the top left pixel, again and
// again, from its first frame on.
std::vector<std::uint8_t> keys_rom();

} // namespace kessra::testing
