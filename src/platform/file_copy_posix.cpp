// Copies ROMs into the image from a read-only mapping of each ROM: one copy
// into the image's page cache instead of a read and a write.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_copy.hpp"

namespace kessra {

namespace {

struct Mapping {
    void* address = MAP_FAILED;
    std::size_t length = 0;
    ~Mapping() {
        if (address != MAP_FAILED) ::munmap(address, length);
    }
};

Status write_at(File& file, const std::uint8_t* bytes, std::uint64_t length, std::uint64_t offset) {
    constexpr std::uint64_t chunk = 1 << 20;
    const int fd = ::fileno(file.handle);
    std::uint64_t done = 0;
    while (done < length) {
        errno = 0;
        const ssize_t n = ::pwrite(fd, bytes + done, static_cast<std::size_t>(std::min(chunk, length - done)),
                                   static_cast<off_t>(offset + done));
        if (n <= 0) return Status::failure(io_error_line(file.name, "writing", n < 0 ? errno : ENOSPC));
        done += static_cast<std::uint64_t>(n);
    }
    return Status::success();
}

} // namespace

std::int64_t open_file_size(std::FILE* file) {
    struct stat info {};
    if (::fstat(::fileno(file), &info) != 0) return -1;
    return info.st_size;
}

Status append_file_start(File& file, const std::string& source, std::uint64_t length, std::span<std::uint8_t> head) {
    SourceFile source_file;
    if (Status status = open_source(source, length, source_file); !status) return status;
    std::FILE* input = source_file.handle;

    Mapping mapping;
    if (length > 0) {
        mapping.length = static_cast<std::size_t>(length);
        mapping.address = ::mmap(nullptr, mapping.length, PROT_READ, MAP_SHARED, ::fileno(input), 0);
    }
    if (mapping.address == MAP_FAILED) {
        // A file system that cannot map files: copy through a buffer.
        return copy_through_buffer(file, input, source, length, head, 0);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(mapping.address);
    std::memcpy(head.data(), bytes, static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), length)));

    const auto start = file_position(file);
    if (!start) return start.status;
    errno = 0;
    if (std::fflush(file.handle) != 0) return Status::failure(io_error_line(file.name, "writing", errno));
    if (Status status = write_at(file, bytes, length, start.value); !status) return status;
    return seek_to(file, start.value + length);
}

} // namespace kessra
