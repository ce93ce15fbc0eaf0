#include "platform/folders.hpp"

#include <algorithm>
#include <filesystem>

namespace kessra {

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
