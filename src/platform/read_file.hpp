// Reading a whole (small) file into memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_io.hpp"
#include "platform/status.hpp"

namespace kessra {

// The contents of the regular file at `path`; a file longer than `max_size`
// bytes is refused without being read, and so is anything but a regular file
// (a pipe or a device, without waiting on it).
Result<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::uint64_t max_size);

// The identity of the regular file at `path`, refused as read_whole_file
// refuses it: what tells two names of one file apart from two files.
Result<FileIdentity> regular_file_identity(const std::string& path);

// The same for a file already open at its start; `path` is what messages call it.
Result<std::vector<std::uint8_t>> read_open_file(std::FILE* file, const std::string& path, std::uint64_t max_size);

} // namespace kessra
