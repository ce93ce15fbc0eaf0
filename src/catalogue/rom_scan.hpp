// Finds the ROM files of a directory, accepts only the three ROM sizes and
// checks that the collection fits the chosen disc.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/disc_profile.hpp"
#include "catalogue/rom_record.hpp"
#include "platform/dir_listing.hpp"
#include "platform/status.hpp"

namespace kessra {

// Lists `directory` through `lister` and fills the ROM table in listing order.
// A refusal in the tool's own words comes back as console text; other
// failures as an error line.
Result<RomTable> scan_rom_directory(const std::string& directory, const DiscProfile& profile,
                                    const DirectoryLister& lister);

// The same listing and size check without the limits of one disc, for a
// collection spread over several: at most `max_count` ROMs, which `holder`
// ("99 discs hold") names in the refusal.
Result<RomTable> scan_rom_collection(const std::string& directory, std::size_t max_count, const std::string& holder,
                                     const DirectoryLister& lister);

bool is_rom_size(std::uint64_t size);

// The capacity rule: the ROMs plus one 2048-byte index file each must fit the
// profile's data budget; a total equal to the allowance fits.
bool collection_fits(std::uint64_t total_size, std::uint64_t rom_count, const DiscProfile& profile);

} // namespace kessra
