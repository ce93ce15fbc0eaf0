#include "texture/cover_scale.hpp"

#include <stb_image_resize.h>

static_assert(sizeof(kessra::texture::Rgba) == 4, "pixels are passed to the resampler as packed RGBA");

namespace kessra::texture {

Picture cover_scale(const Picture& source, int width, int height) {
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0) return {};
    // The part of the source, in 0..1 coordinates, that has the target's
    // aspect ratio and is as large as possible, centred.
    const double source_aspect = static_cast<double>(source.width) / source.height;
    const double target_aspect = static_cast<double>(width) / height;
    double s0 = 0, t0 = 0, s1 = 1, t1 = 1;
    if (source_aspect > target_aspect) {
        const double keep = target_aspect / source_aspect;
        s0 = (1 - keep) / 2;
        s1 = s0 + keep;
    } else {
        const double keep = source_aspect / target_aspect;
        t0 = (1 - keep) / 2;
        t1 = t0 + keep;
    }
    const bool shrinking = (s1 - s0) * source.width > width;
    const stbir_filter filter = shrinking ? STBIR_FILTER_MITCHELL : STBIR_FILTER_CATMULLROM;
    Picture out = make_picture(width, height);
    const int done = stbir_resize_region(
        source.pixels.data(), source.width, source.height, source.width * 4, out.pixels.data(), width, height,
        width * 4, STBIR_TYPE_UINT8, 4, 3, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP, filter, filter, STBIR_COLORSPACE_SRGB,
        nullptr, static_cast<float>(s0), static_cast<float>(t0), static_cast<float>(s1), static_cast<float>(t1));
    if (done == 0) return {};
    return out;
}

} // namespace kessra::texture
