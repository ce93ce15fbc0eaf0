// Encoders for the console's tiled texture formats. All output is
// big-endian and laid out tile by tile, tiles in row-major order.
#pragma once

#include <cstdint>
#include <vector>

#include "payload_gen/raster.hpp"

namespace kessra::payload_gen {

using Bytes = std::vector<std::uint8_t>;

// Nearest RGB565 colour (alpha ignored).
std::uint16_t to_rgb565(Rgba colour);

// RGB565, 4 x 4 tiles of 32 bytes. Width and height must be multiples of 4.
Bytes encode_rgb565(const Picture& pic);

// CMPR, 8 x 8 tiles of four 8-byte blocks (top-left, top-right,
// bottom-left, bottom-right). Always uses the four-colour block mode, so the
// texture is opaque. Width and height must be multiples of 8.
Bytes encode_cmpr(const Picture& pic);

// RGB5A3, 4 x 4 tiles of 32 bytes: opaque pixels as 1rrrrrgggggbbbbb,
// the others as 0aaarrrrggggbbbb. Width and height must be multiples of 4.
Bytes encode_rgb5a3(const Picture& pic);

} // namespace kessra::payload_gen
