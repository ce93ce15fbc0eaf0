#include "texture/picture_file.hpp"

#include <cstring>
#include <new>

#include "texture/picture_container.hpp"
#include "texture/picture_decoders.hpp"

namespace kessra::texture {

namespace {

constexpr std::uint8_t PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t JPEG_SIGNATURE[3] = {0xFF, 0xD8, 0xFF}; // start of image, then a marker

bool starts_with(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> signature) {
    return bytes.size() >= signature.size() && std::memcmp(bytes.data(), signature.data(), signature.size()) == 0;
}

std::string size_text(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

Status check_picture_size(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0)
        return Status::failure("the picture has no pixels (" + size_text(width, height) + ")");
    if (width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE) {
        return Status::failure("the picture is " + size_text(width, height) + " pixels; at most " +
                               std::to_string(MAX_PICTURE_SIDE) + " on a side is accepted");
    }
    if (width * height > MAX_PICTURE_PIXELS) {
        return Status::failure("the picture is " + size_text(width, height) + " pixels; at most " +
                               std::to_string(MAX_PICTURE_PIXELS / 1'000'000) + " megapixels are accepted");
    }
    return Status::success();
}

int jpeg_scale_denominator(int width, int height, CoverSize cover) {
    if (cover.width <= 0 || cover.height <= 0) return 1;
    // The decoder rounds a scaled side up.
    const auto covers = [&](int denominator) {
        return (width + denominator - 1) / denominator >= cover.width &&
               (height + denominator - 1) / denominator >= cover.height;
    };
    for (const int denominator : {8, 4, 2})
        if (covers(denominator)) return denominator;
    return 1;
}

Result<Picture> decode_picture(std::span<const std::uint8_t> bytes, const std::string& name, CoverSize cover) {
    if (bytes.empty()) return {Status::failure(name + ": the file is empty, not a picture"), {}};
    Result<Picture> decoded;
    try {
        const bool png = starts_with(bytes, PNG_SIGNATURE);
        if (!png && !starts_with(bytes, JPEG_SIGNATURE))
            return {Status::failure(name + ": not a PNG or JPEG picture; only those two formats are accepted"), {}};
        decoded.status = png ? check_png_structure(bytes) : check_jpeg_structure(bytes);
        if (decoded) decoded = png ? decode_png(bytes) : decode_jpeg(bytes, cover);
    } catch (const std::bad_alloc&) {
        return {Status::failure(name + ": not enough memory to decode the picture"), {}};
    }
    if (!decoded) decoded.status.message = name + ": " + decoded.status.message;
    return decoded;
}

} // namespace kessra::texture
