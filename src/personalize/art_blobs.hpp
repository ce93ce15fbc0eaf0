// Skin textures (TPL) and the banner (BNR1) made from pictures, and the
// pictures that the console shows for them, decoded back.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "payloads/payloads.hpp"
#include "texture/picture.hpp"

namespace kessra {

using texture::Bytes;
using texture::Picture;

// Width of skin `index`: 640 for skin 0 (CMPR), 608 for the others (RGB565).
int skin_width(int index);

// A whole SKIN_SIZE-byte skin file: TPL header, the picture encoded in the
// skin's format, zeros to the end. The picture must already have the skin's
// size (skin_width x SKIN_HEIGHT).
Bytes make_skin_blob(int index, const Picture& fitted);

// A banner like `base` with its picture replaced by `fitted` (96 x 32), when
// given, and each given text (Windows-1252, already checked against its
// field) written into its field. The reserved bytes stay as in `base`.
Bytes make_banner_blob(Blob base, const Picture* fitted, const std::array<std::optional<std::string>, 5>& texts);

// The picture a skin file shows: its header is read defensively, and a
// header this tool does not write (other size, format or offset) gives an
// empty picture.
Picture decode_skin_blob(Blob skin);

// The banner's 96 x 32 picture; empty when the blob is too short.
Picture decode_banner_picture(Blob banner);

} // namespace kessra
