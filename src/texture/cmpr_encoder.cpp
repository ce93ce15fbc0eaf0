// CMPR block compression: each 4 x 4 block is two RGB565 end colours and a
// 2-bit index per pixel into the palette c0, c1, (2c0+c1)/3, (c0+2c1)/3.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "texture/tiled_formats.hpp"

namespace kessra::texture {

namespace {

using Colour = std::array<int, 3>;
using Block = std::array<Colour, 16>;

struct Fit {
    std::uint16_t c0 = 0, c1 = 0;
    std::array<std::uint8_t, 16> index{};
    std::int64_t error = -1;
};

Colour widen565(std::uint16_t c) {
    const int r = c >> 11, g = c >> 5 & 63, b = c & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

int distance2(const Colour& a, const Colour& b) {
    int sum = 0;
    for (std::size_t i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

// Quantises both end colours, orders them for the four-colour mode and gives
// every pixel its nearest palette entry. Equal end colours leave only entry 0.
Fit fit_with(const Colour& a, const Colour& b, const Block& block) {
    auto pack = [](const Colour& c) {
        return to_rgb565(
            {static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]), static_cast<std::uint8_t>(c[2]), 255});
    };
    Fit fit;
    fit.c0 = pack(a);
    fit.c1 = pack(b);
    if (fit.c0 < fit.c1) std::swap(fit.c0, fit.c1);
    const Colour e0 = widen565(fit.c0), e1 = widen565(fit.c1);
    std::array<Colour, 4> palette{e0, e1, e0, e1};
    for (std::size_t i = 0; i < 3; ++i) {
        palette[2][i] = (2 * e0[i] + e1[i]) / 3;
        palette[3][i] = (e0[i] + 2 * e1[i]) / 3;
    }
    const std::size_t entries = fit.c0 == fit.c1 ? 1 : 4;
    fit.error = 0;
    for (std::size_t p = 0; p < 16; ++p) {
        std::size_t best = 0;
        for (std::size_t k = 1; k < entries; ++k)
            if (distance2(block[p], palette[k]) < distance2(block[p], palette[best])) best = k;
        fit.index[p] = static_cast<std::uint8_t>(best);
        fit.error += distance2(block[p], palette[best]);
    }
    return fit;
}

// The pixels lying furthest apart along the block's principal colour axis,
// found by power iteration on the covariance matrix.
std::array<Colour, 2> principal_extremes(const Block& block) {
    std::array<std::int64_t, 3> sum{};
    for (const Colour& c : block)
        for (std::size_t i = 0; i < 3; ++i) sum[i] += c[i];
    std::array<std::array<std::int64_t, 3>, 16> d{};
    std::array<std::array<std::int64_t, 3>, 3> cov{};
    for (std::size_t p = 0; p < 16; ++p)
        for (std::size_t i = 0; i < 3; ++i) d[p][i] = 16 * block[p][i] - sum[i];
    for (const auto& v : d)
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j) cov[i][j] += v[i] * v[j] / 16;
    std::size_t widest = 0;
    for (std::size_t i = 1; i < 3; ++i)
        if (cov[i][i] > cov[widest][widest]) widest = i;
    std::array<std::int64_t, 3> axis{cov[0][widest], cov[1][widest], cov[2][widest]};
    for (int round = 0; round < 8; ++round) {
        std::array<std::int64_t, 3> next{};
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j) next[i] += cov[i][j] * axis[j];
        const std::int64_t top = std::max({std::abs(next[0]), std::abs(next[1]), std::abs(next[2])});
        if (top == 0) break;
        for (std::size_t i = 0; i < 3; ++i) axis[i] = next[i] * 4096 / top;
    }
    std::size_t lo = 0, hi = 0;
    std::int64_t lo_t = 0, hi_t = 0;
    for (std::size_t p = 0; p < 16; ++p) {
        const std::int64_t t = d[p][0] * axis[0] + d[p][1] * axis[1] + d[p][2] * axis[2];
        if (p == 0 || t < lo_t) lo = p, lo_t = t;
        if (p == 0 || t > hi_t) hi = p, hi_t = t;
    }
    return {block[hi], block[lo]};
}

// Least-squares end colours for the index choice of fit: every pixel is
// modelled as w * c0 + (1 - w) * c1 with w its palette weight.
bool refine(const Fit& fit, const Block& block, Colour& a, Colour& b) {
    static constexpr std::array<std::int64_t, 4> weight3{3, 0, 2, 1}; // 3 * w per index
    std::int64_t aa = 0, ab = 0, bb = 0;
    std::array<std::int64_t, 3> xa{}, xb{};
    for (std::size_t p = 0; p < 16; ++p) {
        const std::int64_t w = weight3[fit.index[p]];
        aa += w * w;
        ab += w * (3 - w);
        bb += (3 - w) * (3 - w);
        for (std::size_t i = 0; i < 3; ++i) {
            xa[i] += w * block[p][i];
            xb[i] += (3 - w) * block[p][i];
        }
    }
    const std::int64_t det = aa * bb - ab * ab;
    if (det == 0) return false;
    auto solve = [det](std::int64_t num) {
        const std::int64_t v = (2 * num + (num >= 0 ? det : -det)) / (2 * det);
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, 255));
    };
    for (std::size_t i = 0; i < 3; ++i) {
        a[i] = solve(3 * (bb * xa[i] - ab * xb[i]));
        b[i] = solve(3 * (aa * xb[i] - ab * xa[i]));
    }
    return true;
}

void encode_block(const Block& block, Bytes& out) {
    const auto [hi, lo] = principal_extremes(block);
    Fit best = fit_with(hi, lo, block);
    Fit current = best;
    for (int round = 0; round < 3 && best.error > 0; ++round) {
        Colour a{}, b{};
        if (!refine(current, block, a, b)) break;
        current = fit_with(a, b, block);
        if (current.error >= best.error) break;
        best = current;
    }
    for (std::uint16_t c : {best.c0, best.c1}) {
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    for (std::size_t row = 0; row < 4; ++row) {
        const auto* i = &best.index[row * 4];
        out.push_back(static_cast<std::uint8_t>(i[0] << 6 | i[1] << 4 | i[2] << 2 | i[3]));
    }
}

} // namespace

Bytes encode_cmpr(const Picture& pic) {
    Bytes out;
    out.reserve(cmpr_size(pic.width, pic.height));
    for (int ty = 0; ty < pic.height; ty += 8) {
        for (int tx = 0; tx < pic.width; tx += 8) {
            for (int sub = 0; sub < 4; ++sub) {
                const int bx = tx + (sub & 1) * 4, by = ty + (sub >> 1) * 4;
                Block block{};
                for (int p = 0; p < 16; ++p) {
                    const Rgba& c = pixel(pic, bx + p % 4, by + p / 4);
                    block[static_cast<std::size_t>(p)] = {c.r, c.g, c.b};
                }
                encode_block(block, out);
            }
        }
    }
    return out;
}

} // namespace kessra::texture
