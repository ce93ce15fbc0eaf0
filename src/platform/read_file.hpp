// Reading existing files: whole files into memory (with a size limit, as
// anything read from outside is untrusted), and an image read at offsets.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/file_io.hpp"
#include "platform/status.hpp"

namespace kessra {

// The contents of the regular file at `path`; a file longer than `max_size`
// bytes is refused without being read, and so is anything but a regular file
// (a pipe or a device, without waiting on it).
Result<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::uint64_t max_size);

// The same for a file already open at its start.
Result<std::vector<std::uint8_t>> read_open_file(File& file, std::uint64_t max_size);

// The identity of the regular file at `path`, refused as read_whole_file
// refuses it: what tells two names of one file apart from two files.
Result<FileIdentity> regular_file_identity(const std::string& path);

// A file that may be missing and may be too long to take.
struct SmallFile {
    bool exists = false;
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes; // the whole file; left empty when it is longer than the limit
};

// Reads the regular file at `path` when it is at most `limit` bytes long. A
// missing file is no failure (`exists` is false), nor is a longer one (its
// size only); anything else that is not a readable regular file is.
Result<SmallFile> read_small_file(const std::string& path, std::uint64_t limit);

// An image being inspected, read at given offsets.
struct ReadFile {
    File file;              // binary, read only
    std::uint64_t size = 0; // length when opened
};

// Opens the regular file at `path` for reading; a folder or a missing file is
// refused with a message that names `path`.
Result<ReadFile> open_read_file(const std::string& path);

// Reads exactly out.size() bytes from `offset`; a short read is a failure.
Status read_file_at(ReadFile& file, std::uint64_t offset, std::span<std::uint8_t> out);

} // namespace kessra
