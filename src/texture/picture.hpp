// An 8-bit RGBA picture in memory, row-major, top row first.
#pragma once

#include <cstdint>
#include <vector>

namespace kessra::texture {

using Bytes = std::vector<std::uint8_t>;

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels; // width * height
};

inline Picture make_picture(int width, int height, Rgba fill = {}) {
    return Picture{width, height,
                   std::vector<Rgba>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)};
}

inline Rgba& pixel(Picture& pic, int x, int y) {
    return pic.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(pic.width) + static_cast<std::size_t>(x)];
}

inline const Rgba& pixel(const Picture& pic, int x, int y) {
    return pic.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(pic.width) + static_cast<std::size_t>(x)];
}

} // namespace kessra::texture
