#include "payload_gen/raster.hpp"

#include <cstdlib>

namespace kessra::payload_gen {

std::int64_t isqrt(std::int64_t v) {
    if (v <= 0) return 0;
    auto rest = static_cast<std::uint64_t>(v);
    std::uint64_t root = 0;
    std::uint64_t bit = std::uint64_t{1} << 62;
    while (bit > rest) bit >>= 2;
    for (; bit != 0; bit >>= 2) {
        if (rest >= root + bit) {
            rest -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
    }
    return static_cast<std::int64_t>(root);
}

int isin(int angle) {
    // Bhaskara's rational approximation over each half turn; error < 0.2%.
    int a = angle % 4096;
    if (a < 0) a += 4096;
    const int sign = a < 2048 ? 1 : -1;
    const std::int64_t h = a % 2048;
    const std::int64_t p = h * (2048 - h);
    return sign * static_cast<int>(4 * p * 4096 / (5 * 2048 * 2048 / 4 - p));
}

Rgba mix(Rgba from, Rgba to, int t) {
    auto lerp = [t](std::uint8_t x, std::uint8_t y) {
        return static_cast<std::uint8_t>((x * (256 - t) + y * t + 128) >> 8);
    };
    return {lerp(from.r, to.r), lerp(from.g, to.g), lerp(from.b, to.b), lerp(from.a, to.a)};
}

std::uint32_t next_random(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

void blend(Rgba& dst, Rgba src, int coverage) {
    const int sa = src.a * coverage / 256;
    if (sa <= 0) return;
    const int da = dst.a * (255 - sa) / 255;
    const int out_a = sa + da;
    auto channel = [&](std::uint8_t s, std::uint8_t d) {
        return static_cast<std::uint8_t>((s * sa + d * da + out_a / 2) / out_a);
    };
    dst = {channel(src.r, dst.r), channel(src.g, dst.g), channel(src.b, dst.b), static_cast<std::uint8_t>(out_a)};
}

std::int64_t circle_distance(int px, int py, int cx, int cy, int radius) {
    const std::int64_t dx = px - cx * SUB;
    const std::int64_t dy = py - cy * SUB;
    return isqrt(dx * dx + dy * dy) - radius * SUB;
}

std::int64_t rounded_box_distance(int px, int py, Box box, int radius) {
    const std::int64_t r = radius * SUB;
    const std::int64_t qx = std::abs(2 * px - (box.x0 + box.x1) * SUB) / 2 - ((box.x1 - box.x0) * SUB / 2 - r);
    const std::int64_t qy = std::abs(2 * py - (box.y0 + box.y1) * SUB) / 2 - ((box.y1 - box.y0) * SUB / 2 - r);
    const std::int64_t ox = std::max<std::int64_t>(qx, 0);
    const std::int64_t oy = std::max<std::int64_t>(qy, 0);
    return isqrt(ox * ox + oy * oy) + std::min<std::int64_t>(std::max(qx, qy), 0) - r;
}

namespace {
auto solid(Rgba colour) {
    return [colour](int, int) { return colour; };
}
} // namespace

void vertical_gradient(Picture& pic, std::span<const GradientStop> stops) {
    for (int y = 0; y < pic.height; ++y) {
        const int pos = pic.height > 1 ? y * 1024 / (pic.height - 1) : 0;
        std::size_t i = 0;
        while (i + 2 < stops.size() && pos > stops[i + 1].at) ++i;
        const GradientStop& lo = stops[i];
        const GradientStop& hi = stops[std::min(i + 1, stops.size() - 1)];
        const int span = std::max(hi.at - lo.at, 1);
        const Rgba colour = mix(lo.colour, hi.colour, std::clamp((pos - lo.at) * 256 / span, 0, 256));
        for (int x = 0; x < pic.width; ++x) pixel(pic, x, y) = colour;
    }
}

void disc(Picture& pic, int cx, int cy, int radius, Rgba colour) {
    fill_shape(pic, {cx - radius - 1, cy - radius - 1, cx + radius + 1, cy + radius + 1}, solid(colour),
               [&](int px, int py) { return circle_distance(px, py, cx, cy, radius); });
}

void ring(Picture& pic, int cx, int cy, int radius, int thickness, Rgba colour) {
    const int reach = radius + thickness + 1;
    fill_shape(pic, {cx - reach, cy - reach, cx + reach, cy + reach}, solid(colour),
               [&](int px, int py) { return std::abs(circle_distance(px, py, cx, cy, radius)) - thickness * SUB / 2; });
}

void rounded_box(Picture& pic, Box box, int radius, Rgba colour) {
    fill_shape(pic, {box.x0 - 1, box.y0 - 1, box.x1 + 1, box.y1 + 1}, solid(colour),
               [&](int px, int py) { return rounded_box_distance(px, py, box, radius); });
}

void rounded_frame(Picture& pic, Box box, int radius, int thickness, Rgba colour) {
    const int half = thickness * SUB / 2;
    fill_shape(pic, {box.x0 - 1, box.y0 - 1, box.x1 + 1, box.y1 + 1}, solid(colour),
               [&](int px, int py) { return std::abs(rounded_box_distance(px, py, box, radius) + half) - half; });
}

void sparkle(Picture& pic, int cx, int cy, int arm, Rgba colour) {
    // Two thin diamonds crossing, with a small round core.
    const std::int64_t a = arm * SUB;
    const std::int64_t b = std::max<std::int64_t>(a / 6, SUB * 3 / 4);
    const std::int64_t norm = isqrt(a * a + b * b);
    fill_shape(pic, {cx - arm - 1, cy - arm - 1, cx + arm + 1, cy + arm + 1}, solid(colour), [&](int px, int py) {
        const std::int64_t dx = std::abs(px - cx * SUB);
        const std::int64_t dy = std::abs(py - cy * SUB);
        const std::int64_t across = (dx * b + dy * a - a * b) / norm;
        const std::int64_t down = (dy * b + dx * a - a * b) / norm;
        const std::int64_t core = isqrt(dx * dx + dy * dy) - a / 4;
        return std::min({across, down, core});
    });
}

void stripes(Picture& pic, Box box, int period, int width, Rgba colour) {
    const int p = period * SUB;
    const int w = width * SUB;
    fill_shape(pic, box, solid(colour), [&](int px, int py) {
        const int m = (px + py) % p;
        const std::int64_t along = std::min(std::abs(m - w / 2) - w / 2, p - m);
        return std::max(along * 181 / 256, rounded_box_distance(px, py, box, 0));
    });
}

void wave(Picture& pic, int base, int amplitude, int wavelength, int phase, Rgba colour) {
    fill_shape(pic, {0, base - amplitude - 1, pic.width, pic.height}, solid(colour), [&](int px, int py) {
        const int angle = static_cast<int>(static_cast<std::int64_t>(px) * 4096 / (wavelength * SUB)) + phase;
        const std::int64_t curve = base * SUB + static_cast<std::int64_t>(amplitude) * SUB * isin(angle) / 4096;
        return curve - py;
    });
}

} // namespace kessra::payload_gen
