#include "payload_gen/texture_encoders.hpp"

namespace kessra::payload_gen {

namespace {

// The level of a bits-wide channel nearest to v once the texture unit widens
// it back to 8 bits by bit replication. Plain rounding gets there for every
// width used here (3 to 6 bits).
int nearest_level(int v, int bits) {
    const int top = (1 << bits) - 1;
    return (v * top + 127) / 255;
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

template <class Convert>
Bytes encode_16bit_tiles(const Picture& pic, Convert convert) {
    Bytes out;
    out.reserve(static_cast<std::size_t>(pic.width * pic.height * 2));
    for (int ty = 0; ty < pic.height; ty += 4)
        for (int tx = 0; tx < pic.width; tx += 4)
            for (int y = ty; y < ty + 4; ++y)
                for (int x = tx; x < tx + 4; ++x) put16(out, convert(pixel(pic, x, y)));
    return out;
}

} // namespace

std::uint16_t to_rgb565(Rgba c) {
    return static_cast<std::uint16_t>(nearest_level(c.r, 5) << 11 | nearest_level(c.g, 6) << 5 |
                                      nearest_level(c.b, 5));
}

Bytes encode_rgb565(const Picture& pic) {
    return encode_16bit_tiles(pic, to_rgb565);
}

Bytes encode_rgb5a3(const Picture& pic) {
    return encode_16bit_tiles(pic, to_rgb5a3);
}

} // namespace kessra::payload_gen
