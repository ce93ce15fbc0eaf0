#include "texture/picture_file.hpp"

#include <climits>
#include <cstring>
#include <memory>

#include <stb_image.h>

namespace kessra::texture {

namespace {

std::string reason() {
    const char* why = stbi_failure_reason();
    return why != nullptr ? why : "unknown fault";
}

} // namespace

Result<Picture> decode_picture(std::span<const std::uint8_t> bytes, const std::string& name) {
    if (bytes.empty()) return {Status::failure(name + ": the file is empty, not a picture"), {}};
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        return {Status::failure(name + ": the file is too large for a picture"), {}};
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(bytes.data(), length, &width, &height, &channels) == 0) {
        const std::string why = reason();
        if (why.find("0-pixel") != std::string::npos)
            return {Status::failure(name + ": the picture has no pixels (0 x 0)"), {}};
        return {Status::failure(name + ": not a PNG, JPEG, BMP, GIF or TGA picture, or damaged (" + why + ")"), {}};
    }
    if (width <= 0 || height <= 0)
        return {Status::failure(name + ": the picture has no pixels (" + std::to_string(width) + " x " +
                                std::to_string(height) + ")"),
                {}};
    if (width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return {Status::failure(name + ": the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                                " pixels; at most " + std::to_string(MAX_PICTURE_SIDE) + " on a side is accepted"),
                {}};
    int w = 0, h = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> data(stbi_load_from_memory(bytes.data(), length, &w, &h, &channels, 4),
                                                   stbi_image_free);
    if (!data) return {Status::failure(name + ": damaged or truncated picture (" + reason() + ")"), {}};
    if (w != width || h != height) return {Status::failure(name + ": damaged picture (its size changed while decoding)"), {}};
    Picture pic = make_picture(w, h);
    std::memcpy(pic.pixels.data(), data.get(), pic.pixels.size() * 4);
    return success(std::move(pic));
}

} // namespace kessra::texture
