// POSIX stand-in for the wildcard search: readdir filtered by extension, sizes
// from stat (links followed), sorted into the NTFS listing order.
#include "platform/dir_listing.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/paths.hpp"

namespace kessra {

namespace {

std::uint64_t entry_size(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    if (S_ISDIR(info.st_mode)) return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

} // namespace

DirListing list_rom_files(const std::string& directory) {
    DirListing listing;
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        listing.status = Status::failure(io_error_line(directory, "reading the ROM directory", errno));
        return listing;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (has_rom_extension(name)) listing.entries.push_back({name, entry_size(join_path(directory, name))});
        errno = 0;
    }
    const int read_error = errno;
    ::closedir(dir);
    if (read_error != 0) {
        listing.status = Status::failure(io_error_line(directory, "reading the ROM directory", read_error));
        listing.entries.clear();
        return listing;
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return ntfs_name_less(a.name, b.name); });
    return listing;
}

} // namespace kessra
