// The handheld's screen as an ordinary picture.
#pragma once

#include <cstdint>
#include <span>

#include "texture/picture.hpp"

namespace kessra::handheld {

// One 15-bit colour (red bits 0-4, green 5-9, blue 10-14) in 8 bits a
// channel: each 5-bit channel c becomes c << 3 | c >> 2, so 0 stays 0 and 31
// becomes 255.
texture::Rgba expand_colour(std::uint16_t colour);

// A frame of emu::kScreenWidth x emu::kScreenHeight colours, row by row.
texture::Picture screen_picture(std::span<const std::uint16_t> frame);

} // namespace kessra::handheld
