#include "harness.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "texture/picture_file.hpp"
#include "texture/png_file.hpp"

namespace emu_harness {

namespace {

struct KeyName {
    std::string_view name;
    uint16_t bit;
};
constexpr std::array<KeyName, 10> kKeyNames{{
    {"A", 1u << 0},
    {"B", 1u << 1},
    {"SELECT", 1u << 2},
    {"START", 1u << 3},
    {"RIGHT", 1u << 4},
    {"LEFT", 1u << 5},
    {"UP", 1u << 6},
    {"DOWN", 1u << 7},
    {"R", 1u << 8},
    {"L", 1u << 9},
}};

std::optional<uint16_t> parse_keys(std::string_view text) {
    uint16_t keys = 0;
    while (!text.empty()) {
        std::size_t plus = text.find('+');
        std::string_view name = text.substr(0, plus);
        bool found = false;
        for (const KeyName& key : kKeyNames) {
            if (key.name == name) {
                keys = static_cast<uint16_t>(keys | key.bit);
                found = true;
            }
        }
        if (!found) return std::nullopt;
        if (plus == std::string_view::npos) break;
        text.remove_prefix(plus + 1);
        if (text.empty()) return std::nullopt;
    }
    return keys;
}

} // namespace

uint16_t KeySchedule::keys_at(uint32_t frame) const {
    uint16_t keys = 0;
    for (const KeyStep& step : steps) {
        if (step.frame > frame) break;
        keys = step.keys;
    }
    return keys;
}

std::optional<KeySchedule> parse_key_schedule(std::string_view text) {
    KeySchedule schedule;
    while (!text.empty()) {
        std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        std::size_t colon = item.find(':');
        if (colon == std::string_view::npos || colon == 0) return std::nullopt;
        KeyStep step;
        auto [end, error] = std::from_chars(item.data(), item.data() + colon, step.frame);
        if (error != std::errc() || end != item.data() + colon) return std::nullopt;
        std::optional<uint16_t> keys = parse_keys(item.substr(colon + 1));
        if (!keys) return std::nullopt;
        step.keys = *keys;
        if (!schedule.steps.empty() && schedule.steps.back().frame >= step.frame) return std::nullopt;
        schedule.steps.push_back(step);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
        if (text.empty()) return std::nullopt;
    }
    return schedule;
}

std::string FrameDifference::describe(const char* theirs) const {
    if (count == 0) return "the frames are the same";
    std::string text = std::to_string(count) + " pixels differ";
    for (const PixelDifference& pixel : first) {
        char line[128];
        std::snprintf(line, sizeof line, "\n  (%u,%u): ours 0x%04X, %s 0x%04X", pixel.x, pixel.y,
                      static_cast<unsigned>(pixel.ours), theirs, static_cast<unsigned>(pixel.theirs));
        text += line;
    }
    return text;
}

FrameDifference compare_frames(const Frame& ours, const Frame& theirs, std::size_t report) {
    FrameDifference difference;
    for (std::size_t i = 0; i < kWidth * kHeight; ++i) {
        uint16_t a = static_cast<uint16_t>(ours.pixels[i] & 0x7FFF);
        uint16_t b = static_cast<uint16_t>(theirs.pixels[i] & 0x7FFF);
        if (a == b) continue;
        if (difference.first.size() < report)
            difference.first.push_back({static_cast<uint32_t>(i % kWidth), static_cast<uint32_t>(i / kWidth), a, b});
        ++difference.count;
    }
    return difference;
}

std::optional<std::vector<uint8_t>> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return bytes;
}

namespace {

kessra::texture::Picture picture_of(const Frame& frame) {
    kessra::texture::Picture picture =
        kessra::texture::make_picture(static_cast<int>(kWidth), static_cast<int>(kHeight));
    for (std::size_t i = 0; i < kWidth * kHeight; ++i) {
        const uint16_t c = frame.pixels[i];
        uint8_t channels[3];
        for (std::size_t channel = 0; channel < 3; ++channel) {
            const unsigned five = (c >> (5 * channel)) & 0x1Fu;
            channels[channel] = static_cast<uint8_t>((five << 3) | (five >> 2));
        }
        picture.pixels[i] = {channels[0], channels[1], channels[2], 255};
    }
    return picture;
}

} // namespace

bool write_png(const Frame& frame, const std::string& path) {
    const kessra::texture::Bytes png = kessra::texture::encode_png(picture_of(frame), false);
    if (png.empty()) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

std::optional<Frame> read_png(const std::string& path) {
    std::optional<std::vector<uint8_t>> file = read_file(path);
    if (!file) return std::nullopt;
    kessra::Result<kessra::texture::Picture> picture = kessra::texture::decode_picture(*file, path);
    if (!picture || picture.value.width != static_cast<int>(kWidth) ||
        picture.value.height != static_cast<int>(kHeight))
        return std::nullopt;
    Frame frame;
    for (std::size_t i = 0; i < kWidth * kHeight; ++i) {
        const kessra::texture::Rgba p = picture.value.pixels[i];
        const unsigned r = p.r >> 3u, g = p.g >> 3u, b = p.b >> 3u;
        frame.pixels[i] = static_cast<uint16_t>(r | (g << 5) | (b << 10));
    }
    return frame;
}

uint32_t ewram_word(const Snapshot& snapshot, std::size_t offset) {
    if (offset > snapshot.ewram_head.size() || snapshot.ewram_head.size() - offset < 4) return 0;
    const uint8_t* p = snapshot.ewram_head.data() + offset;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace emu_harness
