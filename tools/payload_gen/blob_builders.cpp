#include "payload_gen/blob_builders.hpp"

#include <stdexcept>
#include <string_view>

#include "payload_gen/scenes.hpp"
#include "payloads/payload_layout.hpp"

namespace kessra::payload_gen {

using texture::encode_cmpr;
using texture::encode_rgb565;
using texture::encode_rgb5a3;

namespace {

// PowerPC instructions used for the stand-in code.
constexpr std::uint32_t BRANCH_TO_SELF = 0x48000000; // b .
constexpr std::uint32_t NOP = 0x60000000;            // ori r0,r0,0
constexpr std::uint32_t LI_R3 = 0x38600000;          // li r3,imm (addi r3,0,imm)
constexpr std::uint32_t BLR = 0x4E800020;            // return

// The loader's code is loaded at this address, right behind its header.
constexpr std::uint32_t APPLOADER_LOAD_ADDRESS = 0x81200000;
constexpr std::uint32_t APPLOADER_HEADER_SIZE = 0x20;

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

Bytes build_apploader() {
    Bytes out(APPLOADER_SIZE);
    put_text(out, 0x00, 16, "2003/04/17");
    put_be32(out, 0x10, APPLOADER_ENTRY_POINT);
    put_be32(out, 0x14, APPLOADER_CODE_SIZE);
    put_be32(out, 0x18, APPLOADER_TRAILER_SIZE);
    put_be32(out, 0x1C, 0);
    for (std::size_t at = APPLOADER_HEADER_SIZE; at < out.size(); at += 4) put_be32(out, at, NOP);
    put_be32(out, APPLOADER_HEADER_SIZE + (APPLOADER_ENTRY_POINT - APPLOADER_LOAD_ADDRESS), BRANCH_TO_SELF);
    return out;
}

Bytes build_program_image() {
    Bytes out(PROGRAM_IMAGE_SIZE);
    put_be32(out, 0x00, DOL_HEADER_SIZE);       // text section 0: file offset
    put_be32(out, 0x48, DOL_TEXT_LOAD_ADDRESS); // load address
    put_be32(out, 0x90, DOL_TEXT_SIZE);         // size
    put_be32(out, 0xE0, DOL_ENTRY_POINT);
    // The text is a run of tiny functions, each returning its own number:
    // li r3,n / nop / nop / blr.
    for (std::size_t at = DOL_HEADER_SIZE; at < out.size(); at += 16) {
        const auto n = static_cast<std::uint32_t>((at - DOL_HEADER_SIZE) / 16 & 0x7FFF);
        put_be32(out, at, LI_R3 | n);
        put_be32(out, at + 4, NOP);
        put_be32(out, at + 8, NOP);
        put_be32(out, at + 12, BLR);
    }
    put_be32(out, DOL_ENTRY_POINT - DOL_TEXT_LOAD_ADDRESS + DOL_HEADER_SIZE, BRANCH_TO_SELF);
    for (std::uint32_t k = 1; k <= MENU_SLOT_COUNT; ++k) {
        const std::size_t at = MENU_TABLE_DOL_OFFSET + (k - 1) * MENU_SLOT_SIZE;
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(at), MENU_SLOT_SIZE, std::uint8_t{0});
        const std::string slot = "000 GAMENUMB" + std::string(1, static_cast<char>('0' + k / 100)) +
                                 static_cast<char>('0' + k / 10 % 10) + static_cast<char>('0' + k % 10);
        put_text(out, at, MENU_SLOT_SIZE - 1, slot);
    }
    for (auto [at, word] : {std::pair{SKIN_DIGIT_DOL_OFFSET, "0SKIN"}, std::pair{ZOOM_DIGIT_DOL_OFFSET, "0ZOOM"}}) {
        std::fill_n(out.begin() + at, SETTING_FIELD_SIZE, std::uint8_t{0});
        put_text(out, at, SETTING_FIELD_SIZE, word);
    }
    return out;
}

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
    blobs.push_back({"apploader.img", build_apploader()});
    blobs.push_back({"program.dol", build_program_image()});
    for (int i = 0; i < SKIN_COUNT; ++i) blobs.push_back({"F_0" + std::to_string(i) + ".tpl", build_skin(i)});
    blobs.push_back({"opening.bnr", build_banner()});
    const std::array<std::uint32_t, 7> sizes{APPLOADER_SIZE, PROGRAM_IMAGE_SIZE, SKIN_SIZE, SKIN_SIZE,
                                             SKIN_SIZE,      SKIN_SIZE,          BANNER_SIZE};
    for (std::size_t i = 0; i < blobs.size(); ++i)
        if (blobs[i].bytes.size() != sizes[i]) throw std::logic_error(blobs[i].file_name + " has the wrong size");
    return blobs;
}

} // namespace kessra::payload_gen
