#include "image/boot_area.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "format/be32.hpp"
#include "format/disc_format.hpp"
#include "format/header_words.hpp"

namespace kessra {

Result<BootOffsets> write_boot_area(File& image, const std::string& volume_label, const PayloadSet& payloads,
                                    const ProgressText& progress) {
    std::array<std::uint8_t, DISC_HEADER_SIZE> header{};
    std::memcpy(header.data() + DISC_ID_OFFSET, DISC_ID, sizeof DISC_ID - 1);
    put_be32(header, DISC_MAGIC_OFFSET, DISC_MAGIC);
    encode_volume_label(header, volume_label);

    BootOffsets offsets{};
    if (Status status = write_bytes(image, header); !status) return {status, offsets};
    progress("DVD Header    : ");
    if (Status status = write_bytes(image, payloads.apploader_blob); !status) return {status, offsets};
    auto position = file_position(image);
    if (!position) return {position.status, offsets};
    offsets.program_image = position.value;
    progress("OK\n");

    progress("Custom DOL    : ");
    if (Status status = write_bytes(image, payloads.program_image); !status) return {status, offsets};
    position = file_position(image);
    if (!position) return {position.status, offsets};
    offsets.fst = position.value;
    progress("OK\n");
    return success(offsets);
}

Status write_header_offsets(File& image, std::uint32_t program_image_offset, std::uint32_t fst_offset,
                            std::uint32_t fst_size) {
    const HeaderWordBytes words = encode_header_words({program_image_offset, fst_offset, fst_size, fst_size});
    if (Status status = seek_to(image, HEADER_WORDS_OFFSET); !status) return status;
    return write_bytes(image, words);
}

} // namespace kessra
