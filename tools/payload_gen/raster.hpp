// A small integer-only rasteriser for the skin and banner artwork. Every
// computation is done in integers so the pictures come out bit for bit the
// same with any compiler, optimisation level or processor.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "texture/picture.hpp"

namespace kessra::payload_gen {

using texture::make_picture;
using texture::Picture;
using texture::pixel;
using texture::Rgba;

// Pixel box, end exclusive.
struct Box {
    int x0, y0, x1, y1;
};

struct GradientStop {
    int at; // 0 (top) .. 1024 (bottom)
    Rgba colour;
};

// Sub-pixel resolution of shape geometry: coordinates and distances handed to
// signed-distance functions are in 1/SUB pixels.
inline constexpr int SUB = 64;

std::int64_t isqrt(std::int64_t v);
int isin(int angle);                             // 4096 units per turn, result in -4096..4096
Rgba mix(Rgba from, Rgba to, int t);             // t in 0..256
std::uint32_t next_random(std::uint32_t& state); // xorshift32, state != 0

// "Over" compositing of colour onto a pixel with coverage 0..256.
void blend(Rgba& dst, Rgba src, int coverage);

// Fills every pixel of box whose centre lies inside the shape, anti-aliased
// over one pixel. sdf(px, py) takes the pixel centre in 1/SUB pixels and gives
// the signed distance to the outline in 1/SUB pixels, negative inside;
// paint(x, y) gives the colour of pixel (x, y).
template <class Paint, class Sdf> void fill_shape(Picture& pic, Box box, Paint paint, Sdf sdf) {
    const int x0 = std::max(box.x0, 0), x1 = std::min(box.x1, pic.width);
    const int y0 = std::max(box.y0, 0), y1 = std::min(box.y1, pic.height);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::int64_t d = sdf(x * SUB + SUB / 2, y * SUB + SUB / 2);
            const auto cov = static_cast<int>(std::clamp<std::int64_t>(SUB / 2 - d, 0, SUB));
            if (cov > 0) blend(pixel(pic, x, y), paint(x, y), cov * 256 / SUB);
        }
    }
}

// Signed distance helpers, all in 1/SUB pixels.
std::int64_t circle_distance(int px, int py, int cx, int cy, int radius);
std::int64_t rounded_box_distance(int px, int py, Box box, int radius);

// Ready-made shapes; positions and sizes in whole pixels.
void vertical_gradient(Picture& pic, std::span<const GradientStop> stops);
void disc(Picture& pic, int cx, int cy, int radius, Rgba colour);
void ring(Picture& pic, int cx, int cy, int radius, int thickness, Rgba colour);
void rounded_box(Picture& pic, Box box, int radius, Rgba colour);
void rounded_frame(Picture& pic, Box box, int radius, int thickness, Rgba colour);
void sparkle(Picture& pic, int cx, int cy, int arm, Rgba colour);
// Diagonal stripes (rising to the right) clipped to box.
void stripes(Picture& pic, Box box, int period, int width, Rgba colour);
// Everything below the sine curve y = base + amplitude * sin(x / wavelength + phase),
// phase in 4096ths of a turn.
void wave(Picture& pic, int base, int amplitude, int wavelength, int phase, Rgba colour);

} // namespace kessra::payload_gen
