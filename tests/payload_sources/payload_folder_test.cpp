// Payload sets from a folder: export, build with them, refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/options.hpp"
#include "cli/run.hpp"
#include "payload_checks/payload_files.hpp"
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

// A ROM folder of two and the image that the built-in set gives for it.
struct Fixture {
    ScratchDir dir;
    std::string roms = dir.file("roms");
    Bytes builtin_image;

    Fixture() {
        fs::create_directory(roms);
        testing::write_rom(join_path(roms, "a.gba"), 4 * 1024 * 1024, "alpha");
        testing::write_rom(join_path(roms, "b.gba"), 4 * 1024 * 1024, "beta");
        builtin_image = build("builtin.iso", {});
    }

    Bytes build(const std::string& name, std::vector<std::string> extra) {
        std::vector<std::string> args{"-o", dir.file(name), "-d", roms, "-v", "PAYLOADS", "-ds", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        const Outcome outcome = testing::run_tool(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return testing::read_bytes(dir.file(name));
    }

    std::string exported(const std::string& name) {
        const Outcome outcome = testing::run_tool({"export-payloads", dir.file(name)});
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        return dir.file(name);
    }
};

TEST(PayloadFolder, ExportedBuiltInSetBuildsTheSameImage) {
    Fixture f;
    const std::string folder = f.exported("set");
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        const Blob builtin = payload_blob(builtin_payloads(), blob);
        EXPECT_EQ(testing::read_bytes(payload_path(folder, blob)), Bytes(builtin.begin(), builtin.end())) << blob;
    }
    EXPECT_EQ(f.build("folder.iso", {"-payloads", folder}), f.builtin_image);
    EXPECT_EQ(f.build("folder-caps.iso", {"-PAYLOADS", folder}), f.builtin_image);
}

TEST(PayloadFolder, LongLoaderAsExtractorsWriteItIsAccepted) {
    Fixture f;
    const std::string folder = f.exported("set");
    Bytes loader = testing::read_bytes(payload_path(folder, LOADER_BLOB));
    const Blob program = builtin_payloads().program_image;
    loader.insert(loader.end(), program.begin(), program.begin() + (APPLOADER_ANNOUNCED_SIZE - APPLOADER_SIZE));
    testing::write_bytes_file(payload_path(folder, LOADER_BLOB), loader);
    EXPECT_EQ(f.build("long.iso", {"-payloads", folder}), f.builtin_image);
    // Exporting from it writes the loader at its used length.
    ASSERT_EQ(testing::run_tool({"export-payloads", f.dir.file("again"), "-payloads", folder}).status, 0);
    EXPECT_EQ(fs::file_size(payload_path(f.dir.file("again"), LOADER_BLOB)), APPLOADER_SIZE);
}

TEST(PayloadFolder, OneSkinReplacesThatSkinAlone) {
    Fixture f;
    const Blob builtin_skin = builtin_payloads().skin_blob[2];
    Bytes skin(builtin_skin.begin(), builtin_skin.end());
    for (std::size_t at = 0x40; at < 0x1040; ++at) skin[at] = static_cast<std::uint8_t>(at * 7);
    testing::write_bytes_file(payload_path(f.dir.file("one"), FIRST_SKIN_BLOB + 2), skin);

    const Bytes image = f.build("one.iso", {"-payloads", f.dir.file("one")});
    ASSERT_EQ(image.size(), f.builtin_image.size());
    const auto read = testing::read_image(image);
    for (const auto& entry : read.entries) {
        if (entry.directory) continue;
        const Bytes contents = testing::file_contents(image, entry);
        if (entry.name == "F_02.tpl") {
            EXPECT_EQ(contents, skin);
        } else {
            EXPECT_EQ(contents, testing::file_contents(f.builtin_image, entry)) << entry.name;
        }
    }
    // Everything before the files (boot area, table) is as in the built-in build.
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0x1EC8C4 + read.fst_size, f.builtin_image.begin()));
}

// Each broken blob is refused with status 1 and a line naming the file and
// the field, before any file is created.
TEST(PayloadFolder, BrokenBlobsAreRefusedBeforeAnythingIsWritten) {
    Fixture f;
    const std::string folder = f.exported("set");
    const struct {
        std::size_t blob;
        std::size_t at; // byte changed; SIZE_MAX: one byte cut off instead
        std::uint8_t value;
        const char* field;
    } cases[] = {
        {LOADER_BLOB, 0x11, 0x00, "entry point at 0x10"},
        {LOADER_BLOB, SIZE_MAX, 0, "length at 0x0: expected 111844 bytes"},
        {PROGRAM_BLOB, 0x4A, 0x00, "text section 0 load address at 0x48"},
        {PROGRAM_BLOB, 0xB0, 0x01, "data section 1 size at 0xB0"},
        {PROGRAM_BLOB, 0x1BE52A, 'X', "skin setting at 0x1BE528"},
        {PROGRAM_BLOB, 0x1BC528 + 16 * 99 + 2, '7', "menu slot 100 at 0x1BCB58"},
        {PROGRAM_BLOB, SIZE_MAX, 0, "length at 0x0: expected 1896352 bytes, found 1896351 bytes"},
        {FIRST_SKIN_BLOB + 1, 0x16, 0x01, "width at 0x16: expected 608"},
        {FIRST_SKIN_BLOB + 3, 0x1B, 0x05, "format at 0x18: expected 4, found 5"},
        {BANNER_BLOB, 0x00, 'b', "magic at 0x0: expected \"BNR1\", found \"bNR1\""},
    };
    for (const auto& c : cases) {
        const std::string path = payload_path(folder, c.blob);
        const Bytes good = testing::read_bytes(path);
        Bytes bad = good;
        if (c.at == SIZE_MAX) {
            bad.pop_back();
        } else {
            bad[c.at] = c.value;
        }
        testing::write_bytes_file(path, bad);
        const std::string want = "kessra: " + path + ": " + c.field;

        const Outcome build =
            testing::run_tool({"-o", f.dir.file("refused.iso"), "-d", f.roms, "-v", "L", "-payloads", folder});
        EXPECT_EQ(build.status, 1) << c.field;
        EXPECT_NE(build.err.find(want), std::string::npos) << build.err;
        EXPECT_EQ(build.out, "");
        EXPECT_FALSE(fs::exists(f.dir.file("refused.iso")));
        EXPECT_FALSE(fs::exists(f.dir.file("refused.iso.txt")));

        const Outcome exported = testing::run_tool({"export-payloads", f.dir.file("refused"), "-payloads", folder});
        EXPECT_EQ(exported.status, 1) << c.field;
        EXPECT_NE(exported.err.find(want), std::string::npos) << exported.err;
        EXPECT_FALSE(fs::exists(f.dir.file("refused")));
        testing::write_bytes_file(path, good);
    }
}

TEST(PayloadFolder, FoldersThatCannotServeAreRefused) {
    Fixture f;
    fs::create_directories(f.dir.path() / "empty" / "sys");
    fs::create_directories(f.dir.path() / "odd" / "sys" / "main.dol");
    const struct {
        std::string folder;
        const char* message;
    } cases[] = {{f.dir.file("missing"), ": not a folder"},
                 {f.dir.file("empty"), ": holds none of sys/apploader.img"},
                 {f.dir.file("odd"), "main.dol: not a regular file"}};
    for (const auto& c : cases) {
        const Outcome outcome =
            testing::run_tool({"-o", f.dir.file("x.iso"), "-d", f.roms, "-v", "L", "-payloads", c.folder});
        EXPECT_EQ(outcome.status, 1) << c.folder;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(f.dir.file("x.iso")));
    }
}

#ifndef _WIN32
// A link among the payload files is followed only inside the folder: one that
// dangles or leads out is refused with its name and reason, and nothing it
// leads to is shown.
TEST(PayloadFolder, LinksAreFollowedOnlyInsideTheFolder) {
    Fixture f;
    const std::string folder = f.exported("set");
    testing::write_text_file(f.dir.file("secret"), "SECRET-WORDS-0123456789");
    const std::string program = payload_path(folder, PROGRAM_BLOB);
    const std::string skin = payload_path(folder, FIRST_SKIN_BLOB + 2);
    const struct {
        std::string path;
        std::string target;
        std::string err;
    } cases[] = {
        {skin, "missing.tpl", "kessra: " + skin + ": cannot be examined: No such file or directory\n"},
        {skin, "F_02.tpl", "kessra: " + skin + ": cannot be examined: Too many levels of symbolic links\n"},
        {program, f.dir.file("secret"),
         "kessra: " + program + ": leads out of " + folder + " (a symbolic link), refusing to read it\n"},
        {program, "../../secret",
         "kessra: " + program + ": leads out of " + folder + " (a symbolic link), refusing to read it\n"},
    };
    for (const auto& c : cases) {
        const std::string kept = c.path + ".kept";
        fs::rename(c.path, kept);
        fs::create_symlink(c.target, c.path);
        const Outcome outcome =
            testing::run_tool({"-o", f.dir.file("x.iso"), "-d", f.roms, "-v", "L", "-payloads", folder});
        EXPECT_EQ(outcome.status, 1) << c.target;
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_FALSE(fs::exists(f.dir.file("x.iso")));
        fs::remove(c.path);
        fs::rename(kept, c.path);
    }
    // A link to a file inside the folder is taken.
    fs::rename(skin, skin + ".real");
    fs::create_symlink("F_02.tpl.real", skin);
    EXPECT_TRUE(f.build("linked.iso", {"-payloads", folder}) == f.builtin_image);
}
#endif

// The payload options are compared after the seven of a build, in any case,
// with the value in the next argument; the walk still looks at every element.
TEST(PayloadOptions, ReadAfterTheSevenOptions) {
    std::vector<const char*> args{"kessra",    "-o",  "a.iso",          "-d",    "r",   "-v",
                                  "-payloads", "dir", "-Payloads-From", "x.iso", "-dz", "2"};
    const ParsedCommandLine parsed = parse_command_line(static_cast<int>(args.size()), args.data());
    ASSERT_EQ(parsed.outcome, ParseOutcome::run);
    EXPECT_EQ(parsed.options.volume_label, "-payloads");
    EXPECT_EQ(parsed.options.payloads.folder, "dir");
    EXPECT_EQ(parsed.options.payloads.image, "x.iso");
    EXPECT_EQ(parsed.options.zoom, 2);
    args = {"kessra", "-o", "a.iso", "-d", "r", "-v", "l", "-payloads"};
    EXPECT_EQ(parse_command_line(static_cast<int>(args.size()), args.data()).options.payloads.folder, "");
}

TEST(ExportPayloads, RefusesToOverwriteUnlessForced) {
    ScratchDir dir;
    const std::string folder = (dir.path() / "deep" / "set").string();
    ASSERT_EQ(testing::run_tool({"export-payloads", folder}).status, 0);
    const std::string skin = payload_path(folder, FIRST_SKIN_BLOB);
    testing::write_bytes_file(skin, Bytes{1, 2, 3});

    const Outcome refused = testing::run_tool({"export-payloads", folder});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(skin + ": already there"), std::string::npos) << refused.err;
    EXPECT_EQ(testing::read_bytes(skin), (Bytes{1, 2, 3}));

    const Outcome forced = testing::run_tool({"export-payloads", "-FORCE", folder});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(testing::read_bytes(skin).size(), SKIN_SIZE);
    // No temporary file is left beside the written ones.
    EXPECT_EQ(testing::directory_names(fs::path(folder) / "files"),
              (std::vector<std::string>{"F_00.tpl", "F_01.tpl", "F_02.tpl", "F_03.tpl", "opening.bnr"}));
}

TEST(ExportPayloads, CommandWordAndUsage) {
    ScratchDir dir;
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {{"export-payloads"}, 2, "no folder to write into"},
        {{"export-payloads", "a", "b"}, 2, "one folder only: b"},
        {{"export-payloads", "a", "-payloads"}, 2, "-payloads needs a value"},
        {{"export-payloads", "a", "-payloads", ""}, 2, "-payloads: the path is empty"},
        {{"export-payloads", "a", "-Payloads-From", std::string(260, 'i')},
         2,
         "the value of -Payloads-From is longer than 259 characters"},
        {{"export-payloads", "a", "-title"}, 2, "-title needs a value"},
        {{"export-payloads", "a", "-zap"}, 2, "unknown option -zap"},
        // Command words are matched in any case, as options are.
        {{"EXPORT-Payloads", dir.file("a"), "-zap"}, 2, "unknown option -zap"},
        // Not a command word: read as a build command line, which is too short.
        {{"inspect-payloads", dir.file("a")}, 2, ""},
    };
    for (const auto& c : cases) {
        const Outcome outcome = testing::run_tool(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.args[0];
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(dir.file("a")));
    }
    // The word anywhere else is an ordinary argument.
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "alpha");
    const Outcome build = testing::run_tool({"-o", dir.file("x.iso"), "-d", dir.file("roms"), "-v", "export-payloads"});
    EXPECT_EQ(build.status, 0) << build.err;
    EXPECT_NE(build.out.find("Volume Name   : export-payloads\n"), std::string::npos);
}

} // namespace
} // namespace kessra
