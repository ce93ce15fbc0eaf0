// Reading an existing file at given offsets (disc images being inspected).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/file_io.hpp"

namespace kessra {

struct ReadFile {
    File file;              // binary, read only
    std::uint64_t size = 0; // length when opened
};

// Opens the regular file at `path` for reading; a folder or a missing file is
// refused with a message that names `path`.
Result<ReadFile> open_read_file(const std::string& path);

// Reads exactly out.size() bytes from `offset`; a short read is a failure.
Status read_file_at(ReadFile& file, std::uint64_t offset, std::span<std::uint8_t> out);

void close_read_file(ReadFile& file);

} // namespace kessra
