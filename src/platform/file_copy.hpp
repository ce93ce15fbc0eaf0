// Pieces shared by the host-specific ways of copying a file into another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "platform/file_io.hpp"

namespace kessra {

// The one message for a ROM whose size is not the one scanned, found when it
// is opened or while it is copied.
std::string changed_size_line(const std::string& source);

// Opens `source` for reading without blocking on a pipe or a device, and
// checks that it is a regular file of at least `length` bytes.
Result<File> open_source(const std::string& source, std::uint64_t length);

// The size of an open file, or a negative value with errno set. Host-specific.
std::int64_t open_file_size(const File& file);

// The copy buffer: small enough to stay in the processor's cache between the
// read and the write (a 1 MiB buffer measured far slower), large enough that
// the calls cost nothing next to the bytes.
constexpr std::size_t COPY_BUFFER_SIZE = std::size_t{256} * 1024;

// Copies `length` bytes from `source`'s position to `file`'s position through
// one buffer of COPY_BUFFER_SIZE; fills `head` on the way.
Status copy_through_buffer(File& file, File& source, std::uint64_t length, std::span<std::uint8_t> head);

} // namespace kessra
