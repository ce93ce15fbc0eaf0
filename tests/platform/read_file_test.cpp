// Reading existing files: every way in closes what it opened, on success and
// on refusal alike, and the size limits hold at their edges.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/file_copy.hpp"
#include "platform/file_io.hpp"
#include "platform/read_file.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

// The descriptors this process holds, where the host lists them. A Windows
// program under wine would see the wine process's own descriptors there.
long open_descriptors() {
#ifdef _WIN32
    return -1;
#endif
    std::error_code error;
    long count = 0;
    for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) ++count;
    return error ? -1 : count;
}

TEST(FileOwnership, EveryReaderClosesWhatItOpened) {
    if (open_descriptors() < 0) GTEST_SKIP() << "no /proc/self/fd to count open files";
    ScratchDir dir;
    testing::write_text_file(dir.file("ten.bin"), "0123456789");
    const std::string path = dir.file("ten.bin");
    const struct {
        const char* what;
        std::function<bool()> read; // whether the read succeeded
    } cases[] = {
        {"whole file", [&] { return bool(read_whole_file(path, 10)); }},
        {"whole file over the limit", [&] { return bool(read_whole_file(path, 9)); }},
        {"small file", [&] { return bool(read_small_file(path, 10)); }},
        {"small file over the limit", [&] { return read_small_file(path, 4).value.bytes.empty(); }},
        {"identity", [&] { return bool(regular_file_identity(path)); }},
        {"read at offsets", [&] { return bool(open_read_file(path)); }},
        {"source shorter than wanted", [&] { return bool(open_source(path, 11)); }},
        {"regular file", [&] { return bool(open_regular_file(path)); }},
    };
    const bool expected[] = {true, false, true, true, true, true, false, true};
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        const long before = open_descriptors();
        for (int i = 0; i < 50; ++i) ASSERT_EQ(cases[c].read(), expected[c]) << cases[c].what;
        EXPECT_EQ(open_descriptors(), before) << cases[c].what;
    }
}

TEST(FileOwnership, MovingHandsTheHandleOverAndAssignmentClosesTheOld) {
    if (open_descriptors() < 0) GTEST_SKIP() << "no /proc/self/fd to count open files";
    ScratchDir dir;
    testing::write_text_file(dir.file("a"), "a");
    testing::write_text_file(dir.file("b"), "b");
    const long before = open_descriptors();
    {
        Result<File> a = open_regular_file(dir.file("a"));
        ASSERT_TRUE(a);
        File moved = std::move(a.value);
        EXPECT_EQ(a.value.handle, nullptr);
        EXPECT_EQ(moved.name, dir.file("a"));
        EXPECT_EQ(open_descriptors(), before + 1);
        Result<File> b = open_regular_file(dir.file("b"));
        ASSERT_TRUE(b);
        EXPECT_EQ(open_descriptors(), before + 2);
        moved = std::move(b.value); // "a" is closed here
        EXPECT_EQ(open_descriptors(), before + 1);
        const auto bytes = read_open_file(moved, 1);
        ASSERT_TRUE(bytes) << bytes.status.message;
        EXPECT_EQ(bytes.value, std::vector<std::uint8_t>{'b'});
    }
    EXPECT_EQ(open_descriptors(), before);
}

TEST(WholeFiles, LimitsAndRefusalsNameTheFile) {
    ScratchDir dir;
    testing::write_text_file(dir.file("four"), "abcd");
    fs::create_directory(dir.path() / "folder");
    const struct {
        std::string path;
        std::uint64_t limit;
        bool ok;
        std::string message; // the start of it
    } cases[] = {
        {dir.file("four"), 4, true, ""},
        {dir.file("four"), 3, false, dir.file("four") + ": the file is 4 bytes; at most 3 are accepted"},
        {dir.file("folder"), 10, false, dir.file("folder") + ": is a directory, not a file"},
        {dir.file("missing"), 10, false, dir.file("missing") + ": opening failed: "},
    };
    for (const auto& c : cases) {
        const auto read = read_whole_file(c.path, c.limit);
        EXPECT_EQ(bool(read), c.ok) << c.path;
        EXPECT_EQ(read.status.message.rfind(c.message, 0), 0u) << read.status.message;
        if (c.ok) {
            EXPECT_EQ(read.value.size(), 4u);
        }
    }
}

TEST(WholeFiles, SmallFileMissingOrTooLongIsNoFailure) {
    ScratchDir dir;
    testing::write_text_file(dir.file("four"), "abcd");
    fs::create_directory(dir.path() / "folder");
    const auto missing = read_small_file(dir.file("missing"), 4);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing.value.exists);
    const auto fits = read_small_file(dir.file("four"), 4);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits.value.bytes, (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
    const auto longer = read_small_file(dir.file("four"), 3);
    ASSERT_TRUE(longer);
    EXPECT_TRUE(longer.value.exists);
    EXPECT_EQ(longer.value.size, 4u);
    EXPECT_TRUE(longer.value.bytes.empty());
    const auto folder = read_small_file(dir.file("folder"), 4);
    EXPECT_FALSE(folder);
    EXPECT_EQ(folder.status.message, dir.file("folder") + ": not a regular file");
}

} // namespace
} // namespace kessra
