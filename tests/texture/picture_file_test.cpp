// Reading picture files: every accepted format, and untrusted files that
// are refused with one line before anything is decoded.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include "texture/picture_file.hpp"
#include "texture/png_file.hpp"

namespace kessra::texture {
namespace {

void append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

Picture checkerboard(int width, int height) {
    Picture pic = make_picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(pic, x, y) = (x / 4 + y / 4) % 2 ? Rgba{250, 200, 10, 255} : Rgba{10, 40, 200, 255};
    return pic;
}

Bytes raw_rgba(const Picture& pic) {
    Bytes raw;
    for (const Rgba& c : pic.pixels) raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
    return raw;
}

void put_be32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A PNG signature and header chunk claiming the given size, then junk.
Bytes png_header_claiming(std::uint32_t width, std::uint32_t height) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_be32(png, 13);
    png.insert(png.end(), {'I', 'H', 'D', 'R'});
    put_be32(png, width);
    put_be32(png, height);
    png.insert(png.end(), {8, 6, 0, 0, 0});
    put_be32(png, 0); // checksum (not checked by readers)
    put_be32(png, 16);
    png.insert(png.end(), {'I', 'D', 'A', 'T'});
    png.insert(png.end(), 20, 0x55);
    return png;
}

// 2 x 1 GIF, two-colour palette: red, blue.
const Bytes SMALL_GIF{'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0, 255, 0, 0, 0, 0, 255,
                      ',', 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0, ';'};

TEST(PictureFile, ReadsEveryAcceptedFormat) {
    const Picture pic = checkerboard(24, 16);
    const Bytes raw = raw_rgba(pic);
    Bytes png = encode_png(pic, true), bmp, tga, jpeg;
    ASSERT_TRUE(stbi_write_bmp_to_func(append, &bmp, 24, 16, 4, raw.data()));
    ASSERT_TRUE(stbi_write_tga_to_func(append, &tga, 24, 16, 4, raw.data()));
    ASSERT_TRUE(stbi_write_jpg_to_func(append, &jpeg, 24, 16, 4, raw.data(), 95));
    const struct {
        const char* name;
        const Bytes& bytes;
        int tolerance; // lossy formats
    } cases[] = {{"png", png, 0}, {"bmp", bmp, 0}, {"tga", tga, 0}, {"jpeg", jpeg, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto read = decode_picture(c.bytes, c.name);
        ASSERT_TRUE(read) << read.status.message;
        ASSERT_EQ(read.value.width, 24);
        ASSERT_EQ(read.value.height, 16);
        for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
            const Rgba a = pic.pixels[i], b = read.value.pixels[i];
            ASSERT_LE(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b), c.tolerance) << i;
        }
    }
    const auto gif = decode_picture(SMALL_GIF, "small.gif");
    ASSERT_TRUE(gif) << gif.status.message;
    ASSERT_EQ(gif.value.width, 2);
    EXPECT_EQ(gif.value.pixels[0], (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(gif.value.pixels[1], (Rgba{0, 0, 255, 255}));
}

TEST(PictureFile, RefusesBrokenAndHostileFiles) {
    const Bytes good = encode_png(checkerboard(64, 64), false);
    const std::string text = "This is a text file, not a picture.\n";
    const struct {
        const char* name;
        Bytes bytes;
        const char* says;
    } cases[] = {
        {"truncated.png", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)), "damaged"},
        {"cut-in-header.png", Bytes(good.begin(), good.begin() + 20), "not a PNG"},
        {"notes.txt", Bytes(text.begin(), text.end()), "not a PNG"},
        {"empty.png", {}, "empty"},
        {"zero.png", png_header_claiming(0, 0), "no pixels"},
        {"huge.png", png_header_claiming(100000, 100000), "100000 x 100000"},
        {"wide.png", png_header_claiming(16385, 1), "at most 16384"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto read = decode_picture(c.bytes, c.name);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.status.message.rfind(std::string(c.name) + ": ", 0), 0u) << read.status.message;
        EXPECT_NE(read.status.message.find(c.says), std::string::npos) << read.status.message;
        EXPECT_EQ(read.status.message.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace kessra::texture
