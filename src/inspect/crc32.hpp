// CRC-32 (the polynomial of zip and PNG), computed in pieces by zlib.
#pragma once

#include <cstdint>
#include <span>

namespace kessra {

// Continues a CRC over `bytes`; start with crc32_update(0, ...).
std::uint32_t crc32_update(std::uint32_t crc, std::span<const std::uint8_t> bytes);

} // namespace kessra
