// The TPL texture file of a skin: one image, no palette. be32 words unless
// noted:
//   0x00  magic 0x0020AF30       0x04  image count (1)
//   0x08  image table offset (0x0C)
//   0x0C  image table entry 0: image header offset (0x14), palette header offset (0)
//   0x14  image header: be16 height, be16 width, format, data offset (0x40),
//         wrap S, wrap T, minification and magnification filter, LOD bias,
//         four bytes (edge LOD enable, min LOD, max LOD, unpacked), zeros
//   0x40  the texels
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "format/be32.hpp"
#include "format/console_layout.h"

namespace kessra {

inline constexpr std::uint32_t TPL_HEADER_SIZE = KF_TPL_DATA_OFFSET;
inline constexpr std::uint32_t TPL_IMAGE_TABLE = KF_TPL_IMAGE_TABLE;
inline constexpr std::uint32_t TPL_IMAGE_HEADER = KF_TPL_IMAGE_HEADER;
inline constexpr std::uint32_t TPL_FILTER_LINEAR = 1;
static_assert(KF_TPL_IMAGE_HEADER_AT == TPL_IMAGE_TABLE && KF_TPL_HEIGHT_AT == TPL_IMAGE_HEADER);
static_assert(KF_TPL_RESERVED_AT == KF_TPL_UNPACKED_AT + 1 && KF_TPL_RESERVED_AT < TPL_HEADER_SIZE);

// The fields a skin sets; the others are zero.
struct TplHeader {
    std::uint32_t image_count = 1;
    std::uint32_t image_table = TPL_IMAGE_TABLE;
    std::uint32_t image_header = TPL_IMAGE_HEADER;
    std::uint16_t height = 0;
    std::uint16_t width = 0;
    std::uint32_t format = 0;
    std::uint32_t data_offset = KF_TPL_DATA_OFFSET;
    std::uint32_t min_filter = TPL_FILTER_LINEAR;
    std::uint32_t mag_filter = TPL_FILTER_LINEAR;
    std::uint32_t magic = KF_TPL_MAGIC;
};

using TplHeaderBytes = std::array<std::uint8_t, TPL_HEADER_SIZE>;

inline constexpr std::array<BeField<TplHeader, std::uint32_t>, 8> TPL_WORD_FIELDS{{
    {KF_TPL_MAGIC_AT, &TplHeader::magic},
    {KF_TPL_IMAGE_COUNT_AT, &TplHeader::image_count},
    {KF_TPL_IMAGE_TABLE_AT, &TplHeader::image_table},
    {KF_TPL_IMAGE_HEADER_AT, &TplHeader::image_header},
    {KF_TPL_FORMAT_AT, &TplHeader::format},
    {KF_TPL_DATA_AT, &TplHeader::data_offset},
    {KF_TPL_MIN_FILTER_AT, &TplHeader::min_filter},
    {KF_TPL_MAG_FILTER_AT, &TplHeader::mag_filter},
}};
inline constexpr std::array<BeField<TplHeader, std::uint16_t>, 2> TPL_HALF_FIELDS{{
    {KF_TPL_HEIGHT_AT, &TplHeader::height},
    {KF_TPL_WIDTH_AT, &TplHeader::width},
}};

inline TplHeaderBytes encode_tpl_header(const TplHeader& header) {
    TplHeaderBytes bytes{};
    pack_fields(bytes, header, TPL_WORD_FIELDS);
    pack_fields(bytes, header, TPL_HALF_FIELDS);
    return bytes;
}

inline TplHeader decode_tpl_header(std::span<const std::uint8_t, TPL_HEADER_SIZE> bytes) {
    TplHeader header;
    unpack_fields(bytes, header, TPL_WORD_FIELDS);
    unpack_fields(bytes, header, TPL_HALF_FIELDS);
    return header;
}

} // namespace kessra
