// PNG pictures through libpng, in steps (decoder_steps.hpp): its error
// function jumps back out of the step that was running. libpng checks every chunk's CRC (a bad one in a critical chunk is an
// error), and reading up to the end chunk refuses a file that stops early.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "texture/decoder_steps.hpp"
#include "texture/picture_decoders.hpp"

namespace kessra::texture {

namespace {

struct PngDecoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0, at = 0;
    std::jmp_buf jump{};
    char message[256] = {};
};

[[noreturn]] void on_error(png_structp png, png_const_charp message) {
    auto& decoder = *static_cast<PngDecoder*>(png_get_error_ptr(png));
    std::snprintf(decoder.message, sizeof decoder.message, "%s", message);
    std::longjmp(decoder.jump, 1);
}

// Warnings (ancillary chunks dropped, extra image data) leave the picture whole.
void on_warning(png_structp, png_const_charp) {}

void read_from_memory(png_structp png, png_bytep out, png_size_t length) {
    auto& decoder = *static_cast<PngDecoder*>(png_get_io_ptr(png));
    if (length > decoder.size - decoder.at) png_error(png, "the file ends early");
    std::memcpy(out, decoder.bytes + decoder.at, length);
    decoder.at += length;
}

} // namespace

Result<Picture> decode_png(std::span<const std::uint8_t> bytes) {
    PngDecoder decoder;
    decoder.bytes = bytes.data();
    decoder.size = bytes.size();
    const AtScopeEnd release{[&] { png_destroy_read_struct(&decoder.png, &decoder.info, nullptr); }};
    const bool header = run_step(decoder.jump, [&] {
        decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decoder, on_error, on_warning);
        if (decoder.png == nullptr) return;
        decoder.info = png_create_info_struct(decoder.png);
        if (decoder.info == nullptr) png_error(decoder.png, "out of memory");
        png_set_read_fn(decoder.png, &decoder, read_from_memory);
        png_read_info(decoder.png, decoder.info);
    });
    if (decoder.png == nullptr) return failed<Picture>(damaged("libpng could not start"));
    if (!header) return failed<Picture>(damaged(decoder.message));
    const png_uint_32 width = png_get_image_width(decoder.png, decoder.info);
    const png_uint_32 height = png_get_image_height(decoder.png, decoder.info);
    if (Status size = check_picture_size(width, height); !size) return failed<Picture>(std::move(size));

    // Whatever the file holds (palette, grey, 16 bits, transparency chunk,
    // interlacing), 8-bit RGBA rows; gamma is left as stored.
    const bool converted = run_step(decoder.jump, [&] {
        png_structp png = decoder.png;
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_interlace_handling(png);
        png_read_update_info(png, decoder.info);
        if (png_get_channels(png, decoder.info) != 4 || png_get_rowbytes(png, decoder.info) != std::size_t{width} * 4)
            png_error(png, "unexpected row layout");
    });
    if (!converted) return failed<Picture>(damaged(decoder.message));
    Picture pic = make_picture(static_cast<int>(width), static_cast<int>(height));
    static_assert(sizeof(Rgba) == 4, "rows are written as packed RGBA");
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&pic.pixels[std::size_t{y} * width]);
    const bool read = run_step(decoder.jump, [&] {
        png_read_image(decoder.png, rows.data());
        png_read_end(decoder.png, decoder.info);
    });
    if (!read) return failed<Picture>(damaged(decoder.message));
    return success(std::move(pic));
}

} // namespace kessra::texture
