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

// Whether the file at `path` may be read as part of `folder`: nothing there,
// or something that resolves to a place inside the folder. A dangling link or
// a link loop cannot be examined, and a link out of the folder is refused, so
// its contents are never taken or shown.
Status check_inside_folder(const std::string& path, const std::string& folder);

// Makes the folder and any missing folders above it.
Status make_directories(const std::string& path);

} // namespace kessra
