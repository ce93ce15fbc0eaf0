// Checked file operations. Every call reports failure as one line that names
// the file (as the user knows it) and the reason.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <utility>

#include "platform/status.hpp"

namespace kessra {

// An open file that closes itself: moved, never copied, and closed without a
// report when it goes (close_file reports the close of a file written).
struct File {
    std::FILE* handle = nullptr; // owned; null once closed or moved from
    std::string name;            // the name that messages show

    File() = default;
    File(std::FILE* opened, std::string shown_name) : handle(opened), name(std::move(shown_name)) {}
    File(File&& other) noexcept : handle(std::exchange(other.handle, nullptr)), name(std::move(other.name)) {}
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();
};

enum class FileMode { binary, text };

// Creates a new file at `path` for reading and writing; fails if it exists.
// `name` is what messages call it.
Result<File> create_new_file(const std::string& path, const std::string& name, FileMode mode);

Status write_bytes(File& file, std::span<const std::uint8_t> bytes);
Status write_text(File& file, const std::string& text);
Status write_zeros(File& file, std::uint64_t count);
Status seek_to(File& file, std::uint64_t offset);
Result<std::uint64_t> file_position(File& file);
// Makes the file exactly `length` bytes long, new bytes zero, and leaves the
// position at its end.
Status extend_to(File& file, std::uint64_t length);
// Flushes and closes; the file is closed whatever the result.
Status close_file(File& file);
// Closes at once without reporting anything; for cleanup after a failure
// before the File itself goes.
void abandon_file(File& file);

// Copies the first `length` bytes of the file at `source` into `file` at
// `offset`, in one pass, and fills `head` with the first head.size() bytes of
// it; leaves `file`'s position at the end of the copy. A file shorter than
// `length` is a failure.
Status copy_file_at(File& file, const std::string& source, std::uint64_t offset, std::uint64_t length,
                    std::span<std::uint8_t> head);

// copy_file_at at `file`'s position.
Status append_file_start(File& file, const std::string& source, std::uint64_t length, std::span<std::uint8_t> head);

// Opens an existing regular file for reading, without waiting on a pipe or a
// device put in its place: anything but a regular file is refused. Messages
// call it `path`.
Result<File> open_regular_file(const std::string& path);

// What makes a file the same file whatever the path that names it: device
// and inode number (POSIX), or volume serial number and file index (Windows).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of an open file.
Result<FileIdentity> open_file_identity(const File& file);

// True when both paths exist and name the same file.
bool same_file(const std::string& a, const std::string& b);

// True when `path` names an existing directory.
bool is_directory(const std::string& path);

// True when something exists at `path` (links followed) that is neither a
// regular file nor a directory: a device, a pipe, a socket.
bool is_special_file(const std::string& path);

} // namespace kessra
