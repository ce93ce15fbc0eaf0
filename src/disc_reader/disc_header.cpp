#include "disc_reader/disc_header.hpp"

#include <algorithm>
#include <vector>

#include "format/be32.hpp"
#include "format/disc_format.hpp"

namespace kessra {

static_assert(VOLUME_LABEL_OFFSET + VOLUME_LABEL_MAX <= HEADER_WORDS_OFFSET);
static_assert(HEADER_WORDS_OFFSET + 16 == DISC_HEADER_READ_SIZE);

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
    const auto label_begin = block.begin() + VOLUME_LABEL_OFFSET;
    const auto label_end = std::find(label_begin, label_begin + VOLUME_LABEL_MAX, std::uint8_t{0});
    header.volume_label.assign(label_begin, label_end);
    header.program_image_offset = get_be32(block, HEADER_WORDS_OFFSET);
    header.fst_offset = get_be32(block, HEADER_WORDS_OFFSET + 4);
    header.fst_size = get_be32(block, HEADER_WORDS_OFFSET + 8);
    header.fst_max_size = get_be32(block, HEADER_WORDS_OFFSET + 12);
    return success(std::move(header));
}

std::string disc_id_text(const DiscHeader& header) {
    return std::string(header.disc_id.begin(), header.disc_id.end());
}

bool has_tool_disc_id(const DiscHeader& header) { return disc_id_text(header) == DISC_ID; }

bool has_tool_magic(const DiscHeader& header) { return header.magic == DISC_MAGIC; }

} // namespace kessra
