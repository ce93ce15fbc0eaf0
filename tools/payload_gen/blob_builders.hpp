// Assembles the seven fixed blobs that every disc image carries.
#pragma once

#include <string>
#include <vector>

#include "texture/tiled_formats.hpp"

namespace kessra::payload_gen {

using texture::Bytes;

// Stand-in boot loader: the 32-byte header and a harmless code body.
Bytes build_apploader();

// Stand-in emulator program (DOL) with its menu table and settings fields.
Bytes build_program_image();

// Skin texture "F_0<index>.tpl": TPL header and the encoded artwork.
Bytes build_skin(int index);

// Disc banner (BNR1): picture and texts.
Bytes build_banner();

struct NamedBlob {
    std::string file_name;
    Bytes bytes;
};

// All seven, in the order loader, program image, skins 0 to 3, banner;
// each checked against its fixed size.
std::vector<NamedBlob> build_all_blobs();

} // namespace kessra::payload_gen
