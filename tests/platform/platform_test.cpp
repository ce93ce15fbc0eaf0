#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/dir_listing.hpp"
#include "platform/file_io.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

using testing::ScratchDir;

TEST(RomExtension, MatchesGbaInAnyCaseOnly) {
    const struct {
        const char* name;
        bool matches;
    } cases[] = {{"a.gba", true}, {"B.GBA", true}, {"c.GbA", true},      {".gba", true},   {"x.gbax", false},
                 {"x.gb", false}, {"gba", false},  {"x.gba.txt", false}, {"x.agb", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(has_rom_extension(c.name), c.matches) << c.name;
}

TEST(NtfsOrder, FoldsLowerCaseOnlyAndBreaksTiesByBytes) {
    std::vector<std::string> names = {"b.gba",  "_x.gba",  "A.gba",   "a.gba",        "Zeta.gba", "zeta 2.gba",
                                      "ab.gba", "a b.gba", "[1].gba", "\xc3\xa9.gba", "Z.gba"};
    std::sort(names.begin(), names.end(), [](const auto& x, const auto& y) { return ntfs_name_less(x, y); });
    // '_' (0x5F) and '[' (0x5B) sort after the upper-cased letters; bytes above 0x7F last.
    const std::vector<std::string> expected = {"a b.gba",    "A.gba",    "a.gba",   "ab.gba", "b.gba",       "Z.gba",
                                               "zeta 2.gba", "Zeta.gba", "[1].gba", "_x.gba", "\xc3\xa9.gba"};
    EXPECT_EQ(names, expected);
}

TEST(DirectoryListing, ListsMatchesInNtfsOrderWithSizes) {
    ScratchDir dir;
    testing::write_sparse_file(dir.file("b.gba"), 4194304);
    testing::write_sparse_file(dir.file("A.GBA"), 8388608);
    testing::write_sparse_file(dir.file("notes.txt"), 10);
    testing::write_sparse_file(dir.file("c.gbax"), 10);
    std::filesystem::create_directory(dir.path() / "dir.gba");
#ifndef _WIN32
    std::filesystem::create_symlink(dir.file("b.gba"), dir.file("link.gba"));
    std::filesystem::create_symlink(dir.file("missing"), dir.file("dangling.gba"));
    std::filesystem::create_symlink(dir.file("loop.gba"), dir.file("loop.gba"));
#endif

    const auto listing = list_rom_files(dir.path().string());
    ASSERT_TRUE(listing.status) << listing.status.message;
    std::vector<std::pair<std::string, std::uint64_t>> got;
    for (const auto& entry : listing.value) got.emplace_back(entry.name, entry.size);
#ifdef _WIN32
    // The search gives the order of the file system (NTFS and wine: by name).
    const std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"A.GBA", 8388608}, {"b.gba", 4194304}, {"dir.gba", 0}};
#else
    const std::vector<std::pair<std::string, std::uint64_t>> expected = {{"A.GBA", 8388608},    {"b.gba", 4194304},
                                                                         {"dangling.gba", 0},   {"dir.gba", 0},
                                                                         {"link.gba", 4194304}, {"loop.gba", 0}};
#endif
    EXPECT_EQ(got, expected);

    // Size 0 for want of a file carries the reason; a file, linked or not, none.
    std::map<std::string, std::string> problems;
    for (const auto& entry : listing.value) problems[entry.name] = entry.problem;
    EXPECT_EQ(problems["A.GBA"], "");
    EXPECT_EQ(problems["dir.gba"], "is a folder");
#ifndef _WIN32
    EXPECT_EQ(problems["link.gba"], "");
    EXPECT_EQ(problems["dangling.gba"], std::strerror(ENOENT));
    EXPECT_EQ(problems["loop.gba"], std::strerror(ELOOP));
#endif
}

TEST(DirectoryListing, ReportsDirectoryThatCannotBeRead) {
    ScratchDir dir;
    const std::string missing = dir.file("no-such-folder");
    const auto listing = list_rom_files(missing);
    EXPECT_FALSE(listing.status);
    EXPECT_NE(listing.status.message.find(missing), std::string::npos);
    EXPECT_TRUE(listing.value.empty());
}

TEST(DirectoryListing, ReportsFullSizeBeyondFourGiB) {
    ScratchDir dir;
    testing::write_sparse_file(dir.file("huge.gba"), 4294967296ull + 4194304);
    const auto listing = list_rom_files(dir.path().string());
    ASSERT_EQ(listing.value.size(), 1u);
    EXPECT_EQ(listing.value[0].size, 4294967296ull + 4194304);
}

TEST(Paths, JoinAndLastComponent) {
    const std::string sep(1, PATH_SEPARATOR);
    EXPECT_EQ(join_always("roms", "a.gba"), "roms" + sep + "a.gba");
    EXPECT_EQ(join_always("roms" + sep, "a.gba"), "roms" + sep + sep + "a.gba");
    EXPECT_EQ(join_path("roms" + sep, "a.gba"), "roms" + sep + "a.gba");
    EXPECT_EQ(last_component("x" + sep + "y" + sep + "POKEYQ~1.GBA"), "POKEYQ~1.GBA");
    EXPECT_EQ(last_component("plain.gba"), "plain.gba");
}

TEST(FileIo, CreateRefusesExistingFileAndNamesIt) {
    ScratchDir dir;
    testing::write_text_file(dir.file("taken"), "old");
    const auto created = create_new_file(dir.file("taken"), "shown-name", FileMode::binary);
    EXPECT_FALSE(created);
    EXPECT_EQ(created.status.message.rfind("shown-name: creating failed: ", 0), 0u) << created.status.message;
    EXPECT_EQ(testing::read_text(dir.file("taken")), "old");
}

TEST(FileIo, AppendCopiesTheFileStartAndItsHead) {
    ScratchDir dir;
    std::string source_text;
    for (int i = 0; i < 300000; ++i) source_text += static_cast<char>('a' + i % 23);
    testing::write_text_file(dir.file("rom.gba"), source_text);
    auto created = create_new_file(dir.file("img"), "img", FileMode::binary);
    ASSERT_TRUE(created);
    const std::vector<std::uint8_t> lead = {'<', '>'};
    ASSERT_TRUE(write_bytes(created.value, lead));
    std::array<std::uint8_t, 8> head{};
    ASSERT_TRUE(append_file_start(created.value, dir.file("rom.gba"), 200000, head));
    EXPECT_EQ(std::string(head.begin(), head.end()), "abcdefgh");
    EXPECT_EQ(file_position(created.value).value, 200002u);
    ASSERT_TRUE(write_bytes(created.value, lead));
    ASSERT_TRUE(close_file(created.value));
    EXPECT_EQ(testing::read_text(dir.file("img")), "<>" + source_text.substr(0, 200000) + "<>");
}

TEST(FileIo, AppendOfAShortOrMissingFileFailsNamingIt) {
    ScratchDir dir;
    testing::write_sparse_file(dir.file("short.gba"), 100);
    auto created = create_new_file(dir.file("img"), "img", FileMode::binary);
    ASSERT_TRUE(created);
    std::array<std::uint8_t, 0xC0> head{};
    const Status shorter = append_file_start(created.value, dir.file("short.gba"), 200, head);
    EXPECT_FALSE(shorter);
    EXPECT_NE(shorter.message.find("short.gba"), std::string::npos);
    EXPECT_EQ(shorter.message, dir.file("short.gba") + ": changed size during the build");
    const Status missing = append_file_start(created.value, dir.file("absent.gba"), 200, head);
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.message.find("absent.gba"), std::string::npos);
    abandon_file(created.value);
}

TEST(FileIo, ExtendWritesZerosAndSeeksBackWork) {
    ScratchDir dir;
    auto created = create_new_file(dir.file("img"), "img", FileMode::binary);
    ASSERT_TRUE(created);
    File& file = created.value;
    const std::vector<std::uint8_t> head = {1, 2, 3, 4, 5};
    ASSERT_TRUE(write_bytes(file, head));
    ASSERT_TRUE(extend_to(file, 10000));
    EXPECT_EQ(file_position(file).value, 10000u);
    ASSERT_TRUE(seek_to(file, 1));
    const std::vector<std::uint8_t> patch = {9};
    ASSERT_TRUE(write_bytes(file, patch));
    ASSERT_TRUE(close_file(file));
    const auto bytes = testing::read_bytes(dir.file("img"));
    ASSERT_EQ(bytes.size(), 10000u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 9);
    EXPECT_EQ(bytes[4], 5);
    EXPECT_TRUE(std::all_of(bytes.begin() + 5, bytes.end(), [](auto b) { return b == 0; }));
}

TEST(FileIo, SameFileFollowsLinksAndNeedsBothToExist) {
    ScratchDir dir;
    testing::write_text_file(dir.file("a.gba"), "x");
    testing::write_text_file(dir.file("c.iso"), "x");
#ifdef _WIN32
    // Another spelling of the same path: names are matched without case.
    EXPECT_TRUE(same_file(dir.file("a.gba"), dir.file("A.GBA")));
    EXPECT_TRUE(same_file(dir.file("a.gba"), (dir.path() / "." / "a.gba").string()));
#else
    std::filesystem::create_symlink(dir.file("a.gba"), dir.file("b.iso"));
    EXPECT_TRUE(same_file(dir.file("a.gba"), dir.file("b.iso")));
#endif
    EXPECT_FALSE(same_file(dir.file("a.gba"), dir.file("c.iso")));
    EXPECT_FALSE(same_file(dir.file("a.gba"), dir.file("missing.iso")));
}

} // namespace
} // namespace kessra
