// Pictures read from ordinary picture files: PNG and JPEG, recognised by
// their first bytes. The contents are untrusted: the size is read from the
// header and checked before anything is decoded, and a damaged or truncated
// file is refused with the decoder's reason.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/status.hpp"
#include "texture/picture.hpp"

namespace kessra::texture {

// Larger pictures are refused before decoding: at most this many pixels in
// all, and at most MAX_PICTURE_SIDE on a side.
inline constexpr std::int64_t MAX_PICTURE_PIXELS = 100'000'000;
inline constexpr int MAX_PICTURE_SIDE = 16384;

// The size a picture will be fitted to. A JPEG at least twice as large on
// both sides is decoded at 1/2, 1/4 or 1/8 of its size, the smallest of
// them that still covers it; {0, 0} decodes at full size.
struct CoverSize {
    int width = 0;
    int height = 0;
};

// Decodes `bytes`, the contents of the file that messages call `name`, into
// RGBA. A failure is one line naming the file and the reason.
Result<Picture> decode_picture(std::span<const std::uint8_t> bytes, const std::string& name, CoverSize cover = {});

// The denominator (1, 2, 4 or 8) of the scale at which a width x height JPEG
// is decoded to cover `cover`.
int jpeg_scale_denominator(int width, int height, CoverSize cover);

} // namespace kessra::texture
