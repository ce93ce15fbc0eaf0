// One 12-byte entry of the file system table, three be32 words:
//   0x0  type byte (0 file, 1 directory) and a 24-bit name offset into the
//        string table that follows the entries
//   0x4  file: data offset; directory: index of its parent
//   0x8  file: length; directory: index of the entry after its contents
// The root (entry 0) is a directory whose word 2 is the entry count.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "format/be32.hpp"
#include "format/disc_format.hpp"

namespace kessra {

inline constexpr std::uint32_t FST_NAME_FIELD = 0x0;
inline constexpr std::uint32_t FST_OFFSET_OR_PARENT_FIELD = 0x4;
inline constexpr std::uint32_t FST_LENGTH_OR_NEXT_FIELD = 0x8;
inline constexpr std::uint32_t FST_NAME_OFFSET_MASK = 0x00FFFFFF;
static_assert(FST_LENGTH_OR_NEXT_FIELD + 4 == FST_ENTRY_SIZE);
static_assert(FST_DIRECTORY_FLAG == (FST_NAME_OFFSET_MASK + 1));

struct FstFields {
    std::uint32_t type = 0; // 0 file, 1 directory, anything else unknown
    std::uint32_t name_offset = 0;
    std::uint32_t offset_or_parent = 0;
    std::uint32_t length_or_next = 0;
};

using FstEntryBytes = std::array<std::uint8_t, FST_ENTRY_SIZE>;

inline FstEntryBytes encode_fst_entry(const FstFields& fields) {
    FstEntryBytes bytes{};
    put_be32(bytes, FST_NAME_FIELD, fields.type << 24 | (fields.name_offset & FST_NAME_OFFSET_MASK));
    put_be32(bytes, FST_OFFSET_OR_PARENT_FIELD, fields.offset_or_parent);
    put_be32(bytes, FST_LENGTH_OR_NEXT_FIELD, fields.length_or_next);
    return bytes;
}

inline FstFields decode_fst_entry(std::span<const std::uint8_t, FST_ENTRY_SIZE> bytes) {
    const std::uint32_t word0 = get_be32(bytes, FST_NAME_FIELD);
    return {word0 >> 24, word0 & FST_NAME_OFFSET_MASK, get_be32(bytes, FST_OFFSET_OR_PARENT_FIELD),
            get_be32(bytes, FST_LENGTH_OR_NEXT_FIELD)};
}

} // namespace kessra
