#include "disc_reader/disc_header.hpp"

#include <algorithm>
#include <vector>

#include "format/be32.hpp"
#include "format/disc_format.hpp"
#include "format/header_words.hpp"

namespace kessra {

Result<DiscHeader> read_disc_header(ByteSource& source) {
    if (source.size() < DISC_HEADER_READ_SIZE) {
        return {Status::failure(source.name() + ": not a disc image: " + std::to_string(source.size()) +
                                " bytes, too short for the disc header"),
                {}};
    }
    std::vector<std::uint8_t> block(DISC_HEADER_READ_SIZE);
    if (Status status = source.read(0, block); !status) return {status, {}};

    DiscHeader header;
    std::copy_n(block.begin() + DISC_ID_OFFSET, header.disc_id.size(), header.disc_id.begin());
    header.magic = get_be32(block, DISC_MAGIC_OFFSET);
    header.wii_magic = get_be32(block, WII_MAGIC_OFFSET);
    header.volume_label = decode_volume_label(block);
    const HeaderWords words = decode_header_words(std::span(block).subspan<HEADER_WORDS_OFFSET, HEADER_WORDS_SIZE>());
    header.program_image_offset = words.program_image_offset;
    header.fst_offset = words.fst_offset;
    header.fst_size = words.fst_size;
    header.fst_max_size = words.fst_max_size;
    return success(std::move(header));
}

std::string disc_id_text(const DiscHeader& header) { return std::string(header.disc_id.begin(), header.disc_id.end()); }

bool has_tool_disc_id(const DiscHeader& header) { return disc_id_text(header) == DISC_ID; }

bool has_tool_magic(const DiscHeader& header) { return header.magic == DISC_MAGIC; }

} // namespace kessra
