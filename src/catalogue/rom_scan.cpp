#include "catalogue/rom_scan.hpp"

#include <cinttypes>

#include "catalogue/console_text.hpp"
#include "platform/paths.hpp"

namespace kessra {

bool is_rom_size(std::uint64_t size) {
    return size == ROM_SIZE_4M || size == ROM_SIZE_8M || size == ROM_SIZE_16M;
}

bool collection_fits(std::uint64_t total_size, std::uint64_t rom_count, const DiscProfile& profile) {
    constexpr std::uint64_t index_file_size = 2048;
    const std::uint64_t reserved = rom_count * index_file_size;
    if (reserved > profile.data_budget) return false;
    return total_size <= profile.data_budget - reserved;
}

namespace {

// Records every listed ROM in listing order; the first file of another size
// stops the scan with the tool's own message. An entry that could not be
// examined shows as size 0 there, and its real reason follows as the error line.
ScanResult record_roms(const std::string& directory, const DirListing& listing, std::FILE* out) {
    ScanResult result;
    for (const DirEntry& entry : listing.entries) {
        if (!is_rom_size(entry.size)) {
            std::fprintf(out, "File %s ( %" PRIu64 " ) is not 4/8/16 Mb!\n", printable(entry.name).c_str(),
                         entry.size);
            std::fputs("Please correct or remove.", out);
            if (entry.problem.empty()) return {Status::reported(), {}};
            return {Status::failure(printable(join_path(directory, entry.name)) + ": cannot be examined: " +
                                    entry.problem),
                    {}};
        }
        result.roms.push_back({entry.name, {}, {}, static_cast<std::uint32_t>(entry.size)});
    }
    return result;
}

Status check_listing(const std::string& directory, const DirListing& listing, std::size_t max_count,
                     const std::string& holder) {
    if (!listing.status) return listing.status;
    if (listing.entries.empty()) return Status::failure(directory + ": no ROM files (*.gba) found in this directory");
    if (listing.entries.size() > max_count) {
        return Status::failure(directory + ": " + std::to_string(listing.entries.size()) + " ROM files found, but " +
                               holder + " at most " + std::to_string(max_count));
    }
    return Status::success();
}

} // namespace

ScanResult scan_rom_directory(const std::string& directory, const DiscProfile& profile,
                              const DirectoryLister& lister, std::FILE* out) {
    const DirListing listing = lister(directory);
    if (Status status = check_listing(directory, listing, MAX_ROM_COUNT, "one image holds"); !status) {
        return {status, {}};
    }
    ScanResult result = record_roms(directory, listing, out);
    if (!result.status) return result;
    std::uint64_t total = 0;
    for (const RomRecord& rom : result.roms) total += rom.size;
    if (!collection_fits(total, result.roms.size(), profile)) {
        std::fputs("Files would not fit on a Mini DVDR\n", out);
        return {Status::reported(), {}};
    }
    return result;
}

ScanResult scan_rom_collection(const std::string& directory, std::size_t max_count, const std::string& holder,
                               const DirectoryLister& lister, std::FILE* out) {
    const DirListing listing = lister(directory);
    if (Status status = check_listing(directory, listing, max_count, holder); !status) return {status, {}};
    return record_roms(directory, listing, out);
}

} // namespace kessra
