#include "platform/file_copy.hpp"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace kessra {

std::string changed_size_line(const std::string& source) { return source + ": changed size during the build"; }

Result<File> open_source(const std::string& source, std::uint64_t length) {
    Result<File> opened = open_regular_file(source);
    if (!opened) return opened;
    errno = 0;
    const std::int64_t size = open_file_size(opened.value);
    if (size < 0) return failed<File>(Status::failure(io_error_line(source, "reading", errno)));
    if (static_cast<std::uint64_t>(size) < length) return failed<File>(Status::failure(changed_size_line(source)));
    return opened;
}

Status copy_through_buffer(File& file, File& source, std::uint64_t length, std::span<std::uint8_t> head) {
    std::vector<std::uint8_t> chunk(COPY_BUFFER_SIZE);
    std::uint64_t copied = 0;
    while (copied < length) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(COPY_BUFFER_SIZE, length - copied));
        errno = 0;
        const std::size_t got = std::fread(chunk.data(), 1, wanted, source.handle);
        if (got != wanted) {
            if (std::ferror(source.handle)) return Status::failure(io_error_line(source.name, "reading", errno));
            return Status::failure(changed_size_line(source.name));
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
