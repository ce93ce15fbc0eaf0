// The file system table: a flat array of 12-byte entries followed by one
// string table of names, collected in memory and written once at the end.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "catalogue/rom_record.hpp"
#include "format/disc_format.hpp"
#include "platform/file_io.hpp"

namespace kessra {

// One encoded entry (format/fst_entry.hpp); a directory's word 1 is 0 here.
struct FstEntry {
    std::array<std::uint8_t, FST_ENTRY_SIZE> bytes;
};
static_assert(sizeof(FstEntry) == 12);

struct FstBuilder {
    std::array<FstEntry, FST_MAX_ENTRIES> entries{};
    std::uint32_t entry_count = 0;
    std::array<char, FST_STRING_TABLE_SIZE> strings{};
    std::uint32_t string_length = 0;
};

enum class FstKind { file, directory };

// Appends one entry; for a directory `data_offset` is ignored. Fails, adding
// nothing, when either table would overflow.
Status add_fst_entry(FstBuilder& fst, std::string_view name, FstKind kind, std::uint32_t data_offset,
                     std::uint32_t length_or_next);

struct ImageLayout;

// The table of an image laid out as `layout`: the root, the ROM folder holding
// the ROMs, then every other region as a file of the root, in disc order.
Status fill_fst(FstBuilder& fst, const ImageLayout& layout);

// Seeks to `table_offset`, writes the entries (the root's word 2 set to the
// entry count) and the used part of the string table; yields the table's size.
Result<std::uint32_t> write_fst(File& image, FstBuilder& fst, std::uint64_t table_offset);

// S: the sum over all ROMs of (disc name length + 11), the names' share of the string table.
std::uint32_t rom_name_bytes(const RomTable& roms);
// Zero sectors reserved for the table before any file data is written.
std::uint32_t fst_reserve_sectors(std::uint32_t name_bytes, std::uint32_t rom_count);
// Size of the finished table.
std::uint32_t fst_size(std::uint32_t name_bytes, std::uint32_t rom_count);
std::uint32_t fst_entry_count(std::uint32_t rom_count);
std::uint32_t fst_string_table_size(std::uint32_t name_bytes);

// Refuses a collection whose table would not fit the 512 entries or the
// 8192 bytes of names.
Status check_fst_capacity(const RomTable& roms);

} // namespace kessra
