#include "texture/picture_file.hpp"

#include <climits>
#include <cstring>
#include <memory>
#include <optional>

#include <stb_image.h>

namespace kessra::texture {

namespace {

std::string reason() {
    const char* why = stbi_failure_reason();
    return why != nullptr ? why : "unknown fault";
}

std::uint32_t be16(std::span<const std::uint8_t> b, std::size_t at) { return std::uint32_t{b[at]} << 8 | b[at + 1]; }
std::uint32_t le16(std::span<const std::uint8_t> b, std::size_t at) { return std::uint32_t{b[at + 1]} << 8 | b[at]; }
std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t at) { return be16(b, at) << 16 | be16(b, at + 2); }
std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) { return le16(b, at + 2) << 16 | le16(b, at); }

struct ClaimedSize {
    bool known = false;
    std::int64_t width = 0, height = 0;
};

// The size a PNG, GIF, BMP or JPEG header claims. Only used to word the
// message when the library refuses a file: it refuses pictures too large for
// it to decode, or without pixels, without saying which.
ClaimedSize claimed_size(std::span<const std::uint8_t> b) {
    static constexpr std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 24 && std::memcmp(b.data(), png, 8) == 0 && std::memcmp(&b[12], "IHDR", 4) == 0)
        return {true, be32(b, 16), be32(b, 20)};
    if (b.size() >= 10 && std::memcmp(b.data(), "GIF8", 4) == 0) return {true, le16(b, 6), le16(b, 8)};
    if (b.size() >= 26 && b[0] == 'B' && b[1] == 'M') {
        const auto height = static_cast<std::int32_t>(le32(b, 22));
        return {true, static_cast<std::int32_t>(le32(b, 18)), height < 0 ? -std::int64_t{height} : height};
    }
    if (b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8) {
        for (std::size_t at = 2; at + 9 <= b.size() && b[at] == 0xFF;) {
            const std::uint8_t marker = b[at + 1];
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
                return {true, be16(b, at + 7), be16(b, at + 5)};
            at += 2 + be16(b, at + 2);
        }
    }
    return {};
}

std::string size_text(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// The refusal of a picture with no pixels or too many, or nothing.
std::optional<std::string> size_problem(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return "the picture has no pixels (" + size_text(width, height) + ")";
    if (width > MAX_PICTURE_SIDE || height > MAX_PICTURE_SIDE)
        return "the picture is " + size_text(width, height) + " pixels; at most " + std::to_string(MAX_PICTURE_SIDE) +
               " on a side is accepted";
    return std::nullopt;
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
        if (const ClaimedSize claimed = claimed_size(bytes); claimed.known)
            if (auto problem = size_problem(claimed.width, claimed.height)) return {Status::failure(name + ": " + *problem), {}};
        return {Status::failure(name + ": not a PNG, JPEG, BMP, GIF or TGA picture, or damaged (" + why + ")"), {}};
    }
    if (auto problem = size_problem(width, height)) return {Status::failure(name + ": " + *problem), {}};
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
