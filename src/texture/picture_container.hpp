// The structure of a PNG or JPEG file, walked before it is decoded: the same
// checks whatever decoder the system has. A PNG is a chain of chunks, the
// header first and the end chunk last, each with a CRC that must match; a
// JPEG is a chain of marker segments whose scans each hold data, ending in
// its end-of-image marker. The size the header claims is checked on the way.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/status.hpp"

namespace kessra::texture {

// Refuses the PNG file `bytes` (signature already seen) with the reason alone.
Status check_png_structure(std::span<const std::uint8_t> bytes);

// Refuses the JPEG file `bytes` (start-of-image marker already seen) with the reason alone.
Status check_jpeg_structure(std::span<const std::uint8_t> bytes);

} // namespace kessra::texture
