#include "personalize/art_blobs.hpp"

#include <algorithm>
#include <stdexcept>

#include "format/be32.hpp"
#include "personalize/banner_text.hpp"
#include "texture/tiled_formats.hpp"

namespace kessra {

namespace {

// TPL header fields (one image, no palette).
constexpr std::size_t TPL_IMAGE_COUNT_AT = 0x04;
constexpr std::size_t TPL_IMAGE_TABLE_AT = 0x08;  // holds 0x0C
constexpr std::size_t TPL_IMAGE_HEADER_AT = 0x0C; // holds 0x14, the image header's offset
constexpr std::size_t TPL_HEIGHT_AT = 0x14;       // u16
constexpr std::size_t TPL_WIDTH_AT = 0x16;        // u16
constexpr std::size_t TPL_FORMAT_AT = 0x18;
constexpr std::size_t TPL_DATA_AT = 0x1C;
constexpr std::size_t TPL_MIN_FILTER_AT = 0x28; // 1: linear
constexpr std::size_t TPL_MAG_FILTER_AT = 0x2C; // 1: linear

void put_be16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

std::uint16_t get_be16(Blob bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

} // namespace

int skin_width(int index) {
    return index == 0 ? CMPR_SKIN_WIDTH : RGB565_SKIN_WIDTH;
}

Bytes make_skin_blob(int index, const Picture& fitted) {
    const bool compressed = index == 0;
    if (fitted.width != skin_width(index) || fitted.height != SKIN_HEIGHT)
        throw std::logic_error("skin picture of the wrong size");
    Bytes out(SKIN_SIZE);
    put_be32(out, 0x00, TPL_MAGIC);
    put_be32(out, TPL_IMAGE_COUNT_AT, 1);
    put_be32(out, TPL_IMAGE_TABLE_AT, 0x0C);
    put_be32(out, TPL_IMAGE_HEADER_AT, 0x14);
    put_be16(out, TPL_HEIGHT_AT, SKIN_HEIGHT);
    put_be16(out, TPL_WIDTH_AT, static_cast<std::uint16_t>(fitted.width));
    put_be32(out, TPL_FORMAT_AT, compressed ? TPL_FORMAT_CMPR : TPL_FORMAT_RGB565);
    put_be32(out, TPL_DATA_AT, TPL_DATA_OFFSET);
    put_be32(out, TPL_MIN_FILTER_AT, 1);
    put_be32(out, TPL_MAG_FILTER_AT, 1);
    const Bytes texels = compressed ? texture::encode_cmpr(fitted) : texture::encode_rgb565(fitted);
    if (TPL_DATA_OFFSET + texels.size() > out.size()) throw std::logic_error("skin texture too large");
    std::copy(texels.begin(), texels.end(), out.begin() + TPL_DATA_OFFSET);
    return out;
}

Bytes make_banner_blob(Blob base, const Picture* fitted, const std::array<std::optional<std::string>, 5>& texts) {
    if (base.size() != BANNER_SIZE) throw std::logic_error("banner of the wrong size");
    Bytes out(base.begin(), base.end());
    if (fitted != nullptr) {
        if (fitted->width != static_cast<int>(BANNER_WIDTH) || fitted->height != static_cast<int>(BANNER_HEIGHT))
            throw std::logic_error("banner picture of the wrong size");
        const Bytes texels = texture::encode_rgb5a3(*fitted);
        if (BANNER_PICTURE_OFFSET + texels.size() != BANNER_SHORT_TITLE_OFFSET)
            throw std::logic_error("banner picture encoded to the wrong length");
        std::copy(texels.begin(), texels.end(), out.begin() + BANNER_PICTURE_OFFSET);
    }
    for (std::size_t i = 0; i < BANNER_TEXT_COUNT; ++i) {
        if (!texts[i]) continue;
        const BannerTextField& field = BANNER_TEXT_FIELDS[i];
        if (texts[i]->size() >= field.width) throw std::logic_error("banner text longer than its field");
        const auto at = out.begin() + field.offset;
        std::fill(at, at + field.width, std::uint8_t{0});
        std::copy(texts[i]->begin(), texts[i]->end(), at);
    }
    return out;
}

Picture decode_skin_blob(Blob skin) {
    if (skin.size() < TPL_DATA_OFFSET || get_be32(skin, 0) != TPL_MAGIC || get_be32(skin, TPL_IMAGE_HEADER_AT) != 0x14 ||
        get_be32(skin, TPL_DATA_AT) != TPL_DATA_OFFSET)
        return {};
    const int height = get_be16(skin, TPL_HEIGHT_AT), width = get_be16(skin, TPL_WIDTH_AT);
    const Blob data = skin.subspan(TPL_DATA_OFFSET);
    switch (get_be32(skin, TPL_FORMAT_AT)) {
    case TPL_FORMAT_CMPR: return texture::decode_cmpr(data, width, height);
    case TPL_FORMAT_RGB565: return texture::decode_rgb565(data, width, height);
    default: return {};
    }
}

Picture decode_banner_picture(Blob banner) {
    if (banner.size() < BANNER_SHORT_TITLE_OFFSET) return {};
    return texture::decode_rgb5a3(banner.subspan(BANNER_PICTURE_OFFSET, BANNER_SHORT_TITLE_OFFSET - BANNER_PICTURE_OFFSET),
                                  static_cast<int>(BANNER_WIDTH), static_cast<int>(BANNER_HEIGHT));
}

} // namespace kessra
