#include "payload_gen/blob_builders.hpp"

#include <stdexcept>
#include <string_view>

#include "payload_gen/scenes.hpp"
#include "format/payload_layout.hpp"

namespace kessra::payload_gen {

using texture::encode_cmpr;
using texture::encode_rgb565;
using texture::encode_rgb5a3;

namespace {

void put_be16(Bytes& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}

void put_be32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Text copied into a NUL-padded field of the given width.
void put_text(Bytes& out, std::size_t at, std::size_t width, std::string_view text) {
    if (text.size() > width) throw std::logic_error("text does not fit its field");
    for (std::size_t i = 0; i < text.size(); ++i) out[at + i] = static_cast<std::uint8_t>(text[i]);
}

void put_bytes(Bytes& out, std::size_t at, const Bytes& data) {
    std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

Bytes build_skin(int index) {
    const Picture pic = draw_skin(index);
    const bool compressed = index == 0;
    Bytes out(SKIN_SIZE);
    put_be32(out, 0x00, TPL_MAGIC);
    put_be32(out, 0x04, 1);    // image count
    put_be32(out, 0x08, 0x0C); // image table
    put_be32(out, 0x0C, 0x14); // image header
    put_be32(out, 0x10, 0);    // no palette
    put_be16(out, 0x14, static_cast<std::uint16_t>(pic.height));
    put_be16(out, 0x16, static_cast<std::uint16_t>(pic.width));
    put_be32(out, 0x18, compressed ? TPL_FORMAT_CMPR : TPL_FORMAT_RGB565);
    put_be32(out, 0x1C, TPL_DATA_OFFSET);
    put_be32(out, 0x28, 1); // linear minification
    put_be32(out, 0x2C, 1); // linear magnification
    const Bytes texels = compressed ? encode_cmpr(pic) : encode_rgb565(pic);
    if (TPL_DATA_OFFSET + texels.size() > out.size()) throw std::logic_error("skin texture too large");
    put_bytes(out, TPL_DATA_OFFSET, texels);
    return out;
}

Bytes build_banner() {
    Bytes out(BANNER_SIZE);
    put_text(out, 0, 4, "BNR1");
    const Bytes texels = encode_rgb5a3(draw_banner());
    if (BANNER_PICTURE_OFFSET + texels.size() != BANNER_SHORT_TITLE_OFFSET)
        throw std::logic_error("banner picture has the wrong size");
    put_bytes(out, BANNER_PICTURE_OFFSET, texels);
    put_text(out, BANNER_SHORT_TITLE_OFFSET, 32, "kessra");
    put_text(out, BANNER_SHORT_MAKER_OFFSET, 32, "kessra project");
    put_text(out, BANNER_LONG_TITLE_OFFSET, 64, "kessra handheld ROM collection");
    put_text(out, BANNER_LONG_MAKER_OFFSET, 64, "kessra project");
    put_text(out, BANNER_DESCRIPTION_OFFSET, 128, "Handheld ROM collection\nbuilt with kessra");
    return out;
}

std::vector<NamedBlob> build_all_blobs() {
    std::vector<NamedBlob> blobs;
    for (int i = 0; i < SKIN_COUNT; ++i) blobs.push_back({"F_0" + std::to_string(i) + ".tpl", build_skin(i)});
    blobs.push_back({"opening.bnr", build_banner()});
    const std::array<std::uint32_t, 5> sizes{SKIN_SIZE, SKIN_SIZE, SKIN_SIZE, SKIN_SIZE, BANNER_SIZE};
    for (std::size_t i = 0; i < blobs.size(); ++i)
        if (blobs[i].bytes.size() != sizes[i]) throw std::logic_error(blobs[i].file_name + " has the wrong size");
    return blobs;
}

} // namespace kessra::payload_gen
