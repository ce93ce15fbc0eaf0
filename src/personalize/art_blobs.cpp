#include "personalize/art_blobs.hpp"

#include <algorithm>
#include <stdexcept>

#include "format/be32.hpp"
#include "format/tpl_header.hpp"
#include "personalize/banner_text.hpp"
#include "texture/tiled_formats.hpp"

namespace kessra {

int skin_width(int index) { return index == 0 ? CMPR_SKIN_WIDTH : RGB565_SKIN_WIDTH; }

Bytes make_skin_blob(int index, const Picture& fitted) {
    const bool compressed = index == 0;
    if (fitted.width != skin_width(index) || fitted.height != SKIN_HEIGHT)
        throw std::logic_error("skin picture of the wrong size");
    Bytes out(SKIN_SIZE);
    TplHeader header;
    header.height = SKIN_HEIGHT;
    header.width = static_cast<std::uint16_t>(fitted.width);
    header.format = compressed ? TPL_FORMAT_CMPR : TPL_FORMAT_RGB565;
    const TplHeaderBytes header_bytes = encode_tpl_header(header);
    std::copy(header_bytes.begin(), header_bytes.end(), out.begin());
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
    if (skin.size() < TPL_HEADER_SIZE) return {};
    const TplHeader header = decode_tpl_header(skin.first<TPL_HEADER_SIZE>());
    if (header.magic != TPL_MAGIC || header.image_header != TPL_IMAGE_HEADER || header.data_offset != TPL_DATA_OFFSET)
        return {};
    const int height = header.height, width = header.width;
    const Blob data = skin.subspan(TPL_DATA_OFFSET);
    switch (header.format) {
    case TPL_FORMAT_CMPR: return texture::decode_cmpr(data, width, height);
    case TPL_FORMAT_RGB565: return texture::decode_rgb565(data, width, height);
    default: return {};
    }
}

Picture decode_banner_picture(Blob banner) {
    if (banner.size() < BANNER_SHORT_TITLE_OFFSET) return {};
    return texture::decode_rgb5a3(
        banner.subspan(BANNER_PICTURE_OFFSET, BANNER_SHORT_TITLE_OFFSET - BANNER_PICTURE_OFFSET),
        static_cast<int>(BANNER_WIDTH), static_cast<int>(BANNER_HEIGHT));
}

} // namespace kessra
