// How a collection too large for one disc is spread over several: the ROMs
// keep their order, and each disc takes ROMs until the next one would break
// one of its limits. Computed from the ROM table alone, before any file is
// created.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/disc_profile.hpp"
#include "catalogue/rom_record.hpp"
#include "platform/status.hpp"

namespace kessra {

inline constexpr std::size_t MAX_DISC_COUNT = 99;

// The limit of one disc that a set of ROMs breaks first, if any.
enum class DiscLimit { none, rom_count, table_entries, name_bytes, data_budget };

struct DiscLoad {
    std::uint32_t rom_count = 0;
    std::uint32_t name_bytes = 0; // sum of (disc name length + 11)
    std::uint64_t rom_bytes = 0;
};

DiscLimit broken_limit(const DiscLoad& load, const DiscProfile& profile);

// Words for messages: "the file system table's 512 entries" and the like.
std::string describe_limit(DiscLimit limit, const DiscProfile& profile);

struct PlannedDisc {
    std::size_t first = 0; // 0-based number of its first ROM in the collection
    RomTable roms;         // its ROMs, each with its disc name on this disc
};

// Spreads `roms` over discs. `base_names[i]` is ROM i's disc name before it is
// made unique; names are made unique per disc, so a disc holding the whole
// collection gets the names a single build gives. Refuses, naming the ROM, one
// that breaks a limit on an empty disc, and a collection needing more than
// MAX_DISC_COUNT discs.
Result<std::vector<PlannedDisc>> plan_discs(const RomTable& roms, const std::vector<std::string>& base_names,
                                            const DiscProfile& profile, const std::string& directory);

} // namespace kessra
