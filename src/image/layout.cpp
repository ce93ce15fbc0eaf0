#include "image/layout.hpp"

#include "format/disc_format.hpp"
#include "image/fst.hpp"

namespace kessra {

ImageLayout plan_image_layout(const RomTable& roms) {
    ImageLayout layout;
    const auto rom_count = static_cast<std::uint32_t>(roms.size());
    layout.fst_offset = FST_OFFSET;
    layout.reserve_sectors = fst_reserve_sectors(rom_name_bytes(roms), rom_count);
    layout.data_start = round_up_to_sector(FST_OFFSET + std::uint64_t{layout.reserve_sectors} * SECTOR_SIZE);

    std::uint64_t next = layout.data_start;
    for (const RomRecord& rom : roms) {
        layout.rom_offsets.push_back(next);
        next += rom.size;
    }
    for (std::size_t i = 0; i < roms.size(); ++i) {
        layout.index_offsets.push_back(next);
        next += INDEX_FILE_SIZE;
    }
    for (auto& offset : layout.skin_offsets) {
        offset = next;
        next = round_up_to_sector(next + SKIN_SIZE);
    }
    layout.banner_offset = next;
    layout.content_end = round_up_to_sector(next + BANNER_SIZE);
    return layout;
}

} // namespace kessra
