// Copies ROMs into the image with positioned reads into one small aligned
// buffer and positioned writes at the image offsets: one pass over each ROM,
// every call checked. A buffer that stays in the processor's cache between
// the read and the write, with writes aligned to the image's pages, measured
// fastest; copying from a mapping of the ROM was several times slower
// whenever the ROM's pages were not resident.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/file_copy.hpp"

namespace kessra {

namespace {

constexpr std::size_t BUFFER_ALIGNMENT = 4096;

// Reads up to `size` bytes at `offset`: the count, 0 at the end of the file,
// or a negative value with errno set.
ssize_t read_at(int input, std::uint8_t* bytes, std::size_t size, std::uint64_t offset) {
    ssize_t got = 0;
    do {
        errno = 0;
        got = ::pread(input, bytes, size, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    return got;
}

Status write_at(File& file, const std::uint8_t* bytes, std::size_t size, std::uint64_t offset) {
    const int output = ::fileno(file.handle);
    std::size_t done = 0;
    while (done < size) {
        errno = 0;
        const ssize_t n = ::pwrite(output, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Status::failure(io_error_line(file.name, "writing", n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    return Status::success();
}

} // namespace

std::int64_t open_file_size(const File& file) {
    struct stat info {};
    if (::fstat(::fileno(file.handle), &info) != 0) return -1;
    return info.st_size;
}

Status copy_file_at(File& file, const std::string& source, std::uint64_t offset, std::uint64_t length,
                    std::span<std::uint8_t> head) {
    const Result<File> source_file = open_source(source, length);
    if (!source_file) return source_file.status;
    const int input = ::fileno(source_file.value.handle);
    // A hint for a longer read-ahead, as on any whole-file copy: nothing is
    // lost if the kernel does not take it, so its result is not an error.
    [[maybe_unused]] const int advised = ::posix_fadvise(input, 0, 0, POSIX_FADV_SEQUENTIAL);

    // What the image's stream still holds must land before the copy, not over it.
    errno = 0;
    if (std::fflush(file.handle) != 0) return Status::failure(io_error_line(file.name, "writing", errno));

    // On the stack: its pages stay mapped from one ROM to the next, where a
    // buffer this large from the heap is mapped and faulted in anew each time.
    alignas(BUFFER_ALIGNMENT) std::array<std::uint8_t, COPY_BUFFER_SIZE> buffer;

    std::uint64_t copied = 0;
    while (copied < length) {
        // Writes end at multiples of the buffer size in the image: a write
        // that starts or ends inside a page costs the kernel a partial page
        // each time (ROMs start on 2048-byte sectors, not on pages).
        const std::uint64_t to_boundary = COPY_BUFFER_SIZE - (offset + copied) % COPY_BUFFER_SIZE;
        const auto wanted = static_cast<std::size_t>(std::min(to_boundary, length - copied));
        const ssize_t got = read_at(input, buffer.data(), wanted, copied);
        if (got < 0) return Status::failure(io_error_line(source, "reading", errno));
        if (got == 0) return Status::failure(changed_size_line(source));
        const auto count = static_cast<std::size_t>(got);
        if (copied < head.size()) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(head.size() - copied, count));
            std::copy_n(buffer.data(), n, head.begin() + static_cast<std::ptrdiff_t>(copied));
        }
        if (Status status = write_at(file, buffer.data(), count, offset + copied); !status) return status;
        copied += count;
    }
    return seek_to(file, offset + length);
}

} // namespace kessra
