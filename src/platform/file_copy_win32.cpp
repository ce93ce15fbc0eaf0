// Copies ROMs into the image through one small buffer: sequential reads from
// the ROM, writes at the image offset.
#include <io.h>

#include <cerrno>

#include "platform/file_copy.hpp"

namespace kessra {

std::int64_t open_file_size(std::FILE* file) { return _filelengthi64(_fileno(file)); }

Status copy_file_at(File& file, const std::string& source, std::uint64_t offset, std::uint64_t length,
                    std::span<std::uint8_t> head) {
    SourceFile input;
    if (Status status = open_source(source, length, input); !status) return status;
    if (Status status = seek_to(file, offset); !status) return status;
    return copy_through_buffer(file, input.handle, source, length, head);
}

} // namespace kessra
