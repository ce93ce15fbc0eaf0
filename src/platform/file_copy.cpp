#include "platform/file_copy.hpp"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kessra {

std::string changed_size_line(const std::string& source) {
    return source + ": changed size during the build";
}

Status open_source(const std::string& source, std::uint64_t length, SourceFile& opened) {
    auto handle = open_regular_file(source);
    if (!handle) return handle.status;
    opened.handle = handle.value;
    errno = 0;
    const std::int64_t size = open_file_size(opened.handle);
    if (size < 0) return Status::failure(io_error_line(source, "reading", errno));
    if (static_cast<std::uint64_t>(size) < length) {
        return Status::failure(changed_size_line(source));
    }
    return Status::success();
}

Status copy_through_buffer(File& file, std::FILE* source, const std::string& source_name, std::uint64_t length,
                           std::span<std::uint8_t> head) {
    std::vector<std::uint8_t> chunk(COPY_BUFFER_SIZE);
    std::uint64_t copied = 0;
    while (copied < length) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(COPY_BUFFER_SIZE, length - copied));
        errno = 0;
        const std::size_t got = std::fread(chunk.data(), 1, wanted, source);
        if (got != wanted) {
            if (std::ferror(source)) return Status::failure(io_error_line(source_name, "reading", errno));
            return Status::failure(changed_size_line(source_name));
        }
        if (copied < head.size()) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(head.size() - copied, got));
            std::copy_n(chunk.begin(), n, head.begin() + static_cast<std::ptrdiff_t>(copied));
        }
        if (Status status = write_bytes(file, {chunk.data(), got}); !status) return status;
        copied += got;
    }
    return Status::success();
}

Status append_file_start(File& file, const std::string& source, std::uint64_t length, std::span<std::uint8_t> head) {
    const auto start = file_position(file);
    if (!start) return start.status;
    return copy_file_at(file, source, start.value, length, head);
}

} // namespace kessra
