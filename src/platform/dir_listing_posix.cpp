// POSIX stand-in for the wildcard search: readdir filtered by extension, sizes
// from stat (links followed), sorted into the NTFS listing order.
#include "platform/dir_listing.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/paths.hpp"

namespace kessra {

namespace {

// The entry's size through its links, or 0 with the reason it is not a file
// that can be examined: a dangling link, a link loop, a folder the tool may not
// search, a folder named like a ROM.
DirEntry examine_entry(const std::string& directory, const std::string& name) {
    struct stat info {};
    errno = 0;
    if (::stat(join_path(directory, name).c_str(), &info) != 0) return {name, 0, std::strerror(errno)};
    if (S_ISDIR(info.st_mode)) return {name, 0, "is a folder"};
    return {name, static_cast<std::uint64_t>(info.st_size)};
}

} // namespace

Result<std::vector<DirEntry>> list_rom_files(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) return {Status::failure(io_error_line(directory, "reading the ROM directory", errno)), {}};
    std::vector<DirEntry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (has_rom_extension(name)) entries.push_back(examine_entry(directory, name));
        errno = 0;
    }
    const int read_error = errno;
    ::closedir(dir);
    if (read_error != 0)
        return {Status::failure(io_error_line(directory, "reading the ROM directory", read_error)), {}};
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return ntfs_name_less(a.name, b.name); });
    return success(std::move(entries));
}

} // namespace kessra
