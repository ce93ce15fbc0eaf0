// The start of every image: the disc header block, the loader and the
// emulator's program image, and the four header words filled in at the end.
#pragma once

#include <cstdint>
#include <string>

#include "image/progress.hpp"
#include "payloads/payloads.hpp"
#include "platform/file_io.hpp"

namespace kessra {

struct BootOffsets {
    std::uint64_t program_image; // stream position after the loader
    std::uint64_t fst;           // stream position after the program image
};

// Writes the three boot regions into a fresh, empty image and tells their
// progress lines to `progress`.
Result<BootOffsets> write_boot_area(File& image, const std::string& volume_label, const PayloadSet& payloads,
                                    const ProgressText& progress);

// Seeks to the header words and writes the program image offset, the table
// offset and the table size twice (size and maximum size).
Status write_header_offsets(File& image, std::uint32_t program_image_offset, std::uint32_t fst_offset,
                            std::uint32_t fst_size);

} // namespace kessra
