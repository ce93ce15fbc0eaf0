#include "texture/tiled_formats.hpp"

namespace kessra::texture {

namespace {

// The level of a bits-wide channel nearest to v once the texture unit widens
// it back to 8 bits by bit replication. Plain rounding gets there for every
// width used here (3 to 6 bits).
int nearest_level(int v, int bits) {
    const int top = (1 << bits) - 1;
    return (v * top + 127) / 255;
}

// Widening by bit replication, as the texture unit does it.
std::uint8_t widen(int v, int bits) {
    int out = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits) out |= shift >= 0 ? v << shift : v >> -shift;
    return static_cast<std::uint8_t>(out & 0xFF);
}

void put16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

std::uint16_t to_rgb5a3(Rgba c) {
    const int alpha = nearest_level(c.a, 3);
    if (alpha == 7)
        return static_cast<std::uint16_t>(0x8000 | nearest_level(c.r, 5) << 10 | nearest_level(c.g, 5) << 5 |
                                          nearest_level(c.b, 5));
    return static_cast<std::uint16_t>(alpha << 12 | nearest_level(c.r, 4) << 8 | nearest_level(c.g, 4) << 4 |
                                      nearest_level(c.b, 4));
}

Rgba from_rgb565(int v) { return {widen(v >> 11, 5), widen(v >> 5 & 63, 6), widen(v & 31, 5), 255}; }

Rgba from_rgb5a3(int v) {
    if (v & 0x8000) return {widen(v >> 10 & 31, 5), widen(v >> 5 & 31, 5), widen(v & 31, 5), 255};
    return {widen(v >> 8 & 15, 4), widen(v >> 4 & 15, 4), widen(v & 15, 4), widen(v >> 12 & 7, 3)};
}

template <class Convert> Bytes encode_16bit_tiles(const Picture& pic, Convert convert) {
    Bytes out;
    out.reserve(rgb16_size(pic.width, pic.height));
    for (int ty = 0; ty < pic.height; ty += 4)
        for (int tx = 0; tx < pic.width; tx += 4)
            for (int y = ty; y < ty + 4; ++y)
                for (int x = tx; x < tx + 4; ++x) put16(out, convert(pixel(pic, x, y)));
    return out;
}

template <class Convert>
Picture decode_16bit_tiles(std::span<const std::uint8_t> data, int width, int height, Convert convert) {
    if (width <= 0 || height <= 0 || width % 4 != 0 || height % 4 != 0 || data.size() < rgb16_size(width, height))
        return {};
    Picture pic = make_picture(width, height);
    std::size_t at = 0;
    for (int ty = 0; ty < height; ty += 4)
        for (int tx = 0; tx < width; tx += 4)
            for (int i = 0; i < 16; ++i, at += 2)
                pixel(pic, tx + i % 4, ty + i / 4) = convert(data[at] << 8 | data[at + 1]);
    return pic;
}

} // namespace

std::size_t rgb16_size(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2;
}

std::size_t cmpr_size(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 2;
}

std::uint16_t to_rgb565(Rgba c) {
    return static_cast<std::uint16_t>(nearest_level(c.r, 5) << 11 | nearest_level(c.g, 6) << 5 | nearest_level(c.b, 5));
}

Bytes encode_rgb565(const Picture& pic) { return encode_16bit_tiles(pic, to_rgb565); }

Bytes encode_rgb5a3(const Picture& pic) { return encode_16bit_tiles(pic, to_rgb5a3); }

Picture decode_rgb565(std::span<const std::uint8_t> data, int width, int height) {
    return decode_16bit_tiles(data, width, height, from_rgb565);
}

Picture decode_rgb5a3(std::span<const std::uint8_t> data, int width, int height) {
    return decode_16bit_tiles(data, width, height, from_rgb5a3);
}

Picture decode_cmpr(std::span<const std::uint8_t> data, int width, int height) {
    if (width <= 0 || height <= 0 || width % 8 != 0 || height % 8 != 0 || data.size() < cmpr_size(width, height))
        return {};
    Picture pic = make_picture(width, height);
    std::size_t at = 0;
    for (int ty = 0; ty < height; ty += 8)
        for (int tx = 0; tx < width; tx += 8)
            for (int sub = 0; sub < 4; ++sub, at += 8) {
                const int c0 = data[at] << 8 | data[at + 1], c1 = data[at + 2] << 8 | data[at + 3];
                const Rgba a = from_rgb565(c0), b = from_rgb565(c1);
                auto part = [&](int wa, int wb, int div) {
                    return Rgba{static_cast<std::uint8_t>((wa * a.r + wb * b.r) / div),
                                static_cast<std::uint8_t>((wa * a.g + wb * b.g) / div),
                                static_cast<std::uint8_t>((wa * a.b + wb * b.b) / div), 255};
                };
                // c0 > c1: four colours; otherwise three and transparent black.
                const Rgba palette[4] = {a, b, c0 > c1 ? part(2, 1, 3) : part(1, 1, 2),
                                         c0 > c1 ? part(1, 2, 3) : Rgba{0, 0, 0, 0}};
                for (int y = 0; y < 4; ++y) {
                    const int row = data[at + 4 + static_cast<std::size_t>(y)];
                    for (int x = 0; x < 4; ++x)
                        pixel(pic, tx + (sub & 1) * 4 + x, ty + (sub >> 1) * 4 + y) = palette[row >> (6 - 2 * x) & 3];
                }
            }
    return pic;
}

} // namespace kessra::texture
