// JPEG pictures through libjpeg-turbo, in steps (decoder_steps.hpp): its
// error_exit jumps back out of the step that was running. Warnings that mean
// the data is damaged or ends early, which libjpeg would let pass with grey or
// repeated rows, end the decoding the same way.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "texture/decoder_steps.hpp"
#include "texture/picture_decoders.hpp"

namespace kessra::texture {

namespace {

// A progressive file may repeat scans without end; real ones have a few dozen.
constexpr int MAX_SCANS = 1000;
// The decoder's own tables and, for progressive files, the whole image's
// coefficients; past this it stops instead of asking for more.
constexpr long MAX_DECODER_MEMORY = 1L << 30;

struct JpegDecoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
};

JpegDecoder& decoder_of(j_common_ptr info) { return *static_cast<JpegDecoder*>(info->client_data); }

[[noreturn]] void jump_back(j_common_ptr info) {
    JpegDecoder& decoder = decoder_of(info);
    if (decoder.message[0] == '\0') info->err->format_message(info, decoder.message);
    std::longjmp(decoder.jump, 1);
}

bool means_damaged_data(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
#if JPEG_LIB_VERSION >= 70
    case JWRN_ARITH_BAD_CODE:
#endif
    case JWRN_MUST_RESYNC: return true;
    default: return false;
    }
}

// Warnings come with level -1; higher levels are trace messages.
void on_message(j_common_ptr info, int level) {
    if (level < 0 && means_damaged_data(info->err->msg_code)) jump_back(info);
}

void on_progress(j_common_ptr info) {
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MAX_SCANS) {
        std::snprintf(decoder_of(info).message, JMSG_LENGTH_MAX, "more than %d scans", MAX_SCANS);
        jump_back(info);
    }
}

// CMYK as Adobe's programs write it (inverted when an Adobe marker says so), to RGB.
void cmyk_to_rgb(Picture& pic, bool inverted) {
    for (Rgba& p : pic.pixels) {
        int c = p.r, m = p.g, y = p.b, k = p.a;
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        p = {static_cast<std::uint8_t>(c * k / 255), static_cast<std::uint8_t>(m * k / 255),
             static_cast<std::uint8_t>(y * k / 255), 255};
    }
}

} // namespace

Result<Picture> decode_jpeg(std::span<const std::uint8_t> bytes, CoverSize cover) {
    JpegDecoder decoder;
    decoder.info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = jump_back;
    decoder.errors.emit_message = on_message;
    decoder.progress.progress_monitor = on_progress;
    decoder.info.client_data = &decoder;
    const AtScopeEnd release{[&] { jpeg_destroy_decompress(&decoder.info); }};
    const bool header = run_step(decoder.jump, [&] {
        jpeg_create_decompress(&decoder.info); // keeps the error handler and client_data
        decoder.info.progress = &decoder.progress;
        decoder.info.mem->max_memory_to_use = MAX_DECODER_MEMORY;
        jpeg_mem_src(&decoder.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&decoder.info, TRUE);
    });
    if (!header) return failed<Picture>(damaged(decoder.message));
    jpeg_decompress_struct& info = decoder.info;
    if (Status size = check_picture_size(info.image_width, info.image_height); !size)
        return failed<Picture>(std::move(size));

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool sized = run_step(decoder.jump, [&] {
        info.scale_num = 1;
        info.scale_denom = static_cast<unsigned>(
            jpeg_scale_denominator(static_cast<int>(info.image_width), static_cast<int>(info.image_height), cover));
        info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
        jpeg_calc_output_dimensions(&info);
    });
    if (!sized) return failed<Picture>(damaged(decoder.message));
    Picture pic = make_picture(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    auto* const first_row = reinterpret_cast<JSAMPLE*>(pic.pixels.data());
    const bool read = run_step(decoder.jump, [&] {
        jpeg_start_decompress(&info);
        if (info.output_width != static_cast<JDIMENSION>(pic.width) ||
            info.output_height != static_cast<JDIMENSION>(pic.height) || info.output_components != 4) {
            std::snprintf(decoder.message, JMSG_LENGTH_MAX, "its size changed while decoding");
            jump_back(reinterpret_cast<j_common_ptr>(&info));
        }
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = first_row + std::size_t{info.output_scanline} * info.output_width * 4;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    });
    if (!read) return failed<Picture>(damaged(decoder.message));
    if (cmyk) cmyk_to_rgb(pic, info.saw_Adobe_marker != 0);
    return success(std::move(pic));
}

} // namespace kessra::texture
