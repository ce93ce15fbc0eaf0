#include "catalogue/rom_scan.hpp"

#include <cinttypes>
#include <cstdio>

#include "catalogue/console_text.hpp"
#include "platform/paths.hpp"

namespace kessra {

bool is_rom_size(std::uint64_t size) { return size == ROM_SIZE_4M || size == ROM_SIZE_8M || size == ROM_SIZE_16M; }

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
Result<RomTable> record_roms(const std::string& directory, const std::vector<DirEntry>& entries) {
    RomTable roms;
    for (const DirEntry& entry : entries) {
        if (!is_rom_size(entry.size)) {
            char size_line[64];
            std::snprintf(size_line, sizeof size_line, " ( %" PRIu64 " ) is not 4/8/16 Mb!\n", entry.size);
            Status refused = Status::refusal("File " + printable(entry.name) + size_line + "Please correct or remove.");
            if (!entry.problem.empty()) {
                refused.message =
                    printable(join_path(directory, entry.name)) + ": cannot be examined: " + entry.problem;
            }
            return failed<RomTable>(std::move(refused));
        }
        roms.push_back({entry.name, {}, {}, static_cast<std::uint32_t>(entry.size)});
    }
    return success(std::move(roms));
}

Status check_listing(const std::string& directory, const Result<std::vector<DirEntry>>& listing, std::size_t max_count,
                     const std::string& holder) {
    if (!listing) return listing.status;
    if (listing.value.empty()) return Status::failure(directory + ": no ROM files (*.gba) found in this directory");
    if (listing.value.size() > max_count) {
        return Status::failure(directory + ": " + std::to_string(listing.value.size()) + " ROM files found, but " +
                               holder + " at most " + std::to_string(max_count));
    }
    return Status::success();
}

} // namespace

Result<RomTable> scan_rom_directory(const std::string& directory, const DiscProfile& profile,
                                    const DirectoryLister& lister) {
    const auto listing = lister(directory);
    if (Status status = check_listing(directory, listing, MAX_ROM_COUNT, "one image holds"); !status) {
        return failed<RomTable>(std::move(status));
    }
    Result<RomTable> result = record_roms(directory, listing.value);
    if (!result) return result;
    std::uint64_t total = 0;
    for (const RomRecord& rom : result.value) total += rom.size;
    if (!collection_fits(total, result.value.size(), profile)) {
        return failed<RomTable>(Status::refusal("Files would not fit on a Mini DVDR\n"));
    }
    return result;
}

Result<RomTable> scan_rom_collection(const std::string& directory, std::size_t max_count, const std::string& holder,
                                     const DirectoryLister& lister) {
    const auto listing = lister(directory);
    if (Status status = check_listing(directory, listing, max_count, holder); !status) {
        return failed<RomTable>(std::move(status));
    }
    return record_roms(directory, listing.value);
}

} // namespace kessra
