// Runs a handheld ROM headless, through our core or through the reference
// emulator (Debian's libmgba, where the build found it), for a number of
// frames under a key schedule, and compares the pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace emu_harness {

constexpr std::size_t kWidth = 240;
constexpr std::size_t kHeight = 160;

// One picture, a 15-bit colour per pixel (red in bits 0-4, green 5-9, blue
// 10-14), row after row.
struct Frame {
    std::vector<uint16_t> pixels = std::vector<uint16_t>(kWidth * kHeight, 0);
};

// The keys held from a frame on (Key bits of the core, set = pressed).
struct KeyStep {
    uint32_t frame = 0;
    uint16_t keys = 0;
};

// Which keys are held during each frame: the last step at or before the
// frame's number; no key before the first step.
struct KeySchedule {
    std::vector<KeyStep> steps;
    uint16_t keys_at(uint32_t frame) const;
};

// "FRAME:KEY+KEY,FRAME:..." (keys A B SELECT START RIGHT LEFT UP DOWN R L,
// none for an empty list), in increasing frame order; nullopt when malformed.
std::optional<KeySchedule> parse_key_schedule(std::string_view text);

// What a run leaves after the given number of frames.
struct Snapshot {
    uint32_t frames = 0;
    Frame frame;
    std::vector<uint8_t> ewram_head; // the first kEwramHead bytes of EWRAM
};
constexpr std::size_t kEwramHead = 0x1000;

// Runs up to the largest of `at` frames (each > 0) and takes a snapshot
// after each of them, in the order given; nullopt when the ROM is refused.
std::optional<std::vector<Snapshot>> run_ours(std::span<const uint8_t> rom, std::span<const uint32_t> at,
                                              const KeySchedule& keys);
std::optional<std::vector<Snapshot>> run_reference(std::span<const uint8_t> rom, std::span<const uint32_t> at,
                                                   const KeySchedule& keys);
// Whether run_reference can run anything in this build.
bool reference_available();

// The sound of a run: interleaved stereo frames (left, right), signed 16-bit,
// `rate` frames a second.
struct Sound {
    uint32_t rate = 0;
    std::vector<int16_t> samples;
    std::size_t frames() const { return samples.size() / 2; }
};
// Runs `frames` frames with no key held and keeps all the sound; nullopt
// when the ROM is refused.
std::optional<Sound> sound_ours(std::span<const uint8_t> rom, uint32_t frames, uint32_t rate);
std::optional<Sound> sound_reference(std::span<const uint8_t> rom, uint32_t frames, uint32_t rate);

struct PixelDifference {
    uint32_t x = 0;
    uint32_t y = 0;
    uint16_t ours = 0;
    uint16_t theirs = 0;
};
struct FrameDifference {
    std::size_t count = 0;              // pixels that differ
    std::vector<PixelDifference> first; // the first of them, in reading order
    bool same() const { return count == 0; }
    // "N pixels differ" and the first of them, "(x,y): ours 0x.., <theirs> 0x..".
    std::string describe(const char* theirs = "reference") const;
};
// Compares the top five bits of each colour channel (all a 15-bit colour
// holds), reporting up to `report` differing pixels.
FrameDifference compare_frames(const Frame& ours, const Frame& theirs, std::size_t report = 8);

// Files: the whole file, or nullopt; pictures as PNG (8-bit RGB, the 15-bit
// colours widened), read back to 15 bits.
std::optional<std::vector<uint8_t>> read_file(const std::string& path);
bool write_png(const Frame& frame, const std::string& path);
std::optional<Frame> read_png(const std::string& path);

// Little-endian word of a snapshot's EWRAM head, 0 past its end.
uint32_t ewram_word(const Snapshot& snapshot, std::size_t offset);

} // namespace emu_harness
