// The disc header as found in an image: identifier, magic word, volume label
// and the four words at 0x420. Nothing here is trusted yet.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "disc_reader/byte_source.hpp"

namespace kessra {

// The part of the header block that is read: up to the end of the four words.
inline constexpr std::uint32_t DISC_HEADER_READ_SIZE = 0x430;
inline constexpr std::uint32_t VOLUME_LABEL_MAX = 0x400 - 0x20; // the label field ends at 0x400
// The other console family's discs carry their magic word at 0x18 instead.
inline constexpr std::uint32_t WII_MAGIC_OFFSET = 0x018; // be32 0x5D1C9EA3
inline constexpr std::uint32_t WII_MAGIC = 0x5D1C9EA3;

struct DiscHeader {
    std::array<std::uint8_t, 6> disc_id{};
    std::uint32_t magic = 0;                 // word at 0x1C
    std::uint32_t wii_magic = 0;             // word at 0x18
    std::string volume_label;                // bytes up to the first NUL of the label field
    std::uint32_t program_image_offset = 0;  // word at 0x420
    std::uint32_t fst_offset = 0;            // 0x424
    std::uint32_t fst_size = 0;              // 0x428
    std::uint32_t fst_max_size = 0;          // 0x42C
};

// Fails when the image is too short to hold the header words.
Result<DiscHeader> read_disc_header(ByteSource& source);

std::string disc_id_text(const DiscHeader& header);

// The marks of an image this tool wrote: its disc id and its magic word.
bool has_tool_disc_id(const DiscHeader& header);
bool has_tool_magic(const DiscHeader& header);

} // namespace kessra
