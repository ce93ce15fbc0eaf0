#include "handheld/wav_file.hpp"

namespace kessra::handheld {

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put_tag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

} // namespace

std::vector<std::uint8_t> encode_wav(std::span<const std::int16_t> samples, std::uint32_t rate) {
    constexpr std::uint32_t channels = 2, bytes_per_sample = 2;
    const std::uint32_t data_bytes =
        static_cast<std::uint32_t>(samples.size() / channels * channels * bytes_per_sample);
    std::vector<std::uint8_t> out;
    out.reserve(44 + data_bytes);
    put_tag(out, "RIFF");
    put32(out, 36 + data_bytes);
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, channels);
    put32(out, rate);
    put32(out, rate * channels * bytes_per_sample);
    put16(out, channels * bytes_per_sample);
    put16(out, 8 * bytes_per_sample);
    put_tag(out, "data");
    put32(out, data_bytes);
    for (std::size_t i = 0; i < data_bytes / bytes_per_sample; ++i) put16(out, static_cast<std::uint16_t>(samples[i]));
    return out;
}

} // namespace kessra::handheld
