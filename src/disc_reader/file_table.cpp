#include "disc_reader/file_table.hpp"

#include <algorithm>
#include <cstring>

#include "format/fst_entry.hpp"
#include "format/disc_format.hpp"

namespace kessra {

namespace {

struct Place {
    const ByteSource& source;
    std::uint32_t table_offset;

    Status refuse(std::uint32_t index, const std::string& what) const {
        const std::uint64_t at = std::uint64_t{table_offset} + std::uint64_t{index} * FST_ENTRY_SIZE;
        return Status::failure(source.name() + ": table entry " + std::to_string(index) + " (at " + hex_offset(at) +
                               "): " + what);
    }
};

struct OpenDirectory {
    std::uint32_t index;
    std::uint32_t end; // first index after its contents
};

Status check_table_place(const ByteSource& source, const DiscHeader& header) {
    const std::string where = source.name() + ": the file system table (" + std::to_string(header.fst_size) +
                              " bytes at " + hex_offset(header.fst_offset) + ")";
    if (header.fst_size < FST_ENTRY_SIZE) return Status::failure(where + " is too small for its root entry");
    if (header.fst_size > FST_READ_LIMIT) {
        return Status::failure(where + " is larger than the " + std::to_string(FST_READ_LIMIT) +
                               " bytes this reader accepts");
    }
    if (!range_inside(header.fst_offset, header.fst_size, source.size())) {
        return Status::failure(where + " passes the end of the image (" + std::to_string(source.size()) + " bytes)");
    }
    return Status::success();
}

// The name at `offset`: inside the string table and terminated there.
Status read_name(const std::vector<std::uint8_t>& table, std::uint32_t strings_start, std::uint32_t offset,
                 std::string& name, const Place& place, std::uint32_t index) {
    const std::size_t strings_size = table.size() - strings_start;
    if (offset >= strings_size) {
        return place.refuse(index, "name offset " + std::to_string(offset) + " is outside the string table (" +
                                       std::to_string(strings_size) + " bytes)");
    }
    const std::uint8_t* begin = table.data() + strings_start + offset;
    const std::size_t room = std::min<std::size_t>(strings_size - offset, NAME_READ_LIMIT + 1);
    const void* nul = std::memchr(begin, 0, room);
    if (nul == nullptr) {
        return place.refuse(index, room > NAME_READ_LIMIT
                                       ? "name at string offset " + std::to_string(offset) + " is longer than " +
                                             std::to_string(NAME_READ_LIMIT) + " bytes"
                                       : "name at string offset " + std::to_string(offset) +
                                             " is not terminated inside the string table");
    }
    name.assign(reinterpret_cast<const char*>(begin),
                static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - begin));
    return Status::success();
}

} // namespace

Result<FileTable> read_file_table(ByteSource& source, const DiscHeader& header) {
    if (Status status = check_table_place(source, header); !status) return {status, {}};
    Result<std::vector<std::uint8_t>> bytes = read_range(source, header.fst_offset, header.fst_size, FST_READ_LIMIT);
    if (!bytes) return {bytes.status, {}};
    const std::vector<std::uint8_t>& raw = bytes.value;
    const Place place{source, header.fst_offset};

    FileTable table;
    table.offset = header.fst_offset;
    table.size = header.fst_size;
    const auto entry_at = [&raw](std::size_t index) {
        return decode_fst_entry(std::span(raw).subspan(index * FST_ENTRY_SIZE).first<FST_ENTRY_SIZE>());
    };
    const FstFields root_fields = entry_at(0);
    if (root_fields.type != 1) return {place.refuse(0, "the root entry is not a directory"), {}};
    table.entry_count = root_fields.length_or_next;
    const std::uint32_t room = header.fst_size / FST_ENTRY_SIZE;
    if (table.entry_count == 0 || table.entry_count > room) {
        return {place.refuse(0, "the root claims " + std::to_string(table.entry_count) + " entries; the table's " +
                                    std::to_string(header.fst_size) + " bytes hold at most " + std::to_string(room)),
                {}};
    }
    table.string_table_start = table.entry_count * FST_ENTRY_SIZE;

    table.entries.reserve(table.entry_count);
    DiscEntry root;
    root.directory = true;
    root.parent = root_fields.offset_or_parent;
    root.next = table.entry_count;
    table.entries.push_back(root);

    std::vector<OpenDirectory> open{{0, table.entry_count}};
    std::uint64_t path_bytes = 0;
    for (std::uint32_t index = 1; index < table.entry_count; ++index) {
        const FstFields fields = entry_at(index);
        const std::uint32_t type = fields.type;
        if (type > 1) return {place.refuse(index, "unknown entry type " + std::to_string(type)), {}};
        while (index >= open.back().end) open.pop_back(); // the root's end is the entry count: never popped

        DiscEntry entry;
        entry.index = index;
        entry.directory = type == 1;
        entry.name_offset = fields.name_offset;
        entry.enclosing = open.back().index;
        if (Status status = read_name(raw, table.string_table_start, entry.name_offset, entry.name, place, index);
            !status) {
            return {status, {}};
        }
        const std::string& parent_path = table.entries[entry.enclosing].path;
        if (parent_path.size() + 1 + entry.name.size() > PATH_READ_LIMIT) {
            return {place.refuse(index, "path longer than " + std::to_string(PATH_READ_LIMIT) + " bytes"), {}};
        }
        entry.path = parent_path.empty() ? entry.name : parent_path + "/" + entry.name;
        path_bytes += entry.path.size();
        if (path_bytes > PATHS_TOTAL_LIMIT) {
            return {place.refuse(index, "the table's paths pass " + std::to_string(PATHS_TOTAL_LIMIT) + " bytes"), {}};
        }
        const std::uint32_t word1 = fields.offset_or_parent;
        const std::uint32_t word2 = fields.length_or_next;
        if (entry.directory) {
            entry.parent = word1;
            entry.next = word2;
            if (word2 <= index || word2 > open.back().end) {
                return {place.refuse(index, "directory \"" + escaped_text(entry.path) + "\" ends at entry " +
                                                std::to_string(word2) + ", outside " + std::to_string(index + 1) +
                                                " to " + std::to_string(open.back().end) + " (its parent's range)"),
                        {}};
            }
            open.push_back({index, word2});
        } else {
            entry.offset = word1;
            entry.length = word2;
        }
        table.entries.push_back(std::move(entry));
    }
    return success(std::move(table));
}

const DiscEntry* find_entry(const FileTable& table, std::string_view path) {
    for (const DiscEntry& entry : table.entries) {
        if (entry.index != 0 && entry.path == path) return &entry;
    }
    return nullptr;
}

Result<std::vector<std::uint8_t>> read_file(ByteSource& source, const DiscEntry& entry, std::uint64_t limit) {
    if (entry.directory)
        return {Status::failure(source.name() + ": " + escaped_text(entry.path) + " is a folder, not a file"), {}};
    if (!range_inside(entry.offset, entry.length, source.size())) {
        return {Status::failure(source.name() + ": " + escaped_text(entry.path) + " (" + std::to_string(entry.length) +
                                " bytes at " + hex_offset(entry.offset) + ") passes the end of the image (" +
                                std::to_string(source.size()) + " bytes)"),
                {}};
    }
    return read_range(source, entry.offset, entry.length, limit);
}

} // namespace kessra
