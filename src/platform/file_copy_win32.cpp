// Copies ROMs into the image through one small buffer: sequential reads from
// the ROM, writes at the image offset.
#include <io.h>

#include <cerrno>

#include "platform/file_copy.hpp"

namespace kessra {

std::int64_t open_file_size(const File& file) { return _filelengthi64(_fileno(file.handle)); }

Status copy_file_at(File& file, const std::string& source, std::uint64_t offset, std::uint64_t length,
                    std::span<std::uint8_t> head) {
    Result<File> input = open_source(source, length);
    if (!input) return input.status;
    if (Status status = seek_to(file, offset); !status) return status;
    return copy_through_buffer(file, input.value, length, head);
}

} // namespace kessra
