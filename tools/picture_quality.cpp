// picture_quality: encoding quality and speed figures for the README.
//
//   picture_quality [PICTURE...]
//
// For each picture (by default a made-up photograph, the one the tests use)
// it fits the picture to each texture size, encodes it, decodes it back and
// prints the PSNR against the fitted picture: CMPR (this tool's encoder and a
// plain bounding-box encoder for comparison), RGB565 and RGB5A3, and the
// processor time each step takes.
#include <ctime>
#include <cstdio>
#include <string>

#include "personalize/test_pictures.hpp"
#include "platform/read_file.hpp"
#include "texture/cover_scale.hpp"
#include "texture/picture_file.hpp"
#include "texture/tiled_formats.hpp"

namespace {

using namespace kessra::texture;

// The simplest CMPR encoder: each block's end colours are the corners of its
// colour bounding box, every pixel takes the nearest of the four entries.
Bytes encode_cmpr_bounding_box(const Picture& pic) {
    Bytes out;
    for (int ty = 0; ty < pic.height; ty += 8)
        for (int tx = 0; tx < pic.width; tx += 8)
            for (int sub = 0; sub < 4; ++sub) {
                const int bx = tx + (sub & 1) * 4, by = ty + (sub >> 1) * 4;
                Rgba lo{255, 255, 255, 255}, hi{0, 0, 0, 255};
                for (int p = 0; p < 16; ++p) {
                    const Rgba c = pixel(pic, bx + p % 4, by + p / 4);
                    lo = {std::min(lo.r, c.r), std::min(lo.g, c.g), std::min(lo.b, c.b), 255};
                    hi = {std::max(hi.r, c.r), std::max(hi.g, c.g), std::max(hi.b, c.b), 255};
                }
                std::uint16_t c0 = to_rgb565(hi), c1 = to_rgb565(lo);
                if (c0 < c1) std::swap(c0, c1);
                Bytes block{static_cast<std::uint8_t>(c0 >> 8),
                            static_cast<std::uint8_t>(c0),
                            static_cast<std::uint8_t>(c1 >> 8),
                            static_cast<std::uint8_t>(c1),
                            0,
                            0,
                            0,
                            0};
                const Picture palette = decode_cmpr(
                    [&] {
                        Bytes t = block;
                        t.resize(32);
                        return t;
                    }(),
                    8, 8);
                Rgba entry[4];
                for (std::uint8_t k = 0; k < 4; ++k) {
                    block[4] = static_cast<std::uint8_t>(k << 6);
                    Bytes tile = block;
                    tile.resize(32);
                    entry[k] = decode_cmpr(tile, 8, 8).pixels[0];
                }
                (void)palette;
                const std::size_t entries = c0 == c1 ? 1 : 4;
                for (int row = 0; row < 4; ++row) {
                    std::uint8_t bits = 0;
                    for (int col = 0; col < 4; ++col) {
                        const Rgba c = pixel(pic, bx + col, by + row);
                        int best = 0, best_error = 1 << 30;
                        for (std::size_t k = 0; k < entries; ++k) {
                            const int e = (c.r - entry[k].r) * (c.r - entry[k].r) +
                                          (c.g - entry[k].g) * (c.g - entry[k].g) +
                                          (c.b - entry[k].b) * (c.b - entry[k].b);
                            if (e < best_error) best = static_cast<int>(k), best_error = e;
                        }
                        bits = static_cast<std::uint8_t>(bits | best << (6 - 2 * col));
                    }
                    block[static_cast<std::size_t>(4 + row)] = bits;
                }
                out.insert(out.end(), block.begin(), block.end());
            }
    return out;
}

// Processor time, not wall time: the figures stay meaningful on a busy machine.
template <class Step> auto timed(double& ms, Step step) {
    const std::clock_t start = std::clock();
    auto result = step();
    ms = 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    return result;
}

void report(const std::string& name, const Picture& source) {
    double t_fit = 0, t_cmpr = 0, t_box = 0, t_565 = 0, t_fit565 = 0, t_banner = 0;
    const Picture skin0 = timed(t_fit, [&] { return cover_scale(source, 640, 448); });
    const Bytes cmpr = timed(t_cmpr, [&] { return encode_cmpr(skin0); });
    const Bytes box = timed(t_box, [&] { return encode_cmpr_bounding_box(skin0); });
    const Picture skin1 = timed(t_fit565, [&] { return cover_scale(source, 608, 448); });
    const Bytes rgb565 = timed(t_565, [&] { return encode_rgb565(skin1); });
    const Picture banner = timed(t_banner, [&] { return cover_scale(source, 96, 32); });
    const Bytes rgb5a3 = encode_rgb5a3(banner);
    using kessra::testing::psnr;
    std::printf("%s (%d x %d)\n", name.c_str(), source.width, source.height);
    std::printf("  CMPR   640x448  %6.2f dB  encode %7.1f ms\n", psnr(skin0, decode_cmpr(cmpr, 640, 448)), t_cmpr);
    std::printf("  CMPR bounding box %4.2f dB  encode %7.1f ms\n", psnr(skin0, decode_cmpr(box, 640, 448)), t_box);
    std::printf("  RGB565 608x448  %6.2f dB  encode %7.1f ms\n", psnr(skin1, decode_rgb565(rgb565, 608, 448)), t_565);
    std::printf("  RGB5A3  96x32   %6.2f dB\n", psnr(banner, decode_rgb5a3(rgb5a3, 96, 32)));
    std::printf("  fitting: 640x448 %.1f ms, 608x448 %.1f ms, 96x32 %.1f ms\n", t_fit, t_fit565, t_banner);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        double ms = 0;
        const Picture photo = timed(ms, [] { return kessra::testing::make_photograph(1500, 1000); });
        report("made-up photograph", photo);
        return 0;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        double t_read = 0;
        auto picture = timed(t_read, [&] {
            auto bytes = kessra::read_whole_file(argv[i], std::uint64_t{1} << 30);
            return bytes ? decode_picture(bytes.value, argv[i]) : kessra::Result<Picture>{bytes.status, {}};
        });
        if (!picture) {
            std::fprintf(stderr, "picture_quality: %s\n", picture.status.message.c_str());
            status = 1;
            continue;
        }
        report(argv[i], picture.value);
        std::printf("  reading and decoding: %.1f ms\n", t_read);
    }
    return status;
}
