// Skins and banners made from pictures: cover fitting, quality after
// encoding, transparency, texts, and the blobs' headers.
#include <gtest/gtest.h>

#include <algorithm>

#include "payload_gen/scenes.hpp"
#include "personalize/personalization.hpp"
#include "personalize/test_pictures.hpp"
#include "support/test_support.hpp"
#include "texture/cover_scale.hpp"
#include "texture/png_file.hpp"

namespace kessra {
namespace {

using texture::Rgba;

// A picture whose columns (or rows) fall into three bands: red, green, blue.
Picture bands(int width, int height, bool across, int first_end, int second_end) {
    Picture pic = texture::make_picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int at = across ? x : y;
            texture::pixel(pic, x, y) = at < first_end    ? Rgba{255, 0, 0, 255}
                                        : at < second_end ? Rgba{0, 255, 0, 255}
                                                          : Rgba{0, 0, 255, 255};
        }
    return pic;
}

TEST(PersonalArt, CoverFittingKeepsTheCentre) {
    const struct {
        const char* name;
        Picture source;
        int width, height;
    } cases[] = {
        {"wide, three times the width", bands(1920, 448, true, 640, 1280), 640, 448},
        {"tall, three times the height", bands(608, 1344, false, 448, 896), 608, 448},
        {"wide, shrunk by a fraction", bands(1000, 300, true, 280, 720), 640, 448},
        {"tall, enlarged", bands(60, 400, false, 150, 250), 96, 32},
        {"wide banner", bands(900, 100, true, 300, 600), 96, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture fitted = texture::cover_scale(c.source, c.width, c.height);
        ASSERT_EQ(fitted.width, c.width);
        ASSERT_EQ(fitted.height, c.height);
        // The filter reaches a little past the crop, so the outermost pixels
        // may take a trace of the neighbouring band; the rest is the centre's.
        const bool across = c.source.width * c.height > c.source.height * c.width;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const int from_edge = across ? std::min(x, c.width - 1 - x) : std::min(y, c.height - 1 - y);
                const Rgba p = texture::pixel(fitted, x, y);
                ASSERT_GE(p.g, from_edge < 3 ? 180 : 250) << x << "," << y;
                ASSERT_LE(std::max(p.r, p.b), from_edge < 3 ? 110 : 5) << x << "," << y;
            }
    }
}

TEST(PersonalArt, SkinsAndBannerFromAPhotographKeepTheirQuality) {
    testing::ScratchDir dir;
    const std::string photo = dir.file("photo.png");
    const Picture source = testing::make_photograph(960, 640);
    const Bytes png = texture::encode_png(source, false);
    ASSERT_FALSE(png.empty());
    testing::write_text_file(photo, std::string(png.begin(), png.end()));

    Personalization wish;
    wish.skin_pictures = {photo, photo, photo, photo};
    wish.banner_picture = photo;
    const auto made = make_personal_blobs(wish, builtin_payloads().banner_blob);
    ASSERT_TRUE(made) << made.status.message;
    for (int i = 0; i < SKIN_COUNT; ++i) {
        SCOPED_TRACE(i);
        const auto& blob = made.value.skins[static_cast<std::size_t>(i)];
        ASSERT_TRUE(blob);
        ASSERT_EQ(blob->size(), SKIN_SIZE);
        const auto scaled = load_fitted_picture(photo, skin_width(i), SKIN_HEIGHT);
        ASSERT_TRUE(scaled);
        const Picture shown = decode_skin_blob(*blob);
        ASSERT_EQ(shown.width, skin_width(i));
        ASSERT_EQ(shown.height, SKIN_HEIGHT);
        EXPECT_GE(testing::psnr(scaled.value, shown), i == 0 ? 30.0 : 38.0);
    }
    // The compressed skin ends in zeros after its 0x23000 bytes of texture.
    const Bytes& first = *made.value.skins[0];
    EXPECT_TRUE(std::all_of(first.begin() + 0x23040, first.end(), [](std::uint8_t b) { return b == 0; }));

    ASSERT_TRUE(made.value.banner);
    const auto scaled = load_fitted_picture(photo, 96, 32);
    ASSERT_TRUE(scaled);
    const Picture shown = decode_banner_picture(*made.value.banner);
    ASSERT_EQ(shown.width, 96);
    EXPECT_GE(testing::psnr(scaled.value, shown), 35.0); // opaque RGB5A3 keeps 5 bits a channel
    // The banner's texts and reserved bytes stay as they were.
    const Blob base = builtin_payloads().banner_blob;
    EXPECT_TRUE(std::equal(base.begin(), base.begin() + 0x20, made.value.banner->begin()));
    EXPECT_TRUE(std::equal(base.begin() + 0x1820, base.end(), made.value.banner->begin() + 0x1820));
}

TEST(PersonalArt, BannerTransparencyIsKept) {
    // Opaque orange with a transparent top-left corner and a half-transparent bottom edge.
    Picture logo = texture::make_picture(300, 100, Rgba{240, 140, 20, 255});
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x) {
            if (x < 40 && y < 15) texture::pixel(logo, x, y) = {0, 0, 0, 0};
            if (y >= 85) texture::pixel(logo, x, y).a = 128;
        }
    const Picture fitted = texture::cover_scale(logo, 96, 32);
    const Bytes banner = make_banner_blob(builtin_payloads().banner_blob, &fitted, {});
    const Picture shown = decode_banner_picture(banner);
    ASSERT_EQ(shown.width, 96);
    EXPECT_EQ(texture::pixel(shown, 0, 0).a, 0);
    EXPECT_EQ(texture::pixel(shown, 2, 1).a, 0);
    EXPECT_EQ(texture::pixel(shown, 48, 14).a, 255);
    EXPECT_NEAR(texture::pixel(shown, 48, 31).a, 128, 19);
    // Transparency does not darken the colours next to it.
    const Rgba edge = texture::pixel(shown, 20, 6);
    if (edge.a > 0) {
        EXPECT_GE(edge.r, 200);
    }
}

TEST(PersonalArt, BannerTextsGoIntoTheirFields) {
    std::array<std::optional<std::string>, BANNER_TEXT_COUNT> texts;
    texts[0] = "Caf\xE9 Quest";
    texts[4] = "one\ntwo";
    const Blob base = builtin_payloads().banner_blob;
    const Bytes banner = make_banner_blob(base, nullptr, texts);
    ASSERT_EQ(banner.size(), BANNER_SIZE);
    const auto field = [&](std::size_t at, std::size_t n) {
        return std::string(banner.begin() + static_cast<long>(at), banner.begin() + static_cast<long>(at + n));
    };
    EXPECT_EQ(field(0x1820, 32), std::string("Caf\xE9 Quest") + std::string(22, '\0'));
    EXPECT_EQ(field(0x18E0, 128), std::string("one\ntwo") + std::string(121, '\0'));
    // Untouched: the picture, the other texts.
    EXPECT_TRUE(std::equal(base.begin(), base.begin() + 0x1820, banner.begin()));
    EXPECT_TRUE(std::equal(base.begin() + 0x1840, base.begin() + 0x18E0, banner.begin() + 0x1840));
}

TEST(PersonalArt, SkinFilesMatchTheBuiltInOnesByteForByte) {
    // The built-in skins come from the generator's drawings with the same
    // encoders; the tool's own TPL writing must give the very same files.
    for (int i = 0; i < SKIN_COUNT; ++i) {
        const Bytes made = make_skin_blob(i, payload_gen::draw_skin(i));
        const Blob builtin = builtin_payloads().skin_blob[static_cast<std::size_t>(i)];
        EXPECT_TRUE(std::equal(made.begin(), made.end(), builtin.begin(), builtin.end())) << "skin " << i;
    }
}

TEST(PersonalArt, DecodingRefusesSkinHeadersItDoesNotKnow) {
    Bytes skin(builtin_payloads().skin_blob[1].begin(), builtin_payloads().skin_blob[1].end());
    EXPECT_EQ(decode_skin_blob(skin).width, 608);
    const struct {
        std::size_t at;
        std::uint8_t value;
    } faults[] = {{0x00, 0x99}, {0x0F, 0x40}, {0x16, 0x7F}, {0x1B, 0x05}, {0x1F, 0x80}};
    for (const auto& f : faults) {
        Bytes broken = skin;
        broken[f.at] = f.value;
        EXPECT_EQ(decode_skin_blob(broken).width, 0) << f.at;
    }
    EXPECT_EQ(decode_skin_blob(Blob(skin).first(0x30)).width, 0);
    EXPECT_EQ(decode_banner_picture(Blob(skin).first(0x100)).width, 0);
}

} // namespace
} // namespace kessra
