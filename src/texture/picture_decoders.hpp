// The decoders behind decode_picture, one set per system: libpng and
// libjpeg-turbo (picture_png_posix.cpp, picture_jpeg_posix.cpp) or the
// Windows Imaging Component (picture_wic_win32.cpp). Each reads the header,
// asks `size_check` about the size it claims before decoding any pixels, and
// gives the picture or the reason it was refused (without the file's name).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "texture/picture.hpp"
#include "texture/picture_file.hpp"

namespace kessra::texture {

// A decoder's outcome: `problem` is empty when `picture` holds the pixels.
struct Decoded {
    Picture picture;
    std::string problem;
};

// The refusal of a picture of that size, or nothing.
std::optional<std::string> size_problem(std::int64_t width, std::int64_t height);

// The refusal of a file the decoder could not read, with its reason.
inline Decoded damaged(const std::string& why) {
    return {{}, "damaged or truncated picture (" + why + ")"};
}

Decoded decode_png(std::span<const std::uint8_t> bytes);
Decoded decode_jpeg(std::span<const std::uint8_t> bytes, CoverSize cover);

} // namespace kessra::texture
