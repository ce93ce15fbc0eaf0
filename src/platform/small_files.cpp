#include "platform/small_files.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace kessra {

Result<SmallFile> read_small_file(const std::string& path, std::uint64_t limit) {
    SmallFile file;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return success(std::move(file));
    if (error) return {Status::failure(path + ": " + error.message()), {}};
    if (status.type() != std::filesystem::file_type::regular) return {Status::failure(path + ": not a regular file"), {}};
    file.exists = true;
    errno = 0;
    std::FILE* handle = std::fopen(path.c_str(), "rb");
    if (handle == nullptr) return {Status::failure(io_error_line(path, "opening", errno)), {}};
    // Read one byte past the limit to tell a file that is too long.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(limit) + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), handle);
    const bool failed = std::ferror(handle) != 0;
    const int read_error = errno;
    std::fclose(handle);
    if (failed) return {Status::failure(io_error_line(path, "reading", read_error)), {}};
    if (got > limit) {
        const auto size = std::filesystem::file_size(path, error);
        file.size = error ? got : size;
        return success(std::move(file));
    }
    bytes.resize(got);
    file.size = got;
    file.bytes = std::move(bytes);
    return success(std::move(file));
}

Status check_inside_folder(const std::string& path, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::symlink_status(path, error).type() == fs::file_type::not_found) return Status::success();
    const fs::path resolved = fs::canonical(path, error);
    if (error) return Status::failure(path + ": cannot be examined: " + error.message());
    const fs::path root = fs::canonical(folder, error);
    if (error) return Status::failure(folder + ": cannot be examined: " + error.message());
    const auto [inside, rest] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    if (inside != root.end() || rest == resolved.end()) {
        return Status::failure(path + ": leads out of " + folder + " (a symbolic link), refusing to read it");
    }
    return Status::success();
}

Status make_directories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) return Status::failure(path + ": making the folder failed: " + error.message());
    if (!std::filesystem::is_directory(path, error)) return Status::failure(path + ": not a folder");
    return Status::success();
}

} // namespace kessra
