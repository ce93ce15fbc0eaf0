// Small disc images made in memory for the reader's tests: a header whose
// words point at a table built from the given entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kessra::testing {

struct FixtureEntry {
    bool directory;
    std::string name;
    std::uint32_t word1; // data offset, or parent
    std::uint32_t word2; // length, or next index
};

inline constexpr std::uint32_t FIXTURE_FST_OFFSET = 0x440;

// An image of `image_size` bytes: disc id, magic, label, the header words and
// the table (the root first, then `entries`) at FIXTURE_FST_OFFSET. Each
// file's bytes are filled with its index, where they fit.
std::vector<std::uint8_t> make_fixture_image(const std::vector<FixtureEntry>& entries, std::uint32_t image_size);

void put_word(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

} // namespace kessra::testing
