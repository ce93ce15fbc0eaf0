#include "platform/file_io.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>

namespace kessra {

Status write_bytes(File& file, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return Status::success();
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.handle) != bytes.size()) {
        return Status::failure(io_error_line(file.name, "writing", errno));
    }
    return Status::success();
}

Status write_text(File& file, const std::string& text) {
    return write_bytes(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

Status write_zeros(File& file, std::uint64_t count) {
    static const std::array<std::uint8_t, 65536> zeros{};
    while (count > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, zeros.size()));
        if (Status status = write_bytes(file, {zeros.data(), chunk}); !status) return status;
        count -= chunk;
    }
    return Status::success();
}

Status close_file(File& file) {
    if (file.handle == nullptr) return Status::success();
    std::FILE* handle = file.handle;
    file.handle = nullptr;
    errno = 0;
    const bool flushed = std::fflush(handle) == 0;
    const int flush_error = errno;
    const bool closed = std::fclose(handle) == 0;
    if (!flushed) return Status::failure(io_error_line(file.name, "writing", flush_error));
    if (!closed) return Status::failure(io_error_line(file.name, "closing", errno));
    return Status::success();
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        abandon_file(*this);
        handle = std::exchange(other.handle, nullptr);
        name = std::move(other.name);
    }
    return *this;
}

File::~File() { abandon_file(*this); }

void abandon_file(File& file) {
    if (file.handle != nullptr) std::fclose(file.handle);
    file.handle = nullptr;
}

bool same_file(const std::string& a, const std::string& b) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    return !error && same;
}

bool is_directory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool is_special_file(const std::string& path) {
    std::error_code error;
    const auto type = std::filesystem::status(path, error).type();
    if (error) return false;
    return type != std::filesystem::file_type::regular && type != std::filesystem::file_type::directory &&
           type != std::filesystem::file_type::not_found;
}

} // namespace kessra
