// Copies ROMs into the image through a bounded buffer.
#include <io.h>

#include <cerrno>

#include "platform/file_copy.hpp"

namespace kessra {

Status append_file_start(File& file, const std::string& source, std::uint64_t length, std::span<std::uint8_t> head) {
    errno = 0;
    std::FILE* input = std::fopen(source.c_str(), "rb");
    if (input == nullptr) return Status::failure(io_error_line(source, "opening", errno));
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{input};

    errno = 0;
    const __int64 size = _filelengthi64(_fileno(input));
    if (size < 0) return Status::failure(io_error_line(source, "reading", errno));
    if (static_cast<std::uint64_t>(size) < length) {
        return Status::failure(shrunk_file_line(source, static_cast<std::uint64_t>(size), length));
    }
    return copy_through_buffer(file, input, source, length, head, 0);
}

} // namespace kessra
