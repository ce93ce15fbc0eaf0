// Pictures read from ordinary picture files: PNG, JPEG, BMP, GIF (its first
// frame) or TGA. The contents are untrusted: the size is checked from the
// header before anything is decoded.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/status.hpp"
#include "texture/picture.hpp"

namespace kessra::texture {

// Larger pictures are refused before decoding.
inline constexpr int MAX_PICTURE_SIDE = 16384;

// Decodes `bytes`, the contents of the file that messages call `name`, into
// RGBA. A failure is one line naming the file and the reason.
Result<Picture> decode_picture(std::span<const std::uint8_t> bytes, const std::string& name);

} // namespace kessra::texture
