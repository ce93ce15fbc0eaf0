// Payload sets taken from an existing image, and images that cannot serve.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "cli/run.hpp"
#include "disc_reader/byte_source.hpp"
#include "payload_checks/payload_files.hpp"
#include "payload_sources/payload_image.hpp"
#include "payload_sources/payload_test_paths.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::payload_path;
using testing::ScratchDir;
using Bytes = std::vector<std::uint8_t>;

using Outcome = testing::ToolRun;

// Seven ROMs, skin 3 and zoom 2: the menu and both settings are patched.
struct SevenRomImage {
    ScratchDir dir;
    std::string roms = dir.file("roms");
    std::string image = dir.file("seven.iso");
    Bytes bytes;

    SevenRomImage() {
        fs::create_directory(roms);
        for (int i = 0; i < 7; ++i) {
            const std::string name = std::string(1, static_cast<char>('a' + i));
            testing::write_rom(join_path(roms, name + ".gba"), 4 * 1024 * 1024, "game " + name);
        }
        bytes = build(image, {});
    }

    Bytes build(const std::string& path, std::vector<std::string> extra) {
        std::vector<std::string> args{"-o", path, "-d", roms, "-v", "SEVEN", "-ds", "3", "-dz", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = testing::run_tool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return testing::read_bytes(path);
    }
};

TEST(PayloadImage, TakenSetIsTheBuiltInSetAndBuildsTheSameImage) {
    SevenRomImage s;
    ASSERT_EQ(s.bytes[0x1DBE4C], '3');
    ASSERT_EQ(s.bytes[0x1D9E4C], '0');
    ASSERT_EQ(s.bytes[0x1D9E4E], '1');

    const std::string folder = s.dir.file("taken");
    const Outcome exported = testing::run_tool({"export-payloads", folder, "-payloads-from", s.image});
    ASSERT_EQ(exported.status, 0) << exported.err;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        const Blob builtin = payload_blob(builtin_payloads(), blob);
        EXPECT_EQ(testing::read_bytes(payload_path(folder, blob)), Bytes(builtin.begin(), builtin.end())) << blob;
    }
    EXPECT_EQ(s.build(s.dir.file("again.iso"), {"-PAYLOADS-FROM", s.image}), s.bytes);
}

TEST(PayloadImage, FolderFilesWinOverTheImage) {
    SevenRomImage s;
    const Blob builtin_banner = builtin_payloads().banner_blob;
    Bytes banner(builtin_banner.begin(), builtin_banner.end());
    banner[0x1820] = 'Z'; // the short title
    const std::string folder = s.dir.file("mine");
    testing::write_bytes_file(payload_path(folder, BANNER_BLOB), banner);

    const std::string out = s.dir.file("out");
    const Outcome exported =
        testing::run_tool({"export-payloads", out, "-payloads", folder, "-payloads-from", s.image});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(testing::read_bytes(payload_path(out, BANNER_BLOB)), banner);
    const Blob builtin_program = builtin_payloads().program_image;
    EXPECT_EQ(testing::read_bytes(payload_path(out, PROGRAM_BLOB)),
              Bytes(builtin_program.begin(), builtin_program.end()));
}

TEST(PayloadImage, ExtractedByWitBuildsTheSameImage) {
#ifdef _WIN32
    GTEST_SKIP() << "wit is not run under Windows";
#else
    if (std::system("wit --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "wit is not installed";
    SevenRomImage s;
    const std::string extracted = s.dir.file("extracted");
    ASSERT_EQ(std::system(("wit extract -q --pmode none '" + s.image + "' '" + extracted + "' >/dev/null").c_str()), 0);
    ASSERT_EQ(fs::file_size(payload_path(extracted, LOADER_BLOB)), APPLOADER_ANNOUNCED_SIZE);
    EXPECT_EQ(s.build(s.dir.file("rebuilt.iso"), {"-payloads", extracted}), s.bytes);
#endif
}

// Images that cannot serve are refused with a line naming the image and the
// reason; no file is written.
TEST(PayloadImage, MalformedImagesAreRefusedCleanly) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "alpha");
    ASSERT_EQ(testing::run_tool({"-o", dir.file("good.iso"), "-d", dir.file("roms"), "-v", "L"}).status, 0);
    const Bytes good = testing::read_bytes(dir.file("good.iso"));
    const testing::ReadImage read = testing::read_image(good);
    const std::size_t entries = read.fst_offset;
    const std::size_t strings = entries + read.entries.size() * 12;
    const auto entry_word = [&](std::size_t index, std::size_t word) { return entries + index * 12 + word * 4; };
    std::size_t skin1 = 0;
    while (read.entries[skin1].name != "F_01.tpl") ++skin1;
    const auto put_be32 = [](Bytes& bytes, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };

    const struct {
        const char* name;
        std::function<void(Bytes&)> spoil;
        const char* message;
    } cases[] = {
        {"truncated", [](Bytes& b) { b.resize(0x100000); }, "too short"},
        {"truncated in the table", [&](Bytes& b) { b.resize(entries + 20); }, "passes the end of the image"},
        {"program elsewhere", [&](Bytes& b) { put_be32(b, 0x420, 0x1D940); }, "program image offset at 0x420"},
        {"entry past the end", [&](Bytes& b) { put_be32(b, entry_word(skin1, 1), 0xFFFFF000); },
         "F_01.tpl (544832 bytes at 0xFFFFF000) passes the end"},
        {"string outside the table", [&](Bytes& b) { put_be32(b, entry_word(skin1, 0), 0x00FFFFF0); },
         "outside the string table"},
        {"2^31 entries", [&](Bytes& b) { put_be32(b, entry_word(0, 2), 0x80000000); },
         "the root claims 2147483648 entries"},
        {"skin missing", [&](Bytes& b) { b[strings + read.entries[skin1].name_offset + 3] = 'X'; },
         "F_01.tpl is not a file in the root"},
        {"banner of another length", [&](Bytes& b) { put_be32(b, entry_word(read.entries.size() - 1, 2), 0x1961); },
         "(opening.bnr): length at 0x0: expected 6496 bytes, found 6497 bytes"},
    };
    for (const auto& c : cases) {
        Bytes bad = good;
        c.spoil(bad);
        MemorySource source(bad, "bad.iso");
        Result<SourceRead> taken = read_image_payloads(source);
        const std::string message =
            taken ? (taken.value.problems.empty() ? "" : problem_line(taken.value.problems[0])) : taken.status.message;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
        EXPECT_EQ(message.rfind("bad.iso", 0), 0u) << c.name << ": " << message;

        testing::write_bytes_file(dir.file("bad.iso"), bad);
        const Outcome outcome =
            testing::run_tool({"export-payloads", dir.file("out"), "-payloads-from", dir.file("bad.iso")});
        EXPECT_EQ(outcome.status, 1) << c.name;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << c.name << ": " << outcome.err;
        EXPECT_FALSE(fs::exists(dir.file("out"))) << c.name;
    }
}

} // namespace
} // namespace kessra
