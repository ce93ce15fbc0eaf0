// The two media an image can be built for.
#pragma once

#include <cstdint>

namespace kessra {

struct DiscProfile {
    std::uint32_t target_sectors; // image length that padding fills up to, in 2048-byte sectors
    std::uint32_t data_budget;    // bytes of ROMs plus index files that fit: the target less 8 MiB
    std::uint32_t menu_limit;     // ROM count from which on no closing empty menu slot is written
};

inline constexpr DiscProfile MINI_DVD{712880, 1451589632, 300};    // 1,459,978,240 bytes
inline constexpr DiscProfile LARGE_DISC{1048576, 2139095040, 512}; // 2,147,483,648 bytes

static_assert(MINI_DVD.data_budget == MINI_DVD.target_sectors * 2048u - 8u * 1024 * 1024);
static_assert(LARGE_DISC.data_budget == LARGE_DISC.target_sectors * 2048ull - 8u * 1024 * 1024);

} // namespace kessra
