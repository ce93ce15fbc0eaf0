#include "platform/file_read.hpp"

#include <cerrno>
#include <filesystem>

namespace kessra {

Result<ReadFile> open_read_file(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) return {Status::failure(path + ": opening failed: " + error.message()), {}};
    if (std::filesystem::is_directory(status)) return {Status::failure(path + ": is a folder, not an image"), {}};
    if (!std::filesystem::is_regular_file(status)) return {Status::failure(path + ": is not a regular file"), {}};
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return {Status::failure(path + ": reading the size failed: " + error.message()), {}};
    errno = 0;
    std::FILE* handle = std::fopen(path.c_str(), "rb");
    if (handle == nullptr) return {Status::failure(io_error_line(path, "opening", errno)), {}};
    return success(ReadFile{File{handle, path}, static_cast<std::uint64_t>(size)});
}

Status read_file_at(ReadFile& file, std::uint64_t offset, std::span<std::uint8_t> out) {
    if (Status status = seek_to(file.file, offset); !status) return status;
    errno = 0;
    if (std::fread(out.data(), 1, out.size(), file.file.handle) != out.size()) {
        return Status::failure(io_error_line(file.file.name, "reading", std::ferror(file.file.handle) ? errno : 0));
    }
    return Status::success();
}

void close_read_file(ReadFile& file) { abandon_file(file.file); }

} // namespace kessra
