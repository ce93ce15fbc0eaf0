#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli/run.hpp"
#include "disc_reader/file_table.hpp"
#include "disc_reader/image_fixture.hpp"
#include "format/disc_format.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

using testing::FIXTURE_FST_OFFSET;
using testing::FixtureEntry;
using testing::put_word;

// root, "roms" (entries 1..2), "roms/b.gba", "index.000"; 69-byte table in an 8 KiB image.
std::vector<std::uint8_t> base_image() {
    return testing::make_fixture_image(
        {{true, "roms", 0, 3}, {false, "b.gba", 0x1000, 0x800}, {false, "index.000", 0x1800, 0x800}}, 0x2000);
}

struct Read {
    Status status;
    FileTable table;
};

Read read_all(const std::vector<std::uint8_t>& image) {
    MemorySource source(image, "test.iso");
    Result<DiscHeader> header = read_disc_header(source);
    if (!header) return {header.status, {}};
    Result<FileTable> table = read_file_table(source, header.value);
    return {table.status, std::move(table.value)};
}

TEST(DiscReader, ReadsHeaderAndTableWithFullPaths) {
    const auto image = base_image();
    MemorySource source(image, "test.iso");
    const Result<DiscHeader> header = read_disc_header(source);
    ASSERT_TRUE(header) << header.status.message;
    EXPECT_EQ(disc_id_text(header.value), "D89E01");
    EXPECT_EQ(header.value.magic, DISC_MAGIC);
    EXPECT_EQ(header.value.volume_label, "FIXTURE");
    EXPECT_EQ(header.value.fst_offset, FIXTURE_FST_OFFSET);
    EXPECT_EQ(header.value.fst_size, 69u);

    const Result<FileTable> table = read_file_table(source, header.value);
    ASSERT_TRUE(table) << table.status.message;
    ASSERT_EQ(table.value.entries.size(), 4u);
    EXPECT_EQ(table.value.string_table_start, 48u);
    const std::vector<std::string> paths = {"", "roms", "roms/b.gba", "index.000"};
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(table.value.entries[i].path, paths[i]);
    EXPECT_EQ(table.value.entries[2].enclosing, 1u);
    EXPECT_EQ(table.value.entries[3].enclosing, 0u);

    const DiscEntry* rom = find_entry(table.value, "roms/b.gba");
    ASSERT_NE(rom, nullptr);
    EXPECT_EQ(rom->offset, 0x1000u);
    EXPECT_EQ(rom->length, 0x800u);
    EXPECT_EQ(find_entry(table.value, "b.gba"), nullptr);
    const auto bytes = read_file(source, *rom, 0x800);
    ASSERT_TRUE(bytes) << bytes.status.message;
    EXPECT_EQ(bytes.value, std::vector<std::uint8_t>(0x800, 2));
    // A length above the caller's limit is refused before anything is allocated.
    EXPECT_FALSE(read_file(source, *rom, 0x7FF));
    EXPECT_FALSE(read_file(source, table.value.entries[1], 0x800)); // a folder
}

TEST(DiscReader, NestedDirectoriesGiveFullPaths) {
    const auto image = testing::make_fixture_image({{true, "a", 0, 5},
                                                    {true, "b", 1, 4},
                                                    {false, "c.bin", 0x1000, 4},
                                                    {false, "d.bin", 0x1004, 4},
                                                    {false, "e.bin", 0x1008, 4}},
                                                   0x2000);
    const Read read = read_all(image);
    ASSERT_TRUE(read.status) << read.status.message;
    const std::vector<std::string> paths = {"", "a", "a/b", "a/b/c.bin", "a/d.bin", "e.bin"};
    ASSERT_EQ(read.table.entries.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(read.table.entries[i].path, paths[i]);
    EXPECT_EQ(read.table.entries[4].enclosing, 1u);
}

std::size_t entry_at(std::size_t index) { return FIXTURE_FST_OFFSET + index * FST_ENTRY_SIZE; }

TEST(DiscReader, RefusesDamagedTablesWithThePlace) {
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"three bytes", [](auto& image) { image.resize(3); }, "too short for the disc header"},
        {"cut in the table", [](auto& image) { image.resize(FIXTURE_FST_OFFSET + 20); }, "passes the end of the image"},
        {"table past the end", [](auto& image) { put_word(image, HEADER_WORDS_OFFSET + 4, 0x1FF0); },
         "passes the end of the image"},
        {"table of 2^32-1 bytes", [](auto& image) { put_word(image, HEADER_WORDS_OFFSET + 8, 0xFFFFFFFF); },
         "larger than"},
        {"empty table", [](auto& image) { put_word(image, HEADER_WORDS_OFFSET + 8, 0); }, "too small"},
        {"2^31 entries", [](auto& image) { put_word(image, entry_at(0) + 8, 0x80000000); },
         "claims 2147483648 entries"},
        {"no entries", [](auto& image) { put_word(image, entry_at(0) + 8, 0); }, "claims 0 entries"},
        {"root is a file", [](auto& image) { put_word(image, entry_at(0), 0); }, "root entry is not a directory"},
        {"string offset past the string table", [](auto& image) { put_word(image, entry_at(3), 21); },
         "entry 3 (at 0x464): name offset 21 is outside the string table (21 bytes)"},
        {"last name unterminated", [](auto& image) { image[FIXTURE_FST_OFFSET + 68] = 'x'; },
         "is not terminated inside the string table"},
        {"unknown type", [](auto& image) { put_word(image, entry_at(2), 0x02000005); }, "unknown entry type 2"},
        {"directory range backwards", [](auto& image) { put_word(image, entry_at(1) + 8, 1); },
         "directory \"roms\" ends at entry 1"},
        {"directory range past its parent", [](auto& image) { put_word(image, entry_at(1) + 8, 5); }, "outside 2 to 4"},
    };
    for (const Case& test : cases) {
        auto image = base_image();
        test.damage(image);
        const Read read = read_all(image);
        ASSERT_FALSE(read.status) << test.what;
        EXPECT_NE(read.status.message.find(test.message), std::string::npos)
            << test.what << ": " << read.status.message;
        EXPECT_EQ(read.status.message.rfind("test.iso: ", 0), 0u) << read.status.message;
    }
}

TEST(DiscReader, RefusesOverlongNamesAndBoundsPaths) {
    const auto image = testing::make_fixture_image({{false, std::string(NAME_READ_LIMIT + 1, 'n'), 0x1000, 4}}, 0x2000);
    const Read read = read_all(image);
    ASSERT_FALSE(read.status);
    EXPECT_NE(read.status.message.find("longer than 255 bytes"), std::string::npos) << read.status.message;

    const auto fits = testing::make_fixture_image({{false, std::string(NAME_READ_LIMIT, 'n'), 0x1000, 4}}, 0x2000);
    EXPECT_TRUE(read_all(fits).status);
}

TEST(DiscReader, AFilePastTheEndIsListedButNotRead) {
    const auto image = testing::make_fixture_image({{false, "tail.bin", 0x1F00, 0x200}}, 0x2000);
    MemorySource source(image, "test.iso");
    const Read read = read_all(image);
    ASSERT_TRUE(read.status) << read.status.message;
    const auto bytes = read_file(source, read.table.entries[1], 0x10000);
    ASSERT_FALSE(bytes);
    EXPECT_NE(bytes.status.message.find("tail.bin (512 bytes at 0x1F00) passes the end"), std::string::npos)
        << bytes.status.message;
    std::vector<std::uint8_t> out(2);
    EXPECT_FALSE(source.read(0x1FFF, out));
    EXPECT_FALSE(source.read(UINT64_MAX, out));
    EXPECT_TRUE(source.read(0x1FFE, out));
}

TEST(DiscReader, FileSourceReadsABuiltImage) {
    testing::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    const std::string roms = dir.file("roms");
    testing::write_rom(join_path(roms, "b.gba"), 4 * 1024 * 1024, "mario");
    const std::string image_path = dir.file("out.iso");
    const testing::ToolRun built = testing::run_tool({"-o", image_path, "-d", roms, "-v", "READER"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;

    Result<std::unique_ptr<ByteSource>> source = open_file_source(image_path);
    ASSERT_TRUE(source) << source.status.message;
    EXPECT_EQ(source.value->size(), 0x806000u);
    const Result<DiscHeader> header = read_disc_header(*source.value);
    ASSERT_TRUE(header);
    EXPECT_EQ(header.value.volume_label, "READER");
    EXPECT_EQ(header.value.program_image_offset, PROGRAM_IMAGE_OFFSET);
    const Result<FileTable> table = read_file_table(*source.value, header.value);
    ASSERT_TRUE(table) << table.status.message;
    EXPECT_EQ(table.value.entries.size(), 9u);
    const DiscEntry* banner = find_entry(table.value, "opening.bnr");
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->offset, 0x804000u);
    const auto rom = read_file(*source.value, *find_entry(table.value, "roms/b.gba"), 16 * 1024 * 1024);
    ASSERT_TRUE(rom);
    EXPECT_EQ(rom.value, testing::read_bytes(join_path(roms, "b.gba")));

    EXPECT_FALSE(open_file_source(dir.file("missing.iso")));
    const auto folder = open_file_source(roms);
    ASSERT_FALSE(folder);
    EXPECT_NE(folder.status.message.find("is a folder"), std::string::npos);
}

} // namespace
} // namespace kessra
