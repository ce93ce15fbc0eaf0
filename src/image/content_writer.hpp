// Writes everything an image holds but the fill, region by region as the
// layout plans it, and the listing alongside.
#pragma once

#include <string>

#include "catalogue/rom_record.hpp"
#include "image/build_image.hpp"
#include "image/layout.hpp"
#include "image/progress.hpp"
#include "payloads/payloads.hpp"
#include "platform/file_io.hpp"
#include "report/listing.hpp"

namespace kessra {

struct ContentTargets {
    const BuildRequest& request;
    const PayloadSet& payloads;
    const ImageLayout& layout;
};

// Boot area, table reserve, ROMs, index files, skins and banner, then the
// table, the header words and the emulator's menu and settings. Writes the
// listing, created empty, and closes it; fills in each ROM's menu title.
Status write_image_contents(const ContentTargets& targets, RomTable& roms, File& image, Listing& listing,
                            const ProgressText& progress);

// The text of a ROM's index file (the rest of its sector is zero).
std::string index_file_text(const RomRecord& rom);

} // namespace kessra
