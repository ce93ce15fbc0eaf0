// Reading a whole (small) file into memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/status.hpp"

namespace kessra {

// The contents of the file at `path`; a file longer than `max_size` bytes is
// refused without being read.
Result<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::uint64_t max_size);

// The same for a file already open at its start; `path` is what messages call it.
Result<std::vector<std::uint8_t>> read_open_file(std::FILE* file, const std::string& path, std::uint64_t max_size);

} // namespace kessra
