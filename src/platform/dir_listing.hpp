// Enumeration of the ROM files in a directory: every entry whose name matches
// "*.gba" case-insensitively, with its size, in the order the platform's own
// listing gives (the NTFS collation on every host, so builds are reproducible).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.hpp"

namespace kessra {

struct DirEntry {
    std::string name;      // long name, no directory part
    std::uint64_t size;    // full size in bytes; 0 for a directory or an entry that cannot be read
    std::string problem{}; // why the size is 0 for want of a file ("is a folder", "Too many levels of
                           // symbolic links"...); empty for an entry examined as a file
};

// Lists the "*.gba" matches of a directory through the host's file system;
// no match gives an empty list, a directory that cannot be searched a failure.
Result<std::vector<DirEntry>> list_rom_files(const std::string& directory);

// Injected by callers so that the scan can be tested without a real directory.
using DirectoryLister = std::function<Result<std::vector<DirEntry>>(const std::string& directory)>;

// True when a name ends in ".gba", in any case.
bool has_rom_extension(std::string_view name);

// The order in which NTFS lists a folder: names compared with ASCII a-z upper-cased,
// ties broken by the exact bytes.
bool ntfs_name_less(std::string_view a, std::string_view b);

} // namespace kessra
