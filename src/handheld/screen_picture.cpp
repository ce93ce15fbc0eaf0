#include "handheld/screen_picture.hpp"

#include "emu/gba.hpp"

namespace kessra::handheld {

namespace {

std::uint8_t expand_channel(std::uint16_t colour, int shift) {
    const auto c = static_cast<std::uint8_t>((colour >> shift) & 0x1F);
    return static_cast<std::uint8_t>(c << 3 | c >> 2);
}

} // namespace

texture::Rgba expand_colour(std::uint16_t colour) {
    return {expand_channel(colour, 0), expand_channel(colour, 5), expand_channel(colour, 10), 255};
}

texture::Picture screen_picture(std::span<const std::uint16_t> frame) {
    texture::Picture picture =
        texture::make_picture(static_cast<int>(emu::kScreenWidth), static_cast<int>(emu::kScreenHeight));
    for (std::size_t i = 0; i < picture.pixels.size() && i < frame.size(); ++i)
        picture.pixels[i] = expand_colour(frame[i]);
    return picture;
}

} // namespace kessra::handheld
