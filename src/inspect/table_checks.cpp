// Checks of the file system table that hold for any disc, and those of this
// tool's own layout.
#include <algorithm>
#include <cstdio>

#include "format/disc_format.hpp"
#include "inspect/inspection.hpp"
#include "inspect/problem_list.hpp"

namespace kessra {

namespace {

std::string extent(const DiscEntry& entry) { return hex_offset(entry.offset) + " to " + hex_offset(file_end(entry)); }

std::uint64_t table_end(const FileTable& table) { return std::uint64_t{table.offset} + table.size; }

// Two entries of one name in one folder: a lookup finds only the first.
void check_unique_names(const FileTable& table, ProblemList& problems) {
    std::vector<const DiscEntry*> named;
    for (const DiscEntry& entry : table.entries)
        if (entry.index != 0 && !entry.name.empty()) named.push_back(&entry);
    std::sort(named.begin(), named.end(), [](const DiscEntry* a, const DiscEntry* b) {
        return a->enclosing != b->enclosing ? a->enclosing < b->enclosing
               : a->name != b->name         ? a->name < b->name
                                            : a->index < b->index;
    });
    for (std::size_t i = 1; i < named.size(); ++i) {
        const DiscEntry& first = *named[i - 1];
        const DiscEntry& second = *named[i];
        if (first.enclosing != second.enclosing || first.name != second.name) continue;
        problems.add(escaped_text(second.path) + ": table entries " + std::to_string(first.index) + " and " +
                     std::to_string(second.index) + " have this name in one folder");
    }
}

} // namespace

void check_table_files(const FileTable& table, Inspection& found) {
    ProblemList problems{found};
    std::uint64_t end = table_end(table);
    std::vector<const DiscEntry*> files;
    for (const DiscEntry& entry : table.entries) {
        if (entry.index == 0) continue;
        const std::string name = escaped_text(entry.path);
        if (entry.name.empty()) {
            problems.add("table entry " + std::to_string(entry.index) + ": a " + (entry.directory ? "folder" : "file") +
                         " without a name");
        }
        if (entry.directory) {
            if (entry.parent != entry.enclosing) {
                problems.add("table entry " + std::to_string(entry.index) + " (" + name + "): parent word " +
                             std::to_string(entry.parent) + ", but it lies in entry " +
                             std::to_string(entry.enclosing));
            }
            continue;
        }
        if (file_end(entry) > found.length) {
            problems.add(name + ": " + std::to_string(entry.length) + " bytes at " + hex_offset(entry.offset) +
                         " pass the end of the image (" + std::to_string(found.length) + " bytes)");
        }
        if (entry.length > 0 && entry.offset < table_end(table) && file_end(entry) > table.offset) {
            problems.add(name + " (" + extent(entry) + ") overlaps the file system table");
        }
        if (entry.length > 0) files.push_back(&entry);
        end = std::max(end, file_end(entry));
    }
    found.content_end = round_up_to_sector(end);

    check_unique_names(table, problems);

    std::sort(files.begin(), files.end(), [](const DiscEntry* a, const DiscEntry* b) {
        return a->offset != b->offset ? a->offset < b->offset : a->index < b->index;
    });
    const DiscEntry* reaching = nullptr; // the file that reaches furthest so far
    for (const DiscEntry* file : files) {
        if (reaching != nullptr && file->offset < file_end(*reaching)) {
            problems.add(escaped_text(file->path) + " (" + extent(*file) + ") overlaps " +
                         escaped_text(reaching->path) + " (" + extent(*reaching) + ")");
        }
        if (reaching == nullptr || file_end(*file) > file_end(*reaching)) reaching = file;
    }
}

void check_layout_files(const FileTable& table, Inspection& found) {
    ProblemList problems{found};
    const DiscHeader& header = *found.header;
    // A maximum below the table size is a fault of any disc (check_header_words).
    if (header.fst_max_size > header.fst_size) {
        problems.add(hex_offset(FST_MAX_SIZE_FIELD) + ": maximum table size " + std::to_string(header.fst_max_size) +
                     " differs from the table size " + std::to_string(header.fst_size));
    }
    if (table.entries.size() < 2) {
        problems.add("table entry 1: missing, expected the \"roms\" folder");
    } else if (const DiscEntry& first = table.entries[1]; !first.directory || first.name != ROM_FOLDER_NAME) {
        std::string line = "table entry 1: \"";
        line += escaped_text(first.name);
        line += first.directory ? "\" (a folder)" : "\" (a file)";
        line += ", expected the \"roms\" folder";
        problems.add(std::move(line));
    }
    for (const DiscEntry& entry : table.entries) {
        if (entry.directory) continue;
        if (entry.offset % SECTOR_SIZE != 0 && entry.length > 0) {
            problems.add(escaped_text(entry.path) + " at " + hex_offset(entry.offset) +
                         ": does not start on a 2048-byte boundary");
        }
        if (entry.offset < table_end(table) && entry.length > 0 && file_end(entry) <= table.offset) {
            problems.add(escaped_text(entry.path) + " at " + hex_offset(entry.offset) +
                         ": lies in the boot area, before the file system table");
        }
    }
}

} // namespace kessra
