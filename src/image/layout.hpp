// The plan of an image, computed from the ROM table alone before anything is
// written: where the table goes and every file region (offset, size, where
// its bytes come from and its name in the table). The writer, the file
// system table and the reports all follow this one plan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/rom_record.hpp"
#include "format/payload_layout.hpp"

namespace kessra {

enum class RegionSource {
    rom,        // ROM `number` of the table, copied from its file
    index_file, // the index file of ROM `number`
    skin,       // skin `number` of the payload set
    banner,     // the payload set's banner
};

struct Region {
    RegionSource source;
    std::size_t number = 0; // which ROM, index file or skin
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::string file_name; // its name in the file system table
};

struct ImageLayout {
    std::uint64_t fst_offset = 0;      // right after the program image
    std::uint32_t reserve_sectors = 0; // zero sectors reserved for the table
    std::uint64_t data_start = 0;      // first sector boundary after the reserve
    // In disc order: the ROMs (inside the ROM folder), their index files,
    // the skins and the banner, each skin and the banner on a sector start.
    std::vector<Region> regions;
    std::uint64_t content_end = 0; // end of the banner's last sector
};

// The layout of an image of `roms`, whose disc names are already derived.
ImageLayout plan_image_layout(const RomTable& roms);

// The regions of `layout` whose bytes come from `source`, in disc order.
std::vector<const Region*> regions_of(const ImageLayout& layout, RegionSource source);

} // namespace kessra
