// The texture encoders and the artwork: a decoder written here from the
// formats' definitions reads back what the generator encoded and compares it
// with the drawn pictures. The library's own decoders and the PNG previews
// are checked against it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>

#include "payload_gen/scenes.hpp"
#include "payloads/payloads.hpp"
#include "texture/picture_file.hpp"
#include "texture/png_file.hpp"
#include "texture/tiled_formats.hpp"

namespace {

using kessra::texture::Bytes;
using kessra::texture::Picture;
using kessra::texture::Rgba;
namespace gen = kessra::payload_gen;
namespace tex = kessra::texture;

int be16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }
std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Channel widening by bit replication, as the texture unit does it.
int widen(int v, int bits) {
    switch (bits) {
    case 3: return v << 5 | v << 2 | v >> 1;
    case 4: return v * 17;
    case 5: return v << 3 | v >> 2;
    default: return v << 2 | v >> 4; // 6
    }
}

Rgba rgb565(int v) {
    return {static_cast<std::uint8_t>(widen(v >> 11, 5)), static_cast<std::uint8_t>(widen(v >> 5 & 63, 6)),
            static_cast<std::uint8_t>(widen(v & 31, 5)), 255};
}

Rgba rgb5a3(int v) {
    if (v & 0x8000)
        return {static_cast<std::uint8_t>(widen(v >> 10 & 31, 5)), static_cast<std::uint8_t>(widen(v >> 5 & 31, 5)),
                static_cast<std::uint8_t>(widen(v & 31, 5)), 255};
    return {static_cast<std::uint8_t>(widen(v >> 8 & 15, 4)), static_cast<std::uint8_t>(widen(v >> 4 & 15, 4)),
            static_cast<std::uint8_t>(widen(v & 15, 4)), static_cast<std::uint8_t>(widen(v >> 12 & 7, 3))};
}

Picture blank(int w, int h) { return {w, h, std::vector<Rgba>(static_cast<std::size_t>(w * h))}; }
Rgba& at(Picture& p, int x, int y) { return p.pixels[static_cast<std::size_t>(y * p.width + x)]; }
const Rgba& at(const Picture& p, int x, int y) { return p.pixels[static_cast<std::size_t>(y * p.width + x)]; }

// 4 x 4 tiles of big-endian 16-bit pixels.
Picture decode_16bit(const std::uint8_t* d, int w, int h, Rgba (*convert)(int)) {
    Picture pic = blank(w, h);
    for (int ty = 0; ty < h; ty += 4)
        for (int tx = 0; tx < w; tx += 4)
            for (int i = 0; i < 16; ++i, d += 2) at(pic, tx + i % 4, ty + i / 4) = convert(be16(d));
    return pic;
}

Picture decode_cmpr(const std::uint8_t* d, int w, int h) {
    Picture pic = blank(w, h);
    for (int ty = 0; ty < h; ty += 8)
        for (int tx = 0; tx < w; tx += 8)
            for (int sub = 0; sub < 4; ++sub, d += 8) {
                const int c0 = be16(d), c1 = be16(d + 2);
                const Rgba a = rgb565(c0), b = rgb565(c1);
                auto part = [&](int wa, int wb, int div) {
                    return Rgba{static_cast<std::uint8_t>((wa * a.r + wb * b.r) / div),
                                static_cast<std::uint8_t>((wa * a.g + wb * b.g) / div),
                                static_cast<std::uint8_t>((wa * a.b + wb * b.b) / div), 255};
                };
                const Rgba palette[4] = {a, b, c0 > c1 ? part(2, 1, 3) : part(1, 1, 2),
                                         c0 > c1 ? part(1, 2, 3) : Rgba{0, 0, 0, 0}};
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x)
                        at(pic, tx + (sub & 1) * 4 + x, ty + (sub >> 1) * 4 + y) = palette[d[4 + y] >> (6 - 2 * x) & 3];
            }
    return pic;
}

// True when no other level of a bits-wide channel lies closer to source.
bool is_nearest(int decoded, int source, int bits) {
    const int level = decoded >> (8 - bits);
    for (int other : {level - 1, level + 1})
        if (other >= 0 && other < (1 << bits) && std::abs(widen(other, bits) - source) < std::abs(decoded - source))
            return false;
    return true;
}

void expect_rgb565_exact(const Picture& source, const Picture& decoded) {
    ASSERT_EQ(source.pixels.size(), decoded.pixels.size());
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
        const Rgba s = source.pixels[i], d = decoded.pixels[i];
        ASSERT_TRUE(is_nearest(d.r, s.r, 5) && is_nearest(d.g, s.g, 6) && is_nearest(d.b, s.b, 5))
            << "pixel " << i % static_cast<std::size_t>(source.width) << ","
            << i / static_cast<std::size_t>(source.width);
    }
}

int square_error(Rgba a, Rgba b) {
    return (a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) + (a.b - b.b) * (a.b - b.b);
}

struct BlockErrors {
    double mean_abs;  // per channel, whole picture
    double worst_rms; // per channel, worst 4 x 4 block
};

BlockErrors block_errors(const Picture& a, const Picture& b) {
    double total = 0, worst = 0;
    for (int by = 0; by < a.height; by += 4)
        for (int bx = 0; bx < a.width; bx += 4) {
            double block = 0;
            for (int i = 0; i < 16; ++i) {
                const Rgba p = at(a, bx + i % 4, by + i / 4), q = at(b, bx + i % 4, by + i / 4);
                block += square_error(p, q);
                total += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            }
            worst = std::max(worst, std::sqrt(block / 48));
        }
    return {total / (3.0 * a.width * a.height), worst};
}

Picture make(int w, int h, const std::function<Rgba(int, int)>& f) {
    Picture pic = blank(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) at(pic, x, y) = f(x, y);
    return pic;
}

Rgba level_colour(int r5, int g6, int b5) {
    return {static_cast<std::uint8_t>(widen(r5 & 31, 5)), static_cast<std::uint8_t>(widen(g6 & 63, 6)),
            static_cast<std::uint8_t>(widen(b5 & 31, 5)), 255};
}

TEST(TextureCodec, Rgb565RoundTripIsExactToTheQuantisation) {
    const Picture cases[] = {
        // Every colour representable: only an exact round trip passes.
        make(32, 64, [](int x, int y) { return level_colour(x, y, x ^ y); }),
        make(8, 8,
             [](int x, int y) {
                 return Rgba{static_cast<std::uint8_t>(x * 33), static_cast<std::uint8_t>(y * 35), 77, 255};
             }),
        gen::draw_skin(2)};
    for (const Picture& pic : cases) {
        const Bytes enc = tex::encode_rgb565(pic);
        ASSERT_EQ(enc.size(), pic.pixels.size() * 2);
        expect_rgb565_exact(pic, decode_16bit(enc.data(), pic.width, pic.height, rgb565));
    }
}

TEST(TextureCodec, Rgb5a3RoundTripWithinItsPrecision) {
    const Picture ramp = make(32, 16, [](int x, int y) {
        return Rgba{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(255 - y * 16),
                    static_cast<std::uint8_t>(x * y), static_cast<std::uint8_t>(std::min(255, (x + 32 * y) / 2))};
    });
    for (const Picture& pic : {ramp, gen::draw_banner()}) {
        const Bytes enc = tex::encode_rgb5a3(pic);
        ASSERT_EQ(enc.size(), pic.pixels.size() * 2);
        const Picture dec = decode_16bit(enc.data(), pic.width, pic.height, rgb5a3);
        for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
            const Rgba s = pic.pixels[i], d = dec.pixels[i];
            SCOPED_TRACE(i);
            if (d.a == 255) { // opaque: RGB555
                ASSERT_GE(s.a, 237);
                ASSERT_TRUE(is_nearest(d.r, s.r, 5) && is_nearest(d.g, s.g, 5) && is_nearest(d.b, s.b, 5));
            } else { // 3-bit alpha, RGB444
                ASSERT_LE(std::abs(d.a - s.a), 18);
                if (s.a > 0) {
                    ASSERT_LE(std::abs(d.r - s.r) + std::abs(d.g - s.g) + std::abs(d.b - s.b), 3 * 8);
                }
            }
        }
    }
}

TEST(TextureCodec, CmprRoundTripWithinBounds) {
    struct Case {
        const char* name;
        Picture pic;
        double mean_abs, worst_rms;
    };
    const Case cases[] = {
        {"one colour per block",
         make(16, 16, [](int x, int y) { return level_colour(x / 4 * 7, y / 4 * 13, x / 4 + y / 4); }), 0, 0},
        {"two colours, pixel pattern",
         make(16, 8,
              [](int x, int y) { return (x * 3 + y * 5) % 7 < 3 ? level_colour(28, 10, 3) : level_colour(2, 60, 25); }),
         0, 0},
        {"end colours against the principal axis",
         make(8, 8,
              [](int x, int) {
                  return Rgba{static_cast<std::uint8_t>(200 - x * 200 / 7), 0, static_cast<std::uint8_t>(x * 255 / 7),
                              255};
              }),
         3, 5},
        {"smooth gradient",
         make(64, 64,
              [](int x, int y) {
                  return Rgba{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                              static_cast<std::uint8_t>(128 + x - y), 255};
              }),
         3, 5},
        {"night sky skin", gen::draw_skin(0), 2.2, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes enc = tex::encode_cmpr(c.pic);
        ASSERT_EQ(enc.size(), c.pic.pixels.size() / 2);
        const Picture dec = decode_cmpr(enc.data(), c.pic.width, c.pic.height);
        for (const Rgba& p : dec.pixels) ASSERT_EQ(p.a, 255) << "transparent entry used";
        const BlockErrors e = block_errors(c.pic, dec);
        EXPECT_LE(e.mean_abs, c.mean_abs);
        EXPECT_LE(e.worst_rms, c.worst_rms);
    }
}

Picture decode_skin(kessra::Blob t) {
    const int h = be16(&t[0x14]), w = be16(&t[0x16]);
    const std::uint8_t* data = &t[be32(&t[0x1C])];
    return be32(&t[0x18]) == 14 ? decode_cmpr(data, w, h) : decode_16bit(data, w, h, rgb565);
}

TEST(TextureCodec, EmbeddedTexturesShowTheDrawnPictures) {
    const kessra::PayloadSet& p = kessra::builtin_payloads();
    const Picture first = decode_skin(p.skin_blob[0]);
    const BlockErrors e = block_errors(gen::draw_skin(0), first);
    EXPECT_LE(e.mean_abs, 2.2);
    EXPECT_LE(e.worst_rms, 20);
    for (int i = 1; i < 4; ++i)
        expect_rgb565_exact(gen::draw_skin(i), decode_skin(p.skin_blob[static_cast<std::size_t>(i)]));
    const Picture banner = decode_16bit(&p.banner_blob[0x20], 96, 32, rgb5a3);
    const Picture drawn = gen::draw_banner();
    for (std::size_t i = 0; i < banner.pixels.size(); ++i)
        ASSERT_LE(std::abs(banner.pixels[i].a - drawn.pixels[i].a), 18);
}

double luminance_spread(const Picture& pic) {
    double sum = 0, sum2 = 0;
    for (const Rgba& c : pic.pixels) {
        const double l = 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
        sum += l;
        sum2 += l * l;
    }
    const double n = static_cast<double>(pic.pixels.size());
    return std::sqrt(sum2 / n - (sum / n) * (sum / n));
}

// Mean colour difference between horizontally adjacent pixels: small for
// drawn pictures, large for noise.
double neighbour_difference(const Picture& pic) {
    double sum = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 1; x < pic.width; ++x) sum += std::sqrt(square_error(at(pic, x, y), at(pic, x - 1, y)));
    return sum / (pic.height * (pic.width - 1));
}

TEST(TextureCodec, SkinsAreRealDistinctPictures) {
    std::vector<Picture> skins;
    for (kessra::Blob t : kessra::builtin_payloads().skin_blob) skins.push_back(decode_skin(t));
    for (const Picture& s : skins) {
        std::set<std::uint32_t> colours;
        for (const Rgba& c : s.pixels) colours.insert(std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b);
        EXPECT_GT(colours.size(), 150u);
        EXPECT_GT(luminance_spread(s), 12.0);
        EXPECT_LT(neighbour_difference(s), 6.0) << "noise rather than a picture";
    }
    for (std::size_t i = 0; i < skins.size(); ++i)
        for (std::size_t j = i + 1; j < skins.size(); ++j) {
            double diff = 0;
            for (int y = 0; y < 448; ++y)
                for (int x = 0; x < 608; ++x) diff += std::sqrt(square_error(at(skins[i], x, y), at(skins[j], x, y)));
            EXPECT_GT(diff / (608 * 448), 40.0) << "skins " << i << " and " << j << " look alike";
        }
}

TEST(TextureCodec, LibraryDecodersAgreeWithTheIndependentOnes) {
    const Picture photo = make(64, 32, [](int x, int y) {
        return Rgba{static_cast<std::uint8_t>(x * 4 ^ y * 3), static_cast<std::uint8_t>(y * 8 + x),
                    static_cast<std::uint8_t>((x * y) & 255), static_cast<std::uint8_t>(x < 8 ? x * 30 : 255)};
    });
    const Bytes c = tex::encode_cmpr(photo), r = tex::encode_rgb565(photo), a = tex::encode_rgb5a3(photo);
    EXPECT_EQ(tex::decode_cmpr(c, 64, 32).pixels, decode_cmpr(c.data(), 64, 32).pixels);
    EXPECT_EQ(tex::decode_rgb565(r, 64, 32).pixels, decode_16bit(r.data(), 64, 32, rgb565).pixels);
    EXPECT_EQ(tex::decode_rgb5a3(a, 64, 32).pixels, decode_16bit(a.data(), 64, 32, rgb5a3).pixels);
    // A texture whose data is short, or whose size is not whole tiles, gives nothing.
    EXPECT_EQ(tex::decode_cmpr(std::span(c).first(c.size() - 1), 64, 32).width, 0);
    EXPECT_EQ(tex::decode_rgb565(std::span(r).first(r.size() - 1), 64, 32).width, 0);
    EXPECT_EQ(tex::decode_rgb5a3(a, 62, 32).width, 0);
    EXPECT_EQ(tex::decode_cmpr(c, 64, 0).width, 0);
}

TEST(TextureCodec, PngPreviewsDecodeToThePictures) {
    for (bool alpha : {false, true}) {
        const Picture pic = alpha ? gen::draw_banner() : gen::draw_skin(1);
        const Bytes png = tex::encode_png(pic, alpha);
        ASSERT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
        EXPECT_EQ(png[25], alpha ? 6 : 2) << "colour type";
        const auto read = tex::decode_picture(png, "preview.png");
        ASSERT_TRUE(read) << read.status.message;
        ASSERT_EQ(read.value.width, pic.width);
        ASSERT_EQ(read.value.height, pic.height);
        for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
            Rgba want = pic.pixels[i];
            if (!alpha) want.a = 255;
            ASSERT_EQ(read.value.pixels[i], want) << i;
        }
    }
}

} // namespace
