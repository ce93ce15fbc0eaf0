// The decoders behind decode_picture, one set per system: libpng and
// libjpeg-turbo (picture_png_posix.cpp, picture_jpeg_posix.cpp) or the
// Windows Imaging Component (picture_wic_win32.cpp). Each reads the header,
// asks `size_check` about the size it claims before decoding any pixels, and
// gives the picture or the reason it was refused (without the file's name).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/status.hpp"
#include "texture/picture.hpp"
#include "texture/picture_file.hpp"

namespace kessra::texture {

// A decoder's refusal is a failure whose line gives the reason alone; the
// caller puts the file's name before it.

// Refuses a picture of that size.
Status check_picture_size(std::int64_t width, std::int64_t height);

// The refusal of a file the decoder could not read, with its reason.
inline Status damaged(const std::string& why) { return Status::failure("damaged or truncated picture (" + why + ")"); }

Result<Picture> decode_png(std::span<const std::uint8_t> bytes);
Result<Picture> decode_jpeg(std::span<const std::uint8_t> bytes, CoverSize cover);

} // namespace kessra::texture
