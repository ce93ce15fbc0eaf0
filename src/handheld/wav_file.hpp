// The run's sound as a WAV file: 16-bit signed stereo PCM.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kessra::handheld {

// The sample rate a run's sound is recorded at: the handheld's own.
constexpr std::uint32_t SOUND_RATE = 32768;
// The most frames a run records sound for (an hour; about 470 MB of WAV).
constexpr std::uint32_t MAX_SOUND_FRAMES = 216000;

// A complete WAV file (RIFF header, "fmt " and "data" chunks) holding the
// interleaved left/right samples at `rate` frames a second.
std::vector<std::uint8_t> encode_wav(std::span<const std::int16_t> samples, std::uint32_t rate);

} // namespace kessra::handheld
