// Assembles the skins and the banner that every disc image carries (the
// loader and the program are built from their sources in boot/).
#pragma once

#include <string>
#include <vector>

#include "texture/tiled_formats.hpp"

namespace kessra::payload_gen {

using texture::Bytes;

// Skin texture "F_0<index>.tpl": TPL header and the encoded artwork.
Bytes build_skin(int index);

// Disc banner (BNR1): picture and texts.
Bytes build_banner();

struct NamedBlob {
    std::string file_name;
    Bytes bytes;
};

// The five, in the order skins 0 to 3, banner; each checked against its
// fixed size.
std::vector<NamedBlob> build_all_blobs();

} // namespace kessra::payload_gen
