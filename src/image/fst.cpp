#include "image/fst.hpp"

#include <algorithm>

#include "format/be32.hpp"
#include "format/fst_entry.hpp"
#include "image/layout.hpp"

namespace kessra {

namespace {

// "roms", the four skins and the banner, each with its NUL.
constexpr std::uint32_t fixed_name_bytes() {
    std::size_t total = ROM_FOLDER_NAME.size() + 1 + BANNER_FILE_NAME.size() + 1;
    for (const std::string_view name : SKIN_FILE_NAMES) total += name.size() + 1;
    return static_cast<std::uint32_t>(total);
}
constexpr std::uint32_t FIXED_NAME_BYTES = fixed_name_bytes();
static_assert(FIXED_NAME_BYTES == 53);
// The root, "roms", four skins and the banner.
constexpr std::uint32_t FIXED_ENTRIES = 7;
// Per ROM: the disc name's NUL and "index.NNN" with its NUL.
constexpr std::uint32_t PER_ROM_NAME_BYTES = 11;

} // namespace

Status add_fst_entry(FstBuilder& fst, std::string_view name, FstKind kind, std::uint32_t data_offset,
                     std::uint32_t length_or_next) {
    if (fst.entry_count == 0) {
        fst.strings.fill(0);
        fst.string_length = 0;
    }
    const std::uint32_t name_bytes = name.empty() ? 0 : static_cast<std::uint32_t>(name.size()) + 1;
    if (fst.entry_count >= FST_MAX_ENTRIES || name_bytes > FST_STRING_TABLE_SIZE - fst.string_length) {
        return Status::failure("file system table full: cannot add " + std::string(name));
    }

    const bool directory = kind == FstKind::directory;
    FstEntry& entry = fst.entries[fst.entry_count];
    entry.bytes =
        encode_fst_entry({directory ? 1u : 0u, fst.string_length, directory ? 0 : data_offset, length_or_next});
    std::copy(name.begin(), name.end(), fst.strings.begin() + fst.string_length);
    fst.string_length += name_bytes; // the NUL is already there: the table was cleared
    ++fst.entry_count;
    return Status::success();
}

Status fill_fst(FstBuilder& fst, const ImageLayout& layout) {
    const auto rom_count = static_cast<std::uint32_t>(regions_of(layout, RegionSource::rom).size());
    Status status = add_fst_entry(fst, "", FstKind::directory, 0, 0);
    if (status) status = add_fst_entry(fst, ROM_FOLDER_NAME, FstKind::directory, 0, rom_count + 2);
    for (const Region& region : layout.regions) {
        if (!status) break;
        status =
            add_fst_entry(fst, region.file_name, FstKind::file, static_cast<std::uint32_t>(region.offset), region.size);
    }
    return status;
}

Result<std::uint32_t> write_fst(File& image, FstBuilder& fst, std::uint64_t table_offset) {
    if (Status status = seek_to(image, table_offset); !status) return {status, 0};
    put_be32(fst.entries[0].bytes, FST_LENGTH_OR_NEXT_FIELD, fst.entry_count);
    for (std::uint32_t i = 0; i < fst.entry_count; ++i) {
        if (Status status = write_bytes(image, fst.entries[i].bytes); !status) return {status, 0};
    }
    const auto* strings = reinterpret_cast<const std::uint8_t*>(fst.strings.data());
    if (Status status = write_bytes(image, {strings, fst.string_length}); !status) return {status, 0};
    const auto end = file_position(image);
    if (!end) return {end.status, 0};
    return success(static_cast<std::uint32_t>(end.value - table_offset));
}

std::uint32_t rom_name_bytes(const RomTable& roms) {
    std::uint32_t total = 0;
    for (const RomRecord& rom : roms) total += static_cast<std::uint32_t>(rom.disc_name.size()) + PER_ROM_NAME_BYTES;
    return total;
}

std::uint32_t fst_reserve_sectors(std::uint32_t name_bytes, std::uint32_t rom_count) {
    return (name_bytes + 24 * rom_count + 120) / SECTOR_SIZE + 1;
}

std::uint32_t fst_entry_count(std::uint32_t rom_count) { return 2 * rom_count + FIXED_ENTRIES; }

std::uint32_t fst_string_table_size(std::uint32_t name_bytes) { return FIXED_NAME_BYTES + name_bytes; }

std::uint32_t fst_size(std::uint32_t name_bytes, std::uint32_t rom_count) {
    return fst_entry_count(rom_count) * FST_ENTRY_SIZE + fst_string_table_size(name_bytes);
}

Status check_fst_capacity(const RomTable& roms) {
    const auto count = static_cast<std::uint32_t>(roms.size());
    if (roms.size() > MAX_ROM_COUNT || fst_entry_count(count) > FST_MAX_ENTRIES) {
        return Status::failure(std::to_string(roms.size()) + " ROMs need " + std::to_string(fst_entry_count(count)) +
                               " file system table entries, but the table holds " + std::to_string(FST_MAX_ENTRIES));
    }
    const std::uint32_t needed = fst_string_table_size(rom_name_bytes(roms));
    if (needed > FST_STRING_TABLE_SIZE) {
        return Status::failure("the disc names of " + std::to_string(roms.size()) + " ROMs need " +
                               std::to_string(needed) + " bytes of the file system table's " +
                               std::to_string(FST_STRING_TABLE_SIZE) +
                               "-byte name table; use fewer ROMs or shorter file names");
    }
    return Status::success();
}

} // namespace kessra
