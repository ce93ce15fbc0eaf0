// The console's tiled texture formats. All data is big-endian and laid out
// tile by tile, tiles in row-major order:
//   RGB565  4 x 4 tiles of 16-bit pixels rrrrrggggggbbbbb;
//   RGB5A3  4 x 4 tiles of 16-bit pixels, opaque ones 1rrrrrgggggbbbbb, the
//           others 0aaarrrrggggbbbb;
//   CMPR    8 x 8 tiles of four 8-byte blocks (top-left, top-right,
//           bottom-left, bottom-right), each two RGB565 end colours and a
//           2-bit palette index per pixel.
// The encoders need width and height to be multiples of the tile size; the
// decoders check the data length and give an empty picture when it is short.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "texture/picture.hpp"

namespace kessra::texture {

// Nearest RGB565 colour (alpha ignored).
std::uint16_t to_rgb565(Rgba colour);

Bytes encode_rgb565(const Picture& pic);
Bytes encode_rgb5a3(const Picture& pic);
// Always uses the four-colour block mode, so the texture is opaque.
Bytes encode_cmpr(const Picture& pic);

// Bytes taken by a width x height texture in each format.
std::size_t rgb16_size(int width, int height);
std::size_t cmpr_size(int width, int height);

Picture decode_rgb565(std::span<const std::uint8_t> data, int width, int height);
Picture decode_rgb5a3(std::span<const std::uint8_t> data, int width, int height);
Picture decode_cmpr(std::span<const std::uint8_t> data, int width, int height);

} // namespace kessra::texture
