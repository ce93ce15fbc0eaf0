// The disc header as found in an image: identifier, magic word, volume label
// and the four words at 0x420. Nothing here is trusted yet.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "disc_reader/byte_source.hpp"
#include "format/disc_format.hpp"

namespace kessra {

// The part of the header block that is read: up to the end of the four words.
inline constexpr std::uint32_t DISC_HEADER_READ_SIZE = HEADER_WORDS_OFFSET + HEADER_WORDS_SIZE;

struct DiscHeader {
    std::array<std::uint8_t, 6> disc_id{};
    std::uint32_t magic = 0;                // word at DISC_MAGIC_OFFSET
    std::uint32_t wii_magic = 0;            // word at WII_MAGIC_OFFSET
    std::string volume_label;               // bytes up to the first NUL of the label field
    std::uint32_t program_image_offset = 0; // the four header words from HEADER_WORDS_OFFSET
    std::uint32_t fst_offset = 0;
    std::uint32_t fst_size = 0;
    std::uint32_t fst_max_size = 0;
};

// Fails when the image is too short to hold the header words.
Result<DiscHeader> read_disc_header(ByteSource& source);

std::string disc_id_text(const DiscHeader& header);

// The marks of an image this tool wrote: its disc id and its magic word.
bool has_tool_disc_id(const DiscHeader& header);
bool has_tool_magic(const DiscHeader& header);

} // namespace kessra
