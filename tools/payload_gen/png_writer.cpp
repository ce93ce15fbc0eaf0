#include "payload_gen/png_writer.hpp"

#include <algorithm>
#include <array>
#include <string_view>

namespace kessra::payload_gen {

namespace {

constexpr std::array<std::uint32_t, 256> crc_table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void append_be32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void append_chunk(Bytes& out, std::string_view type, const Bytes& body) {
    append_be32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), body.begin(), body.end());
    append_be32(out, crc32(std::span(out).subspan(start)));
}

// zlib stream holding the data in stored deflate blocks of at most 65535 bytes.
Bytes stored_zlib(const Bytes& raw) {
    Bytes z{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t len = std::min<std::size_t>(raw.size() - at, 0xFFFF);
        const bool last = at + len == raw.size();
        z.push_back(last ? 1 : 0);
        const auto n = static_cast<std::uint16_t>(len);
        for (std::uint16_t v : {n, static_cast<std::uint16_t>(~n)}) {
            z.push_back(static_cast<std::uint8_t>(v & 0xFF));
            z.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + len));
        at += len;
    } while (at < raw.size());
    append_be32(z, adler32(raw));
    return z;
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc) {
    static constexpr auto table = crc_table();
    crc = ~crc;
    for (std::uint8_t byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t adler32(std::span<const std::uint8_t> data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

Bytes encode_png(const Picture& pic, bool with_alpha) {
    Bytes raw;
    for (int y = 0; y < pic.height; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < pic.width; ++x) {
            const Rgba& c = pixel(pic, x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b});
            if (with_alpha) raw.push_back(c.a);
        }
    }
    Bytes header;
    append_be32(header, static_cast<std::uint32_t>(pic.width));
    append_be32(header, static_cast<std::uint32_t>(pic.height));
    header.insert(header.end(), {8, static_cast<std::uint8_t>(with_alpha ? 6 : 2), 0, 0, 0});
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    append_chunk(png, "IHDR", header);
    append_chunk(png, "IDAT", stored_zlib(raw));
    append_chunk(png, "IEND", {});
    return png;
}

} // namespace kessra::payload_gen
