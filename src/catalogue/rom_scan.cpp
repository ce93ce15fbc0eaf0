#include "catalogue/rom_scan.hpp"

#include <cinttypes>

#include "catalogue/console_text.hpp"

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

ScanResult scan_rom_directory(const std::string& directory, const DiscProfile& profile,
                              const DirectoryLister& lister, std::FILE* out) {
    DirListing listing = lister(directory);
    if (!listing.status) return {listing.status, {}};
    if (listing.entries.empty()) {
        return {Status::failure(directory + ": no ROM files (*.gba) found in this directory"), {}};
    }
    if (listing.entries.size() > MAX_ROM_COUNT) {
        return {Status::failure(directory + ": " + std::to_string(listing.entries.size()) +
                                " ROM files found, but one image holds at most " +
                                std::to_string(MAX_ROM_COUNT)),
                {}};
    }

    ScanResult result;
    std::uint64_t total = 0;
    for (const DirEntry& entry : listing.entries) {
        if (!is_rom_size(entry.size)) {
            std::fprintf(out, "File %s ( %" PRIu64 " ) is not 4/8/16 Mb!\n", printable(entry.name).c_str(),
                         entry.size);
            std::fputs("Please correct or remove.", out);
            return {Status::reported(), {}};
        }
        total += entry.size;
        result.roms.push_back({entry.name, {}, {}, static_cast<std::uint32_t>(entry.size)});
    }

    if (!collection_fits(total, result.roms.size(), profile)) {
        std::fputs("Files would not fit on a Mini DVDR\n", out);
        return {Status::reported(), {}};
    }
    return result;
}

} // namespace kessra
