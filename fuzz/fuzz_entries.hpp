// What each fuzz target does with one input. Shared by the libFuzzer targets
// and by the tests that replay the regression corpus.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kessra::fuzzing {

// The input is a whole image: header, table and, where it reaches them, the
// rest; it is read, checked and printed in both forms.
void inspect_one(std::span<const std::uint8_t> input);

// Byte 0 picks the blob (mod 7), byte 1 how the rest makes it: laid over the
// start of the built-in blob, laid over the program's patch points, or taken
// as the whole blob. The blob is checked and compared with the built-in one.
void check_payload_one(std::span<const std::uint8_t> input);

// The input is a picture file; it is decoded whole, and scaled to cover the
// banner's size.
void decode_picture_one(std::span<const std::uint8_t> input);

// A few inputs of each kind, for the seed corpus.
std::vector<std::vector<std::uint8_t>> inspect_seeds();
std::vector<std::vector<std::uint8_t>> payload_seeds();
std::vector<std::vector<std::uint8_t>> picture_seeds();

} // namespace kessra::fuzzing
