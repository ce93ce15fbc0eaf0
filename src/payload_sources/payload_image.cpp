#include "payload_sources/payload_image.hpp"

#include "disc_reader/disc_header.hpp"
#include "disc_reader/file_table.hpp"
#include "format/disc_format.hpp"

namespace kessra {

namespace {

std::string origin(const ByteSource& image, std::size_t blob) {
    return image.name() + " (" + PAYLOAD_FILES[blob].name + ")";
}

Status take_range(ByteSource& image, std::size_t blob, std::uint64_t offset, SourceRead& read) {
    Result<std::vector<std::uint8_t>> bytes =
        read_range(image, offset, PAYLOAD_FILES[blob].size, PAYLOAD_FILES[blob].size);
    if (!bytes) return bytes.status;
    read.blobs[blob] = TakenBlob{std::move(bytes.value), origin(image, blob)};
    return Status::success();
}

} // namespace

Result<SourceRead> read_image_payloads(ByteSource& image) {
    if (image.size() < FST_OFFSET) {
        return {Status::failure(image.name() + ": " + std::to_string(image.size()) +
                                " bytes, too short for an image with a loader and program image (" +
                                std::to_string(FST_OFFSET) + " bytes at least)"),
                {}};
    }
    Result<DiscHeader> header = read_disc_header(image);
    if (!header) return {header.status, {}};
    if (header.value.program_image_offset != PROGRAM_IMAGE_OFFSET) {
        return {Status::failure(image.name() + ": program image offset at " + hex_offset(PROGRAM_IMAGE_OFFSET_FIELD) +
                                ": expected " + hex_offset(PROGRAM_IMAGE_OFFSET) + ", found " +
                                hex_offset(header.value.program_image_offset)),
                {}};
    }
    Result<FileTable> table = read_file_table(image, header.value);
    if (!table) return {table.status, {}};

    SourceRead read;
    if (Status status = take_range(image, LOADER_BLOB, LOADER_OFFSET, read); !status) return {status, {}};
    if (Status status = take_range(image, PROGRAM_BLOB, PROGRAM_IMAGE_OFFSET, read); !status) return {status, {}};
    for (std::size_t blob = FIRST_SKIN_BLOB; blob <= BANNER_BLOB; ++blob) {
        const char* name = PAYLOAD_FILES[blob].name;
        const DiscEntry* entry = find_entry(table.value, name);
        if (entry == nullptr || entry->directory) {
            return {Status::failure(image.name() + ": " + name + " is not a file in the root of the file system table"),
                    {}};
        }
        if (entry->length != PAYLOAD_FILES[blob].size) {
            // Reported with the other layout problems; nothing is read.
            read.problems.push_back({blob, origin(image, blob), "length", 0,
                                     std::to_string(PAYLOAD_FILES[blob].size) + " bytes",
                                     std::to_string(entry->length) + " bytes"});
            continue;
        }
        Result<std::vector<std::uint8_t>> bytes = read_file(image, *entry, PAYLOAD_FILES[blob].size);
        if (!bytes) return {bytes.status, {}};
        read.blobs[blob] = TakenBlob{std::move(bytes.value), origin(image, blob)};
    }
    return success(std::move(read));
}

Result<SourceRead> read_image_payloads(const std::string& image_path) {
    Result<std::unique_ptr<ByteSource>> image = open_file_source(image_path);
    if (!image) return {image.status, {}};
    return read_image_payloads(*image.value);
}

} // namespace kessra
