// The screen's 15-bit colours become 8-bit channels in the right places.
#include <gtest/gtest.h>

#include <vector>

#include "emu/gba.hpp"
#include "handheld/screen_picture.hpp"

namespace kessra::handheld {
namespace {

TEST(ScreenPicture, ChannelsAreExpandedFromTheirOwnBits) {
    const struct {
        std::uint16_t colour;
        texture::Rgba expected;
    } cases[] = {
        {0x0000, {0, 0, 0, 255}},       {0x7FFF, {255, 255, 255, 255}}, {0x001F, {255, 0, 0, 255}},
        {0x03E0, {0, 255, 0, 255}},     {0x7C00, {0, 0, 255, 255}},     {0x0D1F, {255, 66, 24, 255}},
        {0x4210, {132, 132, 132, 255}}, {0x0421, {8, 8, 8, 255}},       {0x8000, {0, 0, 0, 255}},
        {0xFFFF, {255, 255, 255, 255}},
    };
    for (const auto& c : cases) EXPECT_EQ(expand_colour(c.colour), c.expected) << std::hex << c.colour;
}

TEST(ScreenPicture, RowsFollowTheFrame) {
    std::vector<std::uint16_t> frame(emu::kScreenWidth * emu::kScreenHeight, 0x001F);
    frame[3 * emu::kScreenWidth + 7] = 0x7C00;
    frame.back() = 0x03E0;
    const texture::Picture picture = screen_picture(frame);
    ASSERT_EQ(picture.width, 240);
    ASSERT_EQ(picture.height, 160);
    EXPECT_EQ(texture::pixel(picture, 7, 3), (texture::Rgba{0, 0, 255, 255}));
    EXPECT_EQ(texture::pixel(picture, 3, 7), (texture::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(texture::pixel(picture, 239, 159), (texture::Rgba{0, 255, 0, 255}));
    EXPECT_EQ(texture::pixel(picture, 0, 0), (texture::Rgba{255, 0, 0, 255}));
}

} // namespace
} // namespace kessra::handheld
