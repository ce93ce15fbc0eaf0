// Picture files made byte by byte for the tests: PNG chunks with their CRCs,
// headers that claim any size, JPEG files from pictures, and the formats the
// tool refuses.
#pragma once

#include <stb_image_write.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "inspect/crc32.hpp"
#include "texture/picture.hpp"

namespace kessra::testing {

using texture::Bytes;

inline void append_be32(Bytes& out, std::uint32_t v) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    out.insert(out.end(), bytes, bytes + 4);
}

inline void append_be16(Bytes& out, std::uint32_t v) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    out.insert(out.end(), bytes, bytes + 2);
}

// A PNG chunk: length, type, data and the CRC over type and data.
inline Bytes png_chunk(const char* type, const Bytes& data) {
    Bytes chunk(12 + data.size());
    const auto put_be32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            chunk[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    put_be32(0, static_cast<std::uint32_t>(data.size()));
    std::memcpy(&chunk[4], type, 4);
    std::copy(data.begin(), data.end(), chunk.begin() + 8);
    put_be32(8 + data.size(), crc32_update(0, std::span<const std::uint8_t>(chunk).subspan(4, 4 + data.size())));
    return chunk;
}

inline const Bytes PNG_SIGNATURE{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A well-formed PNG signature and header chunk (8-bit RGBA) claiming the
// given size, then a little image data that cannot be all of it.
inline Bytes png_claiming(std::uint32_t width, std::uint32_t height) {
    Bytes header;
    append_be32(header, width);
    append_be32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    Bytes png = PNG_SIGNATURE;
    const Bytes ihdr = png_chunk("IHDR", header);
    png.insert(png.end(), ihdr.begin(), ihdr.end());
    const Bytes idat = png_chunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00});
    png.insert(png.end(), idat.begin(), idat.end());
    return png;
}

// The start of a baseline JPEG up to its scan header, claiming the given
// size (one grey component), then a little scan data that cannot be all of it.
inline Bytes jpeg_claiming(std::uint32_t width, std::uint32_t height) {
    const std::uint8_t frame[] = {0xFF,
                                  0xC0,
                                  0x00,
                                  0x0B,
                                  8,
                                  static_cast<std::uint8_t>(height >> 8),
                                  static_cast<std::uint8_t>(height),
                                  static_cast<std::uint8_t>(width >> 8),
                                  static_cast<std::uint8_t>(width),
                                  1,
                                  1,
                                  0x11,
                                  0};
    const std::uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x08, 1, 1, 0x00, 0, 63, 0};
    std::uint8_t file[7 + 64 + sizeof frame + sizeof scan + 16];
    const std::uint8_t start[7] = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00}; // then quantisation table 0
    std::memcpy(file, start, 7);
    std::memset(file + 7, 1, 64);
    std::memcpy(file + 71, frame, sizeof frame);
    std::memcpy(file + 71 + sizeof frame, scan, sizeof scan);
    std::memset(file + 71 + sizeof frame + sizeof scan, 0x55, 16); // a little scan data
    return Bytes(file, file + sizeof file);
}

// A crafted file and what its refusal says.
struct CraftedPicture {
    const char* name;
    Bytes bytes;
    std::string says;
};

// Small files whose headers claim 16384 x 16384 and 20000 x 20000 pixels.
inline std::vector<CraftedPicture> pixel_bombs() {
    return {
        {"bomb16k.png", png_claiming(16384, 16384), "the picture is 16384 x 16384 pixels; at most 100 megapixels"},
        {"bomb16k.jpg", jpeg_claiming(16384, 16384), "the picture is 16384 x 16384 pixels; at most 100 megapixels"},
        {"bomb20k.png", png_claiming(20000, 20000), "the picture is 20000 x 20000 pixels; at most 16384 on a side"},
        {"bomb20k.jpg", jpeg_claiming(20000, 20000), "the picture is 20000 x 20000 pixels; at most 16384 on a side"}};
}

inline void append_to(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

inline Bytes raw_rgba(const texture::Picture& pic) {
    Bytes raw;
    for (const texture::Rgba& c : pic.pixels) raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
    return raw;
}

// A baseline JPEG of the picture (alpha dropped).
inline Bytes jpeg_of(const texture::Picture& pic, int quality = 95) {
    Bytes jpeg;
    const Bytes raw = raw_rgba(pic);
    stbi_write_jpg_to_func(append_to, &jpeg, pic.width, pic.height, 4, raw.data(), quality);
    return jpeg;
}

// Formats the tool does not accept, written by stb_image_write.
inline Bytes bmp_of(const texture::Picture& pic) {
    Bytes bmp;
    const Bytes raw = raw_rgba(pic);
    stbi_write_bmp_to_func(append_to, &bmp, pic.width, pic.height, 4, raw.data());
    return bmp;
}

inline Bytes tga_of(const texture::Picture& pic) {
    Bytes tga;
    const Bytes raw = raw_rgba(pic);
    stbi_write_tga_to_func(append_to, &tga, pic.width, pic.height, 4, raw.data());
    return tga;
}

// 2 x 1 GIF, two-colour palette: red, blue.
inline const Bytes SMALL_GIF{'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 255,  0,    0, 0,  0,
                             255, ',', 0,   0,   0,   0,   2, 0, 1, 0, 0,    2, 2, 0x44, 0x0A, 0, ';'};

// Where the first marker `code` (0xFFcode) of a JPEG starts, or npos.
inline std::size_t jpeg_marker_at(const Bytes& jpeg, std::uint8_t code) {
    for (std::size_t at = 2; at + 4 <= jpeg.size();) {
        if (jpeg[at] != 0xFF) return std::string::npos;
        if (jpeg[at + 1] == code) return at;
        at += 2 + (std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
    }
    return std::string::npos;
}

// Where the first chunk of `type` of a PNG starts (its length field), or npos.
inline std::size_t png_chunk_at(const Bytes& png, const char* type) {
    for (std::size_t at = 8; at + 8 <= png.size();) {
        if (std::memcmp(&png[at + 4], type, 4) == 0) return at;
        at += 12 + (std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 | std::size_t{png[at + 2]} << 8 |
                    png[at + 3]);
    }
    return std::string::npos;
}

} // namespace kessra::testing
