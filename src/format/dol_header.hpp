// The DOL header of a program image, 0x100 bytes of be32 words:
//   0x00  file offsets: text sections 0..6, then data sections 0..10
//   0x48  load addresses, in the same order
//   0x90  sizes, in the same order
//   0xD8  BSS address, 0xDC BSS size, 0xE0 entry point
//   0xE4  reserved, zeros
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "format/be32.hpp"
#include "format/console_layout.h"

namespace kessra {

inline constexpr std::uint32_t DOL_TEXT_SECTIONS = KF_DOL_TEXT_SECTIONS;
inline constexpr std::uint32_t DOL_DATA_SECTIONS = KF_DOL_DATA_SECTIONS;
inline constexpr std::uint32_t DOL_SECTIONS = KF_DOL_SECTIONS;
inline constexpr std::uint32_t DOL_FILE_OFFSETS_FIELD = KF_DOL_FILE_OFFSETS_AT;
inline constexpr std::uint32_t DOL_LOAD_ADDRESSES_FIELD = KF_DOL_LOAD_ADDRESSES_AT;
inline constexpr std::uint32_t DOL_SIZES_FIELD = KF_DOL_SIZES_AT;
inline constexpr std::uint32_t DOL_BSS_ADDRESS_FIELD = KF_DOL_BSS_ADDRESS_AT;
inline constexpr std::uint32_t DOL_BSS_SIZE_FIELD = KF_DOL_BSS_SIZE_AT;
inline constexpr std::uint32_t DOL_ENTRY_POINT_FIELD = KF_DOL_ENTRY_POINT_AT;
inline constexpr std::uint32_t DOL_RESERVED_FIELD = KF_DOL_RESERVED_AT;
static_assert(DOL_TEXT_SECTIONS + DOL_DATA_SECTIONS == DOL_SECTIONS);
static_assert(DOL_LOAD_ADDRESSES_FIELD == DOL_FILE_OFFSETS_FIELD + 4 * DOL_SECTIONS);
static_assert(DOL_SIZES_FIELD == DOL_LOAD_ADDRESSES_FIELD + 4 * DOL_SECTIONS);
static_assert(DOL_BSS_ADDRESS_FIELD == DOL_SIZES_FIELD + 4 * DOL_SECTIONS);
static_assert(DOL_RESERVED_FIELD == DOL_ENTRY_POINT_FIELD + 4 && DOL_RESERVED_FIELD < KF_DOL_HEADER_SIZE);

// Where section k's word of one of the three tables lies (text sections are
// 0..6, data sections 7..17).
inline constexpr std::uint32_t dol_section_field(std::uint32_t table, std::uint32_t section) {
    return table + 4 * section;
}

struct DolSection {
    std::uint32_t file_offset = 0;
    std::uint32_t load_address = 0;
    std::uint32_t size = 0;
};

struct DolHeader {
    std::array<DolSection, DOL_SECTIONS> sections{}; // text 0..6, then data 0..10
    std::uint32_t bss_address = 0;
    std::uint32_t bss_size = 0;
    std::uint32_t entry_point = 0;
};

using DolHeaderBytes = std::array<std::uint8_t, KF_DOL_HEADER_SIZE>;

// The three section tables, and the words after them.
inline constexpr std::array<BeField<DolSection, std::uint32_t>, 3> DOL_SECTION_TABLES{{
    {DOL_FILE_OFFSETS_FIELD, &DolSection::file_offset},
    {DOL_LOAD_ADDRESSES_FIELD, &DolSection::load_address},
    {DOL_SIZES_FIELD, &DolSection::size},
}};
inline constexpr std::array<BeField<DolHeader, std::uint32_t>, 3> DOL_TAIL_FIELDS{{
    {DOL_BSS_ADDRESS_FIELD, &DolHeader::bss_address},
    {DOL_BSS_SIZE_FIELD, &DolHeader::bss_size},
    {DOL_ENTRY_POINT_FIELD, &DolHeader::entry_point},
}};

inline DolHeaderBytes encode_dol_header(const DolHeader& header) {
    DolHeaderBytes bytes{};
    for (std::uint32_t k = 0; k < DOL_SECTIONS; ++k) {
        // Section k's words lie 4k bytes into each table.
        pack_fields(std::span(bytes).subspan(4 * k), header.sections[k], DOL_SECTION_TABLES);
    }
    pack_fields(bytes, header, DOL_TAIL_FIELDS);
    return bytes;
}

inline DolHeader decode_dol_header(std::span<const std::uint8_t, KF_DOL_HEADER_SIZE> bytes) {
    DolHeader header;
    for (std::uint32_t k = 0; k < DOL_SECTIONS; ++k) {
        unpack_fields(bytes.subspan(4 * k), header.sections[k], DOL_SECTION_TABLES);
    }
    unpack_fields(bytes, header, DOL_TAIL_FIELDS);
    return header;
}

} // namespace kessra
