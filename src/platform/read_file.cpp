#include "platform/read_file.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/file_copy.hpp"

namespace kessra {

namespace {

Result<File> open_for_reading(const std::string& path) {
    if (is_directory(path)) return failed<File>(Status::failure(path + ": is a directory, not a file"));
    return open_regular_file(path);
}

// Reads up to bytes.size() bytes from the file's position; the count read.
Result<std::size_t> read_some(File& file, std::span<std::uint8_t> bytes) {
    errno = 0;
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.handle);
    if (std::ferror(file.handle))
        return failed<std::size_t>(Status::failure(io_error_line(file.name, "reading", errno)));
    return success(got);
}

} // namespace

Result<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::uint64_t max_size) {
    Result<File> file = open_for_reading(path);
    if (!file) return {file.status, {}};
    return read_open_file(file.value, max_size);
}

Result<std::vector<std::uint8_t>> read_open_file(File& file, std::uint64_t max_size) {
    errno = 0;
    const std::int64_t size = open_file_size(file);
    if (size < 0) return {Status::failure(io_error_line(file.name, "reading the size of", errno)), {}};
    if (static_cast<std::uint64_t>(size) > max_size) {
        return {Status::failure(file.name + ": the file is " + std::to_string(size) + " bytes; at most " +
                                std::to_string(max_size) + " are accepted"),
                {}};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const Result<std::size_t> got = read_some(file, bytes);
    if (!got) return {got.status, {}};
    if (got.value != bytes.size()) return {Status::failure(file.name + ": the file got shorter while being read"), {}};
    return success(std::move(bytes));
}

Result<FileIdentity> regular_file_identity(const std::string& path) {
    const Result<File> file = open_for_reading(path);
    if (!file) return {file.status, {}};
    return open_file_identity(file.value);
}

Result<SmallFile> read_small_file(const std::string& path, std::uint64_t limit) {
    SmallFile small;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return success(std::move(small));
    if (error) return {Status::failure(path + ": " + error.message()), {}};
    if (status.type() != std::filesystem::file_type::regular)
        return {Status::failure(path + ": not a regular file"), {}};
    small.exists = true;
    errno = 0;
    File file{std::fopen(path.c_str(), "rb"), path};
    if (file.handle == nullptr) return {Status::failure(io_error_line(path, "opening", errno)), {}};
    // Read one byte past the limit to tell a file that is too long.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(limit) + 1);
    const Result<std::size_t> got = read_some(file, bytes);
    if (!got) return {got.status, {}};
    if (got.value > limit) {
        const auto size = std::filesystem::file_size(path, error);
        small.size = error ? got.value : size;
        return success(std::move(small));
    }
    bytes.resize(got.value);
    small.size = got.value;
    small.bytes = std::move(bytes);
    return success(std::move(small));
}

Result<ReadFile> open_read_file(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) return {Status::failure(path + ": opening failed: " + error.message()), {}};
    if (std::filesystem::is_directory(status)) return {Status::failure(path + ": is a folder, not an image"), {}};
    if (!std::filesystem::is_regular_file(status)) return {Status::failure(path + ": is not a regular file"), {}};
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return {Status::failure(path + ": reading the size failed: " + error.message()), {}};
    errno = 0;
    File file{std::fopen(path.c_str(), "rb"), path};
    if (file.handle == nullptr) return {Status::failure(io_error_line(path, "opening", errno)), {}};
    return success(ReadFile{std::move(file), static_cast<std::uint64_t>(size)});
}

Status read_file_at(ReadFile& file, std::uint64_t offset, std::span<std::uint8_t> out) {
    if (Status status = seek_to(file.file, offset); !status) return status;
    errno = 0;
    if (std::fread(out.data(), 1, out.size(), file.file.handle) != out.size()) {
        return Status::failure(io_error_line(file.file.name, "reading", std::ferror(file.file.handle) ? errno : 0));
    }
    return Status::success();
}

} // namespace kessra
