// Read-only access to the fixed blobs built into the executable.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "format/payload_layout.hpp"

namespace kessra {

using Blob = std::span<const std::uint8_t>;

struct PayloadSet {
    Blob apploader_blob;                    // APPLOADER_SIZE bytes, written at LOADER_OFFSET
    Blob program_image;                     // PROGRAM_IMAGE_SIZE bytes, follows the loader
    std::array<Blob, SKIN_COUNT> skin_blob; // "F_00.tpl" .. "F_03.tpl", SKIN_SIZE bytes each
    Blob banner_blob;                       // "opening.bnr", BANNER_SIZE bytes
};

// The blobs embedded at build time; valid for the whole run.
const PayloadSet& builtin_payloads();

} // namespace kessra
