// The disc header's volume label field and its four words:
//   0x020  label bytes, zeros after them, up to 0x400
//   0x420  be32 program image (DOL) offset
//   0x424  be32 file system table offset
//   0x428  be32 file system table size
//   0x42C  be32 file system table maximum size
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "format/be32.hpp"
#include "format/disc_format.hpp"

namespace kessra {

struct HeaderWords {
    std::uint32_t program_image_offset = 0;
    std::uint32_t fst_offset = 0;
    std::uint32_t fst_size = 0;
    std::uint32_t fst_max_size = 0;
};

using HeaderWordBytes = std::array<std::uint8_t, HEADER_WORDS_SIZE>;

inline constexpr std::array<BeField<HeaderWords, std::uint32_t>, 4> HEADER_WORD_FIELDS{{
    {PROGRAM_IMAGE_OFFSET_FIELD - HEADER_WORDS_OFFSET, &HeaderWords::program_image_offset},
    {FST_OFFSET_FIELD - HEADER_WORDS_OFFSET, &HeaderWords::fst_offset},
    {FST_SIZE_FIELD - HEADER_WORDS_OFFSET, &HeaderWords::fst_size},
    {FST_MAX_SIZE_FIELD - HEADER_WORDS_OFFSET, &HeaderWords::fst_max_size},
}};

inline HeaderWordBytes encode_header_words(const HeaderWords& words) {
    HeaderWordBytes bytes{};
    pack_fields(bytes, words, HEADER_WORD_FIELDS);
    return bytes;
}

// bytes: the 16 bytes from HEADER_WORDS_OFFSET.
inline HeaderWords decode_header_words(std::span<const std::uint8_t, HEADER_WORDS_SIZE> bytes) {
    HeaderWords words;
    unpack_fields(bytes, words, HEADER_WORD_FIELDS);
    return words;
}

// Writes the label into its field of a header block; a label longer than the
// field keeps one terminating zero.
inline void encode_volume_label(std::span<std::uint8_t> header, std::string_view label) {
    const std::size_t length = std::min<std::size_t>(label.size(), VOLUME_LABEL_SIZE - 1);
    std::copy_n(label.begin(), length, header.begin() + VOLUME_LABEL_OFFSET);
}

// The label's bytes up to the first zero of the field (the whole field when
// it has none). header holds at least VOLUME_LABEL_OFFSET + VOLUME_LABEL_SIZE bytes.
inline std::string decode_volume_label(std::span<const std::uint8_t> header) {
    const auto begin = header.begin() + VOLUME_LABEL_OFFSET;
    const auto end = std::find(begin, begin + VOLUME_LABEL_SIZE, std::uint8_t{0});
    return std::string(begin, end);
}

} // namespace kessra
