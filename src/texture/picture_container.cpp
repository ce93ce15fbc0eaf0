#include "texture/picture_container.hpp"

#include <zlib.h>

#include <cstring>

#include "texture/picture_decoders.hpp"

namespace kessra::texture {

namespace {

std::uint32_t be16(std::span<const std::uint8_t> b, std::size_t at) { return std::uint32_t{b[at]} << 8 | b[at + 1]; }

std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t at) { return be16(b, at) << 16 | be16(b, at + 2); }


// A chunk type as text when it is one (four letters), for messages.
std::string chunk_name(std::span<const std::uint8_t> type) {
    for (const std::uint8_t c : type)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return "a chunk";
    return std::string(type.begin(), type.end());
}

bool is_frame_marker(std::uint8_t code) { // SOF0 .. SOF15, less DHT, JPG and DAC
    return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

bool is_restart_marker(std::uint8_t code) { return code >= 0xD0 && code <= 0xD7; }

constexpr std::uint8_t SOI = 0xD8, EOI = 0xD9, SOS = 0xDA, TEM = 0x01;

} // namespace

Status check_png_structure(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t SIGNATURE_SIZE = 8, CHUNK_OVERHEAD = 12; // length, type, CRC
    for (std::size_t at = SIGNATURE_SIZE;;) {
        if (bytes.size() - at < CHUNK_OVERHEAD) return damaged("the file ends before its end chunk");
        const std::uint32_t length = be32(bytes, at);
        const auto type = bytes.subspan(at + 4, 4);
        if (length > 0x7FFFFFFFu) return damaged(chunk_name(type) + ": impossible length");
        if (length > bytes.size() - at - CHUNK_OVERHEAD) return damaged("the file ends inside " + chunk_name(type));
        const bool header = std::memcmp(type.data(), "IHDR", 4) == 0;
        if ((at == SIGNATURE_SIZE) != header) return damaged("the header chunk is missing or repeated");
        if (header && length >= 8)
            if (Status claimed = check_picture_size(be32(bytes, at + 8), be32(bytes, at + 12)); !claimed)
                return claimed;
        const auto checked = bytes.subspan(at + 4, 4 + length);
        const auto crc = static_cast<std::uint32_t>(::crc32(0, checked.data(), static_cast<uInt>(checked.size())));
        if (crc != be32(bytes, at + 8 + length)) return damaged(chunk_name(type) + ": CRC error");
        if (std::memcmp(type.data(), "IEND", 4) == 0) return Status::success();
        at += CHUNK_OVERHEAD + length;
    }
}

Status check_jpeg_structure(std::span<const std::uint8_t> bytes) {
    const std::size_t size = bytes.size();
    bool scanned = false;
    for (std::size_t at = 2;;) {
        // The next marker: bytes that are not one are skipped as decoders
        // skip them, and so are fill bytes (0xFF) before it.
        while (at < size && bytes[at] != 0xFF) ++at;
        while (at < size && bytes[at] == 0xFF) ++at;
        if (at >= size) return damaged("the file ends before its end-of-image marker");
        const std::uint8_t code = bytes[at++];
        if (code == EOI) return scanned ? Status::success() : damaged("the file holds no scan");
        if (code == SOI) return damaged("a second start-of-image marker");
        if (code == TEM || is_restart_marker(code)) continue; // markers without a segment
        if (size - at < 2) return damaged("the file ends inside a marker segment");
        const std::uint32_t length = be16(bytes, at);
        if (length < 2) return damaged("a marker segment of impossible length");
        if (length > size - at) return damaged("the file ends inside a marker segment");
        if (is_frame_marker(code) && length >= 7)
            if (Status claimed = check_picture_size(be16(bytes, at + 5), be16(bytes, at + 3)); !claimed) return claimed;
        at += length;
        if (code != SOS) continue;
        // The scan's data runs up to the next marker other than a restart.
        const std::size_t data = at;
        while (at + 1 < size && !(bytes[at] == 0xFF && bytes[at + 1] != 0x00 && bytes[at + 1] != 0xFF &&
                                  !is_restart_marker(bytes[at + 1])))
            ++at;
        if (at + 1 >= size) return damaged("the file ends inside the scan data");
        if (at == data) return damaged("a scan without data");
        scanned = true;
    }
}

} // namespace kessra::texture
