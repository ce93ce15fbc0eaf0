// Minimal PNG encoder for previews of the artwork: 8-bit RGB or RGBA,
// no filtering, zlib stream of stored (uncompressed) deflate blocks.
#pragma once

#include <cstdint>
#include <span>

#include "payload_gen/texture_encoders.hpp"

namespace kessra::payload_gen {

std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);
std::uint32_t adler32(std::span<const std::uint8_t> data);

Bytes encode_png(const Picture& pic, bool with_alpha);

} // namespace kessra::payload_gen
