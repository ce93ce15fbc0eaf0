#include "image/layout.hpp"

#include <cstdio>

#include "format/disc_format.hpp"
#include "image/fst.hpp"

namespace kessra {

namespace {

std::string index_file_name(std::size_t number) {
    char name[24];
    std::snprintf(name, sizeof name, "index.%03u", static_cast<unsigned>(number));
    return name;
}

} // namespace

ImageLayout plan_image_layout(const RomTable& roms) {
    ImageLayout layout;
    const auto rom_count = static_cast<std::uint32_t>(roms.size());
    layout.fst_offset = FST_OFFSET;
    layout.reserve_sectors = fst_reserve_sectors(rom_name_bytes(roms), rom_count);
    layout.data_start = round_up_to_sector(FST_OFFSET + std::uint64_t{layout.reserve_sectors} * SECTOR_SIZE);

    std::uint64_t next = layout.data_start;
    for (std::size_t i = 0; i < roms.size(); ++i) {
        layout.regions.push_back({RegionSource::rom, i, next, roms[i].size, roms[i].disc_name});
        next += roms[i].size;
    }
    for (std::size_t i = 0; i < roms.size(); ++i) {
        layout.regions.push_back({RegionSource::index_file, i, next, INDEX_FILE_SIZE, index_file_name(i)});
        next += INDEX_FILE_SIZE;
    }
    for (std::size_t k = 0; k < SKIN_FILE_NAMES.size(); ++k) {
        layout.regions.push_back({RegionSource::skin, k, next, SKIN_SIZE, std::string(SKIN_FILE_NAMES[k])});
        next = round_up_to_sector(next + SKIN_SIZE);
    }
    layout.regions.push_back({RegionSource::banner, 0, next, BANNER_SIZE, std::string(BANNER_FILE_NAME)});
    layout.content_end = round_up_to_sector(next + BANNER_SIZE);
    return layout;
}

std::vector<const Region*> regions_of(const ImageLayout& layout, RegionSource source) {
    std::vector<const Region*> found;
    for (const Region& region : layout.regions) {
        if (region.source == source) found.push_back(&region);
    }
    return found;
}

} // namespace kessra
