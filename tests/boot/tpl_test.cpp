// The boot program's TPL reader against the project's texture encoders, and
// its checks of damaged files.
#include <gtest/gtest.h>

#include <vector>

#include "payloads/payloads.hpp"
#include "texture/tiled_formats.hpp"

extern "C" {
#include "common/tpl.h"
}

namespace {

using kessra::texture::Bytes;
using kessra::texture::Picture;

void put_be32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A one-image TPL; the image table and header may be moved to test that the
// reader follows the pointers.
Bytes make_tpl(const Bytes& texels, int width, int height, std::uint32_t format, std::uint32_t table = 0x0C,
               std::uint32_t header = 0x14, std::uint32_t data = 0x40) {
    Bytes out(data + texels.size());
    put_be32(out, 0, BT_TPL_MAGIC);
    put_be32(out, 4, 1);
    put_be32(out, 8, table);
    put_be32(out, table, header);
    out[header] = static_cast<std::uint8_t>(height >> 8);
    out[header + 1] = static_cast<std::uint8_t>(height);
    out[header + 2] = static_cast<std::uint8_t>(width >> 8);
    out[header + 3] = static_cast<std::uint8_t>(width);
    put_be32(out, header + 4, format);
    put_be32(out, header + 8, data);
    std::copy(texels.begin(), texels.end(), out.begin() + data);
    return out;
}

Picture test_picture(int width, int height) {
    Picture pic = kessra::texture::make_picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            kessra::texture::pixel(pic, x, y) = {static_cast<std::uint8_t>(x * 255 / width),
                                                 static_cast<std::uint8_t>(y * 255 / height),
                                                 static_cast<std::uint8_t>((x * y) & 0xFF), 255};
    return pic;
}

std::uint32_t rgb(const kessra::texture::Rgba& c) { return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b; }

// Draws the TPL onto a canvas of the picture's size plus a margin, and
// checks it against the project's own decoder, pixel for pixel.
void expect_same_as_library(const Bytes& tpl, const Picture& decoded, int margin) {
    const int w = decoded.width + 2 * margin, h = decoded.height + 2 * margin;
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h), 0xABCDEF);
    bt_canvas c{px.data(), w, h};
    ASSERT_EQ(bt_tpl_draw_centred(tpl.data(), static_cast<std::uint32_t>(tpl.size()), &c), BT_TPL_OK);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inside = x >= margin && y >= margin && x < w - margin && y < h - margin;
            const std::uint32_t want = inside ? rgb(kessra::texture::pixel(decoded, x - margin, y - margin)) : 0xABCDEF;
            ASSERT_EQ(px[static_cast<std::size_t>(y * w + x)], want) << x << "," << y;
        }
}

TEST(BootTpl, Rgb565AndCmprDecodeAsTheLibraryDoes) {
    const Picture pic = test_picture(40, 24);
    const Bytes rgb565 = kessra::texture::encode_rgb565(pic);
    expect_same_as_library(make_tpl(rgb565, 40, 24, BT_TPL_RGB565), kessra::texture::decode_rgb565(rgb565, 40, 24), 4);
    const Bytes cmpr = kessra::texture::encode_cmpr(pic);
    expect_same_as_library(make_tpl(cmpr, 40, 24, BT_TPL_CMPR, 0x20, 0x30, 0x60),
                           kessra::texture::decode_cmpr(cmpr, 40, 24), 8);
}

TEST(BootTpl, TheBuiltInSkinsDecodeCentredOnTheScreen) {
    const auto& skins = kessra::builtin_payloads().skin_blob;
    for (std::size_t i = 0; i < skins.size(); ++i) {
        SCOPED_TRACE(i);
        bt_tpl_image img;
        ASSERT_EQ(bt_tpl_parse(skins[i].data(), static_cast<std::uint32_t>(skins[i].size()), &img), BT_TPL_OK);
        EXPECT_EQ(img.height, 448u);
        EXPECT_EQ(img.width, i == 0 ? 640u : 608u);
        std::vector<std::uint32_t> px(640 * 480, 0x123456);
        bt_canvas c{px.data(), 640, 480};
        ASSERT_EQ(bt_tpl_draw_centred(skins[i].data(), static_cast<std::uint32_t>(skins[i].size()), &c), BT_TPL_OK);
        const int left = (640 - static_cast<int>(img.width)) / 2;
        EXPECT_EQ(px[15 * 640 + 320], 0x123456u);  // band above
        EXPECT_NE(px[16 * 640 + 320], 0x123456u);  // first skin row
        EXPECT_EQ(px[464 * 640 + 320], 0x123456u); // band below
        const auto mid = [&](int x) { return px[static_cast<std::size_t>(240 * 640 + x)]; };
        if (left > 0) {
            EXPECT_EQ(mid(left - 1), 0x123456u);
        }
        EXPECT_NE(mid(left), 0x123456u);
    }
}

TEST(BootTpl, DamagedFilesAreRefused) {
    const Bytes good = make_tpl(kessra::texture::encode_rgb565(test_picture(8, 8)), 8, 8, BT_TPL_RGB565);
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t word; // replaces the word at `at`
        std::size_t size;   // file length passed in
        int status;
    };
    const Case cases[] = {
        {"intact", 0, BT_TPL_MAGIC, good.size(), BT_TPL_OK},
        {"shorter than a header", 0, BT_TPL_MAGIC, 8, BT_TPL_TOO_SHORT},
        {"wrong magic", 0, 0x0020AF31, good.size(), BT_TPL_BAD_MAGIC},
        {"no image", 4, 0, good.size(), BT_TPL_NO_IMAGE},
        {"image table past the end", 8, 0xFFFFFFF0, good.size(), BT_TPL_BAD_OFFSET},
        {"image header past the end", 0x0C, static_cast<std::uint32_t>(good.size() - 4), good.size(),
         BT_TPL_BAD_OFFSET},
        {"pixel data past the end", 0x1C, 0x41, good.size(), BT_TPL_BAD_SIZE},
        {"pixel data offset overflows", 0x1C, 0xFFFFFFFF, good.size(), BT_TPL_BAD_SIZE},
        {"file cut short", 0, BT_TPL_MAGIC, good.size() - 1, BT_TPL_BAD_SIZE},
        {"zero width", 0x14, 0x00080000, good.size(), BT_TPL_BAD_SIZE},
        {"huge picture", 0x14, 0xFFFFFFFF, good.size(), BT_TPL_BAD_SIZE},
        {"unknown format", 0x18, 5, good.size(), BT_TPL_BAD_FORMAT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = good;
        put_be32(file, c.at, c.word);
        std::vector<std::uint32_t> px(16 * 16, 7);
        bt_canvas canvas{px.data(), 16, 16};
        EXPECT_EQ(bt_tpl_draw_centred(file.data(), static_cast<std::uint32_t>(c.size), &canvas), c.status);
        if (c.status != BT_TPL_OK) {
            EXPECT_EQ(px, std::vector<std::uint32_t>(16 * 16, 7)); // nothing drawn
        }
    }
}

} // namespace
