// Where every region of an image goes, computed from the ROM table alone
// before anything is written; the writer checks that it follows this plan.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "catalogue/rom_record.hpp"
#include "format/payload_layout.hpp"

namespace kessra {

struct ImageLayout {
    std::uint64_t fst_offset = 0;         // right after the program image
    std::uint32_t reserve_sectors = 0;    // zero sectors reserved for the table
    std::uint64_t data_start = 0;         // first sector boundary after the reserve
    std::vector<std::uint64_t> rom_offsets;
    std::vector<std::uint64_t> index_offsets;
    std::array<std::uint64_t, SKIN_COUNT> skin_offsets{};
    std::uint64_t banner_offset = 0;
    std::uint64_t content_end = 0;        // end of the banner's last sector
};

// The layout of an image of `roms`, whose disc names are already derived.
ImageLayout plan_image_layout(const RomTable& roms);

} // namespace kessra
