#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "platform/file_copy.hpp"
#include "platform/file_io.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

using testing::ScratchDir;

std::vector<std::uint8_t> patterned_bytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

void write_binary_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    ASSERT_EQ(std::fclose(file), 0);
}

// The image already holds `filled` bytes, still in its stream's buffer, when
// the first `length` bytes of the source are copied to `offset`: before,
// inside or past what is there, on and off the copy buffer's boundaries.
TEST(FileCopy, CopiesTheSourceStartToAnyOffset) {
    constexpr std::uint64_t B = COPY_BUFFER_SIZE;
    const struct {
        std::uint64_t filled, offset, length;
    } cases[] = {
        {0, 0, 1},
        {2048, 2048, 0xC0},
        {2048, 2048, 3 * B + 5},
        {B - 1, B - 1, B + 1},
        {B + 2048, B + 2048, 2 * B},
        {0, 0, B},
        {100, 5000, 300},        // past the end: a gap of zeros
        {3 * B, 1000, B + 7000}, // over bytes already written: the rest stays
        {3000, 1000, 5000},      // over bytes still in the buffer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("filled " + std::to_string(c.filled) + ", offset " + std::to_string(c.offset) + ", length " +
                     std::to_string(c.length));
        ScratchDir dir;
        const auto source = patterned_bytes(static_cast<std::size_t>(c.length + 100));
        write_binary_file(dir.file("rom.gba"), source);
        auto created = create_new_file(dir.file("img"), "img", FileMode::binary);
        ASSERT_TRUE(created);
        File& image = created.value;
        const std::vector<std::uint8_t> earlier(static_cast<std::size_t>(c.filled), 0xEE);
        ASSERT_TRUE(write_bytes(image, earlier));

        std::array<std::uint8_t, 0xC0> head{};
        const Status copied = copy_file_at(image, dir.file("rom.gba"), c.offset, c.length, head);
        ASSERT_TRUE(copied) << copied.message;
        EXPECT_EQ(file_position(image).value, c.offset + c.length);
        ASSERT_TRUE(close_file(image));

        std::vector<std::uint8_t> expected = earlier;
        expected.resize(static_cast<std::size_t>(std::max(c.filled, c.offset + c.length)), 0);
        std::copy_n(source.begin(), c.length, expected.begin() + static_cast<std::ptrdiff_t>(c.offset));
        EXPECT_TRUE(testing::read_bytes(dir.file("img")) == expected);
        const auto head_length = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(c.length, head.size()));
        EXPECT_TRUE(std::equal(head.begin(), head.begin() + head_length, source.begin()));
        EXPECT_TRUE(std::all_of(head.begin() + head_length, head.end(), [](auto b) { return b == 0; }));
    }
}

TEST(FileCopy, WriteFailureNamesTheImage) {
#ifdef _WIN32
    GTEST_SKIP() << "no device that is always full";
#else
    ScratchDir dir;
    write_binary_file(dir.file("rom.gba"), patterned_bytes(3000));
    File full{std::fopen("/dev/full", "r+b"), "disc.iso"};
    ASSERT_NE(full.handle, nullptr);
    std::array<std::uint8_t, 0xC0> head{};
    const Status copied = copy_file_at(full, dir.file("rom.gba"), 2048, 3000, head);
    abandon_file(full);
    EXPECT_FALSE(copied);
    EXPECT_EQ(copied.message.rfind("disc.iso: writing failed: ", 0), 0u) << copied.message;
#endif
}

} // namespace
} // namespace kessra
