// Pieces shared by the host-specific ways of copying a file into another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "platform/file_io.hpp"

namespace kessra {

std::string shrunk_file_line(const std::string& source, std::uint64_t got, std::uint64_t wanted);

// Copies from `source`'s position until `length` bytes are copied in all,
// counting `already_copied`, through a bounded buffer; fills what remains of
// `head` on the way.
Status copy_through_buffer(File& file, std::FILE* source, const std::string& source_name, std::uint64_t length,
                           std::span<std::uint8_t> head, std::uint64_t already_copied);

} // namespace kessra
