// The file system table as found in an image, read defensively into plain
// entries with full paths. Every offset and length is checked against the
// image and the table before it is used, and nothing is allocated beyond
// the fixed reading limits below.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "disc_reader/byte_source.hpp"
#include "disc_reader/disc_header.hpp"

namespace kessra {

// A table larger than this is refused (the tool's own tables are at most
// 512 entries and 8 KiB of names; other discs' tables stay far below).
inline constexpr std::uint32_t FST_READ_LIMIT = 4 * 1024 * 1024;
inline constexpr std::uint32_t NAME_READ_LIMIT = 255;
inline constexpr std::uint32_t PATH_READ_LIMIT = 4096;
inline constexpr std::uint64_t PATHS_TOTAL_LIMIT = 32 * 1024 * 1024;

struct DiscEntry {
    std::uint32_t index = 0;
    bool directory = false;
    std::uint32_t name_offset = 0; // in the string table
    std::string name;              // empty for the root
    std::string path;              // "roms/b.gba"; empty for the root
    std::uint32_t enclosing = 0;   // index of the directory it lies in
    // A file: where its bytes are and how many.
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    // A directory: the parent word as written, and the index after its contents.
    std::uint32_t parent = 0;
    std::uint32_t next = 0;
};

struct FileTable {
    std::uint32_t offset = 0;             // in the image
    std::uint32_t size = 0;               // entries and names
    std::uint32_t entry_count = 0;        // the root's word 2
    std::uint32_t string_table_start = 0; // offset inside the table
    std::vector<DiscEntry> entries;       // in index order, the root first
};

// Reads the table that the header words point at. Fails, with one line that
// names the place, when the table does not lie inside the image, claims more
// entries than its size holds, names a string outside its string table or
// without a terminator, or has directories that are not nested and in order.
Result<FileTable> read_file_table(ByteSource& source, const DiscHeader& header);

// The entry with this full path ("opening.bnr", "roms/b.gba"), or null.
const DiscEntry* find_entry(const FileTable& table, std::string_view path);

inline std::uint64_t file_end(const DiscEntry& entry) { return std::uint64_t{entry.offset} + entry.length; }

// A file's bytes; refuses a directory, a file that passes the end of the
// image and a file longer than `limit`.
Result<std::vector<std::uint8_t>> read_file(ByteSource& source, const DiscEntry& entry, std::uint64_t limit);

} // namespace kessra
