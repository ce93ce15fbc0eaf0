// Whole small files read into memory, and folders made on the way to a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.hpp"

namespace kessra {

struct SmallFile {
    bool exists = false;
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes; // the whole file; left empty when it is longer than the limit
};

// Reads the regular file at `path` when it is at most `limit` bytes long. A
// missing file is no failure (`exists` is false); anything else that is not a
// readable regular file is.
Result<SmallFile> read_small_file(const std::string& path, std::uint64_t limit);

// Makes the folder and any missing folders above it.
Status make_directories(const std::string& path);

} // namespace kessra
