// The wildcard search of the ROM directory. Matches come in the order the
// file system lists them (name order on NTFS); nothing is sorted here.
#include <windows.h>

#include "platform/dir_listing.hpp"
#include "platform/win32_status.hpp"

namespace kessra {

namespace {

constexpr const char* READING = "reading the ROM directory";

DirEntry found_entry(const WIN32_FIND_DATAA& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {found.cFileName, 0, "is a folder"};
    return {found.cFileName, std::uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow};
}

} // namespace

Result<std::vector<DirEntry>> list_rom_files(const std::string& directory) {
    std::vector<DirEntry> entries;
    // The directory as given, a backslash, then the pattern: a directory that
    // ends in a backslash gives two, which the search accepts.
    const std::string pattern = directory + "\\*.gba";
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A directory without any match is not a failure of the search.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
            return {Status::failure(win32_error_line(directory, READING, error)), {}};
        }
        return success(std::move(entries));
    }
    do {
        // The pattern also matches short names: x.gbax can come back through
        // its short name X~1.GBA. Only long names in .gba are ROMs.
        if (has_rom_extension(found.cFileName)) entries.push_back(found_entry(found));
    } while (FindNextFileA(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) return {Status::failure(win32_error_line(directory, READING, error)), {}};
    return success(std::move(entries));
}

} // namespace kessra
