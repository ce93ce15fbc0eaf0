// The table of scanned ROMs. Its order is the ROM order of the whole build:
// placement in the image, index file numbers, menu numbers and listing lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kessra {

inline constexpr std::size_t ROM_TABLE_CAPACITY = 512;
// A build needs 2n + 7 of the file system table's 512 entries.
inline constexpr std::size_t MAX_ROM_COUNT = 252;
inline constexpr std::size_t MAX_NAME_LENGTH = 259; // paths, names and option values

inline constexpr std::uint32_t ROM_SIZE_4M = 4u * 1024 * 1024;
inline constexpr std::uint32_t ROM_SIZE_8M = 8u * 1024 * 1024;
inline constexpr std::uint32_t ROM_SIZE_16M = 16u * 1024 * 1024;

struct RomRecord {
    std::string file_name;  // as the directory listing gives it, no directory part
    std::string disc_name;  // name of the file inside the image
    std::string menu_title; // up to 11 characters, from the ROM header
    std::uint32_t size = 0; // 4, 8 or 16 MiB
};

using RomTable = std::vector<RomRecord>; // never more than MAX_ROM_COUNT records

} // namespace kessra
