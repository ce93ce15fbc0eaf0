#include "platform/read_file.hpp"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/file_copy.hpp"

namespace kessra {

namespace {

using OpenFile = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

Result<OpenFile> open_for_reading(const std::string& path) {
    if (is_directory(path)) return {Status::failure(path + ": is a directory, not a file"), OpenFile(nullptr, std::fclose)};
    auto opened = open_regular_file(path);
    return {opened.status, OpenFile(opened.value, std::fclose)};
}

} // namespace

Result<std::vector<std::uint8_t>> read_whole_file(const std::string& path, std::uint64_t max_size) {
    auto file = open_for_reading(path);
    if (!file) return {file.status, {}};
    return read_open_file(file.value.get(), path, max_size);
}

Result<std::vector<std::uint8_t>> read_open_file(std::FILE* file, const std::string& path, std::uint64_t max_size) {
    errno = 0;
    const std::int64_t size = open_file_size(file);
    if (size < 0) return {Status::failure(io_error_line(path, "reading the size of", errno)), {}};
    if (static_cast<std::uint64_t>(size) > max_size)
        return {Status::failure(path + ": the file is " + std::to_string(size) + " bytes; at most " +
                                std::to_string(max_size) + " are accepted"),
                {}};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    errno = 0;
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return {Status::failure(std::ferror(file) ? io_error_line(path, "reading", errno)
                                                  : path + ": the file got shorter while being read"),
                {}};
    return success(std::move(bytes));
}

Result<FileIdentity> regular_file_identity(const std::string& path) {
    auto file = open_for_reading(path);
    if (!file) return {file.status, {}};
    return open_file_identity(file.value.get(), path);
}

} // namespace kessra
