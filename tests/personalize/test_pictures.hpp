// Pictures for the tests: a made-up photograph (sky with clouds, sun,
// fractal hills with foliage, houses with windows, sensor grain) and the error measure the quality bounds use.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.hpp"
#include "texture/picture.hpp"
#include "texture/png_file.hpp"

namespace kessra::testing {

// Smooth value noise of several octaves, 1/f amplitudes, in about -1..1.
class FractalNoise {
public:
    explicit FractalNoise(std::uint32_t seed) : state_(seed | 1) {
        for (float& v : lattice_) v = static_cast<float>(next() % 2001) / 1000.0f - 1.0f;
    }
    float at(float x, float y, int octaves) const {
        float sum = 0, amplitude = 0.5f;
        for (int o = 0; o < octaves; ++o, x *= 2.03f, y *= 2.03f, amplitude *= 0.5f) sum += amplitude * smooth(x, y);
        return sum;
    }

private:
    static constexpr int SIZE = 256;
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float node(int x, int y) const {
        return lattice_[static_cast<std::size_t>((x & (SIZE - 1)) + (y & (SIZE - 1)) * SIZE)];
    }
    float smooth(float x, float y) const {
        const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        const float top = node(ix, iy) + (node(ix + 1, iy) - node(ix, iy)) * fx;
        const float bottom = node(ix, iy + 1) + (node(ix + 1, iy + 1) - node(ix, iy + 1)) * fx;
        return top + (bottom - top) * fy;
    }
    std::uint32_t state_;
    std::vector<float> lattice_ = std::vector<float>(SIZE * SIZE);
};

inline std::uint8_t channel(float v) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0f, std::fmax(0.0f, v))));
}

inline texture::Picture make_photograph(int width, int height, std::uint32_t seed = 7) {
    const FractalNoise noise(seed);
    texture::Picture pic = texture::make_picture(width, height);
    std::uint32_t grain = seed * 2654435761u | 1;
    const float scale = 8.0f / static_cast<float>(width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float u = static_cast<float>(x) * scale, v = static_cast<float>(y) * scale;
            const float fy = static_cast<float>(y) / static_cast<float>(height);
            const float ridge = 0.55f + 0.18f * noise.at(u * 0.5f, 3.7f, 5);
            float r, g, b;
            if (fy < ridge) { // sky with clouds and a sun
                const float cloud = std::fmax(0.0f, noise.at(u, v * 2.0f + 11.0f, 6)) * 180.0f;
                r = 70 + 90 * fy + cloud;
                g = 110 + 80 * fy + cloud;
                b = 190 + 40 * fy + cloud * 0.6f;
                const float dx = static_cast<float>(x) - 0.7f * static_cast<float>(width);
                const float dy = static_cast<float>(y) - 0.2f * static_cast<float>(height);
                if (dx * dx + dy * dy < 0.0025f * static_cast<float>(width * width)) r = 255, g = 236, b = 170;
            } else { // hills: foliage with fine, strong texture, and a few houses
                const float t = noise.at(u * 3.0f, v * 3.0f + 40.0f, 7);
                const float leaves = noise.at(u * 40.0f, v * 40.0f, 3); // detail a few pixels across
                const float shade = 1.0f - 0.6f * (fy - ridge);
                r = (70 + 90 * t + 90 * leaves) * shade;
                g = (110 + 70 * t + 120 * leaves) * shade;
                b = (40 + 50 * t + 40 * leaves) * shade;
                const int house = x / (width / 7);
                const float hx = static_cast<float>(x % (width / 7)) / static_cast<float>(width / 7);
                if (house % 2 == 1 && hx > 0.2f && hx < 0.8f && fy > ridge + 0.08f && fy < ridge + 0.25f) {
                    const bool window = static_cast<int>(hx * 20) % 3 == 1 && static_cast<int>(fy * 80) % 3 == 1;
                    r = window ? 250 : 200 - 40 * static_cast<float>(house % 3);
                    g = window ? 230 : 190 - 30 * static_cast<float>(house % 4);
                    b = window ? 120 : 170;
                }
            }
            grain ^= grain << 13, grain ^= grain >> 17, grain ^= grain << 5;
            const float n = static_cast<float>(grain % 9) - 4.0f; // sensor grain
            texture::pixel(pic, x, y) = {channel(r + n), channel(g + n), channel(b + n), 255};
        }
    }
    return pic;
}

// Peak signal-to-noise ratio over the colour channels, in dB.
inline double psnr(const texture::Picture& a, const texture::Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const texture::Rgba p = a.pixels[i], q = b.pixels[i];
        sum += (p.r - q.r) * (p.r - q.r) + (p.g - q.g) * (p.g - q.g) + (p.b - q.b) * (p.b - q.b);
    }
    const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// Writes `pic` as a PNG file (with its alpha channel when `alpha`).
inline void write_png_file(const std::string& path, const texture::Picture& pic, bool alpha) {
    write_bytes_file(path, texture::encode_png(pic, alpha));
}

} // namespace kessra::testing
