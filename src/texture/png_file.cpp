#include "texture/png_file.hpp"

#include <stb_image_write.h>

namespace kessra::texture {

namespace {

void append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (size > 0) out->insert(out->end(), bytes, bytes + size);
}

} // namespace

Bytes encode_png(const Picture& pic, bool with_alpha) {
    if (pic.width <= 0 || pic.height <= 0) return {};
    const int channels = with_alpha ? 4 : 3;
    Bytes raw;
    raw.reserve(pic.pixels.size() * static_cast<std::size_t>(channels));
    for (const Rgba& c : pic.pixels) {
        raw.insert(raw.end(), {c.r, c.g, c.b});
        if (with_alpha) raw.push_back(c.a);
    }
    Bytes png;
    if (stbi_write_png_to_func(append, &png, pic.width, pic.height, channels, raw.data(), pic.width * channels) == 0)
        return {};
    return png;
}

} // namespace kessra::texture
