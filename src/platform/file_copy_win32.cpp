// Copies ROMs into the image through a bounded buffer.
#include <io.h>

#include <cerrno>

#include "platform/file_copy.hpp"

namespace kessra {

std::int64_t open_file_size(std::FILE* file) { return _filelengthi64(_fileno(file)); }

Status append_file_start(File& file, const std::string& source, std::uint64_t length, std::span<std::uint8_t> head) {
    SourceFile input;
    if (Status status = open_source(source, length, input); !status) return status;
    return copy_through_buffer(file, input.handle, source, length, head, 0);
}

} // namespace kessra
