// Reading picture files: PNG and JPEG only, recognised by their bytes; sizes
// refused from the header before anything is decoded; damaged and truncated
// files refused with the decoder's reason; large JPEGs decoded scaled.
#include <gtest/gtest.h>

#include "support/test_support.hpp"
#include "texture/picture_bytes.hpp"
#include "texture/picture_file.hpp"
#include "texture/png_file.hpp"

namespace kessra::texture {
namespace {

using testing::png_chunk;

Picture checkerboard(int width, int height) {
    Picture pic = make_picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(pic, x, y) = (x / 4 + y / 4) % 2 ? Rgba{250, 200, 10, 255} : Rgba{10, 40, 200, 255};
    return pic;
}

int distance(Rgba a, Rgba b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// Refused with one line that names the file and says `says`.
void expect_refused(const Result<Picture>& read, const std::string& name, const std::string& says) {
    ASSERT_FALSE(read) << name;
    EXPECT_EQ(read.status.message.rfind(name + ": ", 0), 0u) << read.status.message;
    EXPECT_NE(read.status.message.find(says), std::string::npos) << read.status.message;
    EXPECT_EQ(read.status.message.find('\n'), std::string::npos);
}

TEST(PictureFile, ReadsPngAndJpegWhateverTheName) {
    Picture pic = checkerboard(24, 16);
    pixel(pic, 0, 0).a = 0;
    pixel(pic, 1, 0).a = 128;
    const Bytes png = encode_png(pic, true), opaque_png = encode_png(pic, false), jpeg = testing::jpeg_of(pic);
    const struct {
        const char* name;
        const Bytes& bytes;
        int tolerance; // lossy formats
        bool alpha;
    } cases[] = {{"rgba.png", png, 0, true},
                 {"rgb.png", opaque_png, 0, false},
                 {"photo.jpg", jpeg, 60, false},
                 // The bytes tell the format, not the name.
                 {"really-a-png.jpg", png, 0, true},
                 {"really-a-jpeg.png", jpeg, 60, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto read = decode_picture(c.bytes, c.name);
        ASSERT_TRUE(read) << read.status.message;
        ASSERT_EQ(read.value.width, 24);
        ASSERT_EQ(read.value.height, 16);
        for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
            ASSERT_LE(distance(pic.pixels[i], read.value.pixels[i]), c.tolerance) << i;
            ASSERT_EQ(read.value.pixels[i].a, c.alpha ? pic.pixels[i].a : 255) << i;
        }
    }
}

// Files written by another program: the kinds of PNG and JPEG that need the
// decoders' conversions.
TEST(PictureFile, ReadsTheOtherKindsOfPngAndJpeg) {
    const struct {
        const char* file;
        Rgba top_left, bottom_middle; // (0, 0) and (8, 15)
        int tolerance;
    } cases[] = {
        {"palette-interlaced.png", {255, 255, 255, 0}, {0, 0, 255, 255}, 0}, // transparency chunk, interlaced
        {"grey-4bit.png", {255, 255, 255, 255}, {0, 0, 0, 255}, 0},
        {"rgb-16bit.png", {255, 255, 255, 255}, {0, 0, 0, 255}, 0},
        {"progressive.jpg", {249, 2, 13, 255}, {10, 0, 243, 255}, 24},
        {"cmyk.jpg", {251, 0, 3, 255}, {4, 3, 254, 255}, 24}, // Adobe's inverted CMYK
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(KESSRA_TEST_PICTURES) + "/" + c.file;
        const auto read = decode_picture(testing::read_bytes(path), c.file);
        ASSERT_TRUE(read) << read.status.message;
        ASSERT_EQ(read.value.width, 16);
        ASSERT_EQ(read.value.height, 16);
        EXPECT_LE(distance(pixel(read.value, 0, 0), c.top_left), c.tolerance);
        EXPECT_EQ(pixel(read.value, 0, 0).a, c.top_left.a);
        EXPECT_LE(distance(pixel(read.value, 8, 15), c.bottom_middle), c.tolerance);
        EXPECT_EQ(pixel(read.value, 8, 15).a, 255);
    }
}

TEST(PictureFile, OtherFormatsAreRefusedByTheirBytes) {
    const Picture pic = checkerboard(8, 8);
    const std::string text = "This is a text file, not a picture.\n";
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {{"small.gif", testing::SMALL_GIF},       {"picture.bmp", testing::bmp_of(pic)},
                 {"picture.tga", testing::tga_of(pic)},   {"gif-named.png", testing::SMALL_GIF},
                 {"bmp-named.jpg", testing::bmp_of(pic)}, {"notes.txt", Bytes(text.begin(), text.end())},
                 {"zeros.png", Bytes(4096, 0)},           {"jpeg-start-only.jpg", {0xFF, 0xD8}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expect_refused(decode_picture(c.bytes, c.name), c.name, "not a PNG or JPEG picture; only those two formats");
    }
    expect_refused(decode_picture({}, "empty.png"), "empty.png", "the file is empty");
}

TEST(PictureFile, SizesOverTheBudgetAreRefusedFromTheHeader) {
    std::vector<testing::CraftedPicture> cases = testing::pixel_bombs();
    cases.insert(
        cases.end(),
        {
            {"just-over.png", testing::png_claiming(10001, 10000), "10001 x 10000 pixels; at most 100 megapixels"},
            {"just-over.jpg", testing::jpeg_claiming(10000, 10001), "10000 x 10001 pixels; at most 100 megapixels"},
            {"wide.png", testing::png_claiming(16385, 1), "at most 16384 on a side"},
            {"huge.png", testing::png_claiming(100000, 100000), "100000 x 100000"},
            {"zero.png", testing::png_claiming(0, 0), "the picture has no pixels"},
        });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expect_refused(decode_picture(c.bytes, c.name), c.name, c.says);
    }
    // Within the budget, the same little data is read, and found too short.
    expect_refused(decode_picture(testing::png_claiming(4000, 3000), "fits.png"), "fits.png", "damaged or truncated");
    expect_refused(decode_picture(testing::jpeg_claiming(4000, 3000), "fits.jpg"), "fits.jpg", "damaged or truncated");
}

TEST(PictureFile, TruncatedFilesAreRefusedWhereverTheyEnd) {
    const Bytes png = encode_png(checkerboard(64, 64), false);
    const Bytes jpeg = testing::jpeg_of(checkerboard(64, 64));
    const std::size_t idat = testing::png_chunk_at(png, "IDAT"), sos = testing::jpeg_marker_at(jpeg, 0xDA);
    ASSERT_NE(idat, std::string::npos);
    ASSERT_NE(sos, std::string::npos);
    const std::size_t scan_data = sos + 2 + (std::size_t{jpeg[sos + 2]} << 8 | jpeg[sos + 3]);
    const struct {
        const char* name;
        const Bytes& whole;
        std::size_t length;
    } cuts[] = {
        {"png: signature only", png, 8},
        {"png: inside the header chunk", png, 20},
        {"png: after the header chunk", png, idat},
        {"png: inside the image data", png, idat + 30},
        {"png: half", png, png.size() / 2},
        {"png: without its end chunk", png, png.size() - 12},
        {"png: last byte missing", png, png.size() - 1},
        {"jpeg: start of image only", jpeg, 4},
        {"jpeg: inside a table", jpeg, 30},
        {"jpeg: inside the scan header", jpeg, sos + 6},
        {"jpeg: no scan data", jpeg, scan_data},
        {"jpeg: inside the scan data", jpeg, scan_data + (jpeg.size() - scan_data) / 2},
        {"jpeg: without its end marker", jpeg, jpeg.size() - 2},
    };
    for (const auto& c : cuts) {
        SCOPED_TRACE(c.name);
        const Bytes cut(c.whole.begin(), c.whole.begin() + static_cast<long>(c.length));
        expect_refused(decode_picture(cut, "cut"), "cut", "damaged or truncated picture (");
    }
    // The scan's data left out, the end marker kept.
    Bytes no_scan(jpeg.begin(), jpeg.begin() + static_cast<long>(scan_data));
    no_scan.insert(no_scan.end(), {0xFF, 0xD9});
    expect_refused(decode_picture(no_scan, "no-scan.jpg"), "no-scan.jpg", "damaged or truncated picture (");
#ifndef _WIN32
    // Half the scan's data, the end marker kept: well-formed, but short of
    // rows, which libjpeg warns about. (The Windows decoder fills the rows
    // with grey and says nothing.)
    Bytes half_scan(jpeg.begin(), jpeg.begin() + static_cast<long>(scan_data + (jpeg.size() - scan_data) / 2));
    half_scan.insert(half_scan.end(), {0xFF, 0xD9});
    expect_refused(decode_picture(half_scan, "half-scan.jpg"), "half-scan.jpg",
                   "damaged or truncated picture (Corrupt JPEG data: premature end of data segment)");
#endif
    // A whole file of well-formed chunks whose compressed image data stops short.
    const std::size_t idat_length = std::size_t{png[idat + 2]} << 8 | png[idat + 3];
    Bytes short_data = testing::PNG_SIGNATURE;
    short_data.insert(short_data.end(), png.begin() + 8, png.begin() + static_cast<long>(idat));
    const Bytes half(png.begin() + static_cast<long>(idat + 8),
                     png.begin() + static_cast<long>(idat + 8 + idat_length / 2));
    for (const Bytes& chunk : {png_chunk("IDAT", half), png_chunk("IEND", {})})
        short_data.insert(short_data.end(), chunk.begin(), chunk.end());
    expect_refused(decode_picture(short_data, "short.png"), "short.png", "damaged or truncated picture (");
}

TEST(PictureFile, PngChecksumsAreVerified) {
    const Bytes png = encode_png(checkerboard(32, 32), true);
    ASSERT_TRUE(decode_picture(png, "good.png"));
    const std::size_t idat = testing::png_chunk_at(png, "IDAT");
    const std::size_t idat_end = idat + 8 + (std::size_t{png[idat + 2]} << 8 | png[idat + 3]);
    const struct {
        const char* name;
        std::size_t at;
        const char* says;
    } faults[] = {{"header CRC", 29, "(IHDR: CRC error)"},
                  {"header's interlace method", 28, "(IHDR: CRC error)"},
                  {"image data CRC", idat_end + 1, "(IDAT: CRC error)"},
                  {"image data", idat + 20, "(IDAT: CRC error)"},
                  {"end chunk CRC", png.size() - 1, "(IEND: CRC error)"}};
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        Bytes bad = png;
        bad[f.at] ^= 0x01;
        expect_refused(decode_picture(bad, "bad.png"), "bad.png", f.says);
    }
}

// Four quadrants of flat colour, so that the scaled decoding can be checked
// pixel by pixel away from the edges.
Picture quadrants(int width, int height) {
    Picture pic = make_picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(pic, x, y) = x < width / 2 ? (y < height / 2 ? Rgba{220, 30, 30, 255} : Rgba{30, 200, 40, 255})
                                             : (y < height / 2 ? Rgba{30, 40, 210, 255} : Rgba{240, 230, 50, 255});
    return pic;
}

TEST(PictureFile, LargeJpegsAreDecodedAtTheSmallestScaleThatCovers) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows Imaging Component offers no scaled JPEG decoding here";
#endif
    const Picture source = quadrants(2000, 1500);
    const Bytes jpeg = testing::jpeg_of(source, 90);
    const struct {
        CoverSize cover;
        int width, height; // decoded
    } cases[] = {{{640, 448}, 1000, 750}, {{96, 32}, 250, 188},    {{1000, 751}, 2000, 1500},
                 {{0, 0}, 2000, 1500},    {{501, 375}, 1000, 750}, {{500, 375}, 500, 375}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.cover.width) + " x " + std::to_string(c.cover.height));
        const auto read = decode_picture(jpeg, "large.jpg", c.cover);
        ASSERT_TRUE(read) << read.status.message;
        ASSERT_EQ(read.value.width, c.width);
        ASSERT_EQ(read.value.height, c.height);
        // Each decoded pixel shows the colour of the place it stands for.
        const int margin = 2 + 8 * c.width / 2000;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                if (std::abs(x - c.width / 2) < margin || std::abs(y - c.height / 2) < margin) continue;
                const Rgba want = pixel(source, x * 2000 / c.width, y * 1500 / c.height);
                ASSERT_LE(distance(pixel(read.value, x, y), want), 30) << x << "," << y;
            }
    }
    // PNG has no scaled decoding: always the whole picture.
    const auto png = decode_picture(encode_png(quadrants(400, 300), false), "large.png", {96, 32});
    ASSERT_TRUE(png);
    EXPECT_EQ(png.value.width, 400);
}

TEST(PictureFile, ScaleChoiceRoundsLikeTheDecoder) {
    const struct {
        int width, height;
        CoverSize cover;
        int denominator;
    } cases[] = {
        {2000, 1500, {640, 448}, 2}, {2000, 1500, {96, 32}, 8},   {5120, 3584, {640, 448}, 8},
        {2560, 1792, {640, 448}, 4}, {2559, 1792, {640, 448}, 4}, // 2559 / 4 rounds up to 640
        {2556, 1792, {640, 448}, 2}, {1279, 896, {640, 448}, 2},  {1278, 896, {640, 448}, 1},
        {4000, 500, {640, 448}, 1},  {640, 448, {640, 448}, 1},   {2000, 1500, {0, 0}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(jpeg_scale_denominator(c.width, c.height, c.cover), c.denominator)
            << c.width << " x " << c.height << " to " << c.cover.width << " x " << c.cover.height;
}

} // namespace
} // namespace kessra::texture
