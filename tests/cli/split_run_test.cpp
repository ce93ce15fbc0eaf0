// "-split" through the run: refusals, one disc, several discs and a fault on a later disc.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/disc_name.hpp"
#include "cli/options.hpp"
#include "cli/run.hpp"
#include "cli/split_run.hpp"
#include "format/disc_format.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

constexpr std::uint32_t MIB = 1024 * 1024;

using Outcome = testing::ToolRun;

RunEnvironment captured_environment(const testing::CapturedOutput& out, const testing::CapturedOutput& err,
                                    DirectoryLister lister) {
    RunEnvironment environment = host_environment();
    environment.list_directory = std::move(lister);
    environment.out = out.stream();
    environment.err = err.stream();
    return environment;
}

Outcome run(std::vector<std::string> args, DirectoryLister lister = list_rom_files) {
    RunEnvironment environment = host_environment();
    environment.list_directory = std::move(lister);
    return testing::run_tool(std::move(args), environment);
}

// The split run of the ROMs in `roms` on a medium whose budget holds `per_disc`
// ROMs of 4 MiB, so that a few small files make several discs.
Outcome run_small_discs(const std::string& image, const std::string& roms, std::uint32_t per_disc,
                        DirectoryLister lister = list_rom_files) {
    RunOptions options;
    options.image_path = image;
    options.rom_directory = roms;
    options.volume_label = "SET";
    options.split = true;
    options.profile = DiscProfile{MINI_DVD.target_sectors, per_disc * (4 * MIB + 2048), MINI_DVD.menu_limit};
    testing::CapturedOutput out;
    testing::CapturedOutput err;
    const RunEnvironment environment = captured_environment(out, err, std::move(lister));
    Result<RomTable> scan = scan_split_collection(options, environment);
    if (!scan) return {-1, scan.status.console, scan.status.message};
    auto discs = plan_split(scan.value, options, environment);
    if (!discs) return {-1, out.text(), discs.status.message};
    const int status = run_split(options, discs.value, *environment.payloads, environment);
    return {status, out.text(), err.text()};
}

DirectoryLister fake_roms(std::size_t count, std::uint64_t size) {
    std::vector<DirEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = std::to_string(100000 + i);
        entries.push_back({name.append(".gba"), size});
    }
    return [entries](const std::string&) { return success(entries); };
}

TEST(SplitRun, OptionIsParsedInAnyCase) {
    for (const char* option : {"-split", "-SPLIT", "-Split"}) {
        const char* argv[] = {"kessra", "-o", "a", "-d", "r", "-v", "l", option};
        const auto parsed = parse_command_line(8, argv);
        ASSERT_EQ(parsed.outcome, ParseOutcome::run);
        EXPECT_TRUE(parsed.options.split) << option;
    }
    const char* without[] = {"kessra", "-o", "a", "-d", "r", "-v", "l"};
    EXPECT_FALSE(parse_command_line(7, without).options.split);
}

TEST(SplitRun, ACollectionThatFitsOneDiscGivesThePlainBuild) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/Alpha Quest.gba"), 8 * MIB, "ALPHAQUEST");
    testing::write_rom(dir.file("roms/b.gba"), 4 * MIB, "bee");
    testing::write_rom(dir.file("roms/c.gba"), 16 * MIB, "CEE");
    const std::string image = dir.file("out.iso");
    const auto plain = run({"-o", image, "-d", dir.file("roms"), "-v", "ONE", "-ds", "2"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto plain_image = testing::read_bytes(image);
    const auto plain_listing = testing::read_text(image + ".txt");
    const auto split = run({"-o", image, "-d", dir.file("roms"), "-v", "ONE", "-ds", "2", "-split"});
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_EQ(split.out, plain.out);
    EXPECT_EQ(split.err, "");
    EXPECT_TRUE(testing::read_bytes(image) == plain_image);
    EXPECT_EQ(testing::read_text(image + ".txt"), plain_listing);
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"out.iso", "out.iso.txt", "roms"}));
}

TEST(SplitRun, EveryRefusalComesBeforeAnyFileIsCreated) {
    ScratchDir dir;
    const std::string image = dir.file("out.iso");
    const std::string roms = dir.path().string();
    fs::create_directory(dir.path() / "out_2.iso");
    const struct {
        const char* what;
        DirectoryLister lister;
        std::string err;
    } cases[] = {
        {"more ROMs than 99 discs hold", fake_roms(99 * 252 + 1, 4 * MIB),
         "kessra: " + roms + ": 24949 ROM files found, but 99 discs hold at most 24948\n"},
        {"more than 99 discs", fake_roms(99 * 86 + 1, 16 * MIB),
         "kessra: " + roms + ": the 8515 ROMs need more than 99 discs\n"},
        {"second image path is a folder", fake_roms(253, 4 * MIB),
         "kessra: " + dir.file("out_2.iso") + ": is a directory, not an image file\n"},
    };
    for (const auto& c : cases) {
        const auto refused = run({"-o", image, "-d", roms, "-v", "L", "-split"}, c.lister);
        EXPECT_EQ(refused.status, EXIT_FAILED) << c.what;
        EXPECT_EQ(refused.out, "") << c.what;
        EXPECT_EQ(refused.err, c.err) << c.what;
        EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"out_2.iso"}) << c.what;
    }
    // The tool's own texts for a wrong-sized ROM are unchanged.
    const DirectoryLister odd = [](const std::string&) {
        return success(std::vector<DirEntry>{{"a.gba", 4 * MIB}, {"odd.gba", 5}});
    };
    const auto refused = run({"-o", image, "-d", roms, "-v", "L", "-split"}, odd);
    EXPECT_EQ(refused.status, EXIT_FAILED);
    EXPECT_EQ(refused.out, "File odd.gba ( 5 ) is not 4/8/16 Mb!\nPlease correct or remove.");
}

TEST(SplitRun, AFolderAsTheImagePathIsRefusedAsForOneDisc) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "outdir");
    const std::string roms = dir.path().string();
    for (const std::string& image :
         {dir.file("outdir"), dir.file("outdir") + "/", dir.file("missing") + "/", dir.file("outdir/.")}) {
        const auto refused = run({"-o", image, "-d", roms, "-v", "L", "-split"}, fake_roms(253, 4 * MIB));
        EXPECT_EQ(refused.status, EXIT_FAILED) << image;
        EXPECT_EQ(refused.out, "") << image;
        EXPECT_EQ(refused.err, "kessra: " + image + ": is a directory, not an image file\n");
        EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"outdir"}) << image;
        EXPECT_TRUE(fs::is_empty(dir.path() / "outdir")) << image;
    }
}

TEST(SplitRun, OnlyImagesOfThisToolAreReplacedAndLaterOnesAreNamed) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    for (int i = 1; i <= 5; ++i) testing::write_rom(dir.file("roms/g" + std::to_string(i) + ".gba"), 4 * MIB, "G");
    const std::string image = dir.file("set.iso");
    // A file of the same name that this tool did not write, even one with
    // only the disc id or only the magic word, stays.
    const auto earlier = testing::write_earlier_image(dir.file("set_2.iso"), "mine");
    auto other_id = earlier;
    other_id[DISC_ID_OFFSET] ^= 0x20;
    auto other_magic = earlier;
    other_magic[DISC_MAGIC_OFFSET + 3] ^= 0x01;
    const std::vector<std::uint8_t> notes = {'n', 'o', 't', 'e', 's'};
    for (const auto& foreign : {other_id, other_magic, notes}) {
        testing::write_bytes_file(dir.file("set_2.iso"), foreign);
        const auto refused = run_small_discs(image, dir.file("roms"), 2);
        EXPECT_EQ(refused.status, EXIT_FAILED);
        EXPECT_EQ(refused.err, "kessra: " + dir.file("set_2.iso") +
                                   ": is not an image of this tool, refusing to "
                                   "replace it\n");
        EXPECT_EQ(testing::read_bytes(dir.file("set_2.iso")), foreign);
        EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"roms", "set_2.iso"}));
    }
    testing::write_earlier_image(dir.file("set_2.iso"), "mine");
    // An image of this tool is replaced; the third disc of a three-disc set is
    // named once a later set needs only two.
    ASSERT_EQ(run_small_discs(image, dir.file("roms"), 2).status, 0);
    const auto fewer = run_small_discs(image, dir.file("roms"), 3);
    ASSERT_EQ(fewer.status, 0) << fewer.err;
    EXPECT_NE(fewer.out.find("  " + dir.file("set_2.iso.txt") +
                             "\nNot part of this set, left from an earlier run:\n  " + dir.file("set_3.iso") +
                             "\nThank you"),
              std::string::npos)
        << fewer.out;
    const auto again = run_small_discs(image, dir.file("roms"), 2);
    EXPECT_EQ(again.out.find("Not part of this set"), std::string::npos) << again.out;
}

TEST(SplitRun, AnotherRunWritingOneOfTheImagesIsRefusedBeforeAnything) {
    ScratchDir dir;
    const std::string image = dir.file("out.iso");
    OutputLock held;
    ASSERT_TRUE(lock_output(dir.file("out_2.iso"), held));
    const auto names_while_held = testing::directory_names(dir.path());
    const auto refused = run({"-o", image, "-d", dir.path().string(), "-v", "L", "-split"}, fake_roms(253, 4 * MIB));
    EXPECT_EQ(refused.status, EXIT_FAILED);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "kessra: " + dir.file("out_2.iso") + ": another kessra run is writing this image\n");
    EXPECT_EQ(testing::directory_names(dir.path()), names_while_held);
}

TEST(SplitRun, SpreadsTheRomsOverNumberedImagesEachWithItsListing) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    const std::vector<std::string> titles = {"ONE", "TWO", "THREE", "FOUR", "FIVE"};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        testing::write_rom(dir.file("roms/g" + std::to_string(i + 1) + ".gba"), 4 * MIB, titles[i]);
    }
    const std::string image = dir.file("set.iso");
    const auto built = run_small_discs(image, dir.file("roms"), 2);
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(testing::directory_names(dir.path()),
              (std::vector<std::string>{"roms", "set_1.iso", "set_1.iso.txt", "set_2.iso", "set_2.iso.txt", "set_3.iso",
                                        "set_3.iso.txt"}));

    const std::size_t first_rom[] = {0, 2, 4};
    const std::size_t rom_count[] = {2, 2, 1};
    for (std::size_t d = 0; d < 3; ++d) {
        const std::string number = std::to_string(d + 1);
        const std::string path = dir.file("set_" + number + ".iso");
        const auto bytes = testing::read_bytes(path);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[VOLUME_LABEL_OFFSET])), "SET " + number + "/3");
        const auto read = testing::read_image(bytes);
        ASSERT_EQ(read.entries.size(), 2 * rom_count[d] + 7);
        const std::string eol = testing::TEXT_LINE_END;
        std::string listing = "Game Listing for " + path + eol + eol + "Volume set as SET " + number + "/3" + eol + eol;
        for (std::size_t i = 0; i < rom_count[d]; ++i) {
            const std::string name = "g" + std::to_string(first_rom[d] + i + 1) + ".gba";
            EXPECT_EQ(read.entries[2 + i].name, name);
            EXPECT_EQ(read.entries[2 + rom_count[d] + i].name, "index.00" + std::to_string(i));
            EXPECT_EQ(testing::file_contents(bytes, read.entries[2 + i]),
                      testing::read_bytes(dir.file("roms/" + name)));
            // Menu numbers start again at 001 on every disc.
            const std::string slot = "00" + std::to_string(i + 1) + " " + titles[first_rom[d] + i];
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[MENU_TABLE_OFFSET + 16 * i])), slot);
            listing += "Imported " + name + " as " + name + " with on-screen menu as " + slot + eol;
        }
        EXPECT_EQ(testing::read_text(path + ".txt"), listing);
    }

    const std::string roms = dir.file("roms");
    EXPECT_EQ(built.out.substr(0, built.out.find("\n\n")),
              "Disc 1/3      : " + dir.file("set_1.iso") + ", ROMs 001 to 002, " +
                  std::to_string(testing::read_bytes(dir.file("set_1.iso")).size()) +
                  " bytes\nDisc 2/3      : " + dir.file("set_2.iso") + ", ROMs 003 to 004, " +
                  std::to_string(testing::read_bytes(dir.file("set_2.iso")).size()) +
                  " bytes\nDisc 3/3      : " + dir.file("set_3.iso") + ", ROMs 005 to 005, " +
                  std::to_string(testing::read_bytes(dir.file("set_3.iso")).size()) + " bytes");
    const std::string third = "\n\nGCM Output to : " + dir.file("set_3.iso") +
                              "\nVolume Name   : SET 3/3\nDirectory     : " + roms +
                              "\nTotal ROMS    : 1\nPadding       : OFF\nDVD Header    : OK\nCustom DOL    : OK\n"
                              "Adding 001/001: " +
                              join_always(roms, "g5.gba") +
                              " as g5.gba [MENU:001 FIVE]\n"
                              "Indexes       : OK\nAdding skins  : OK\n\nAll Tasks Completed OK!\n\n"
                              "3 images written; please refer to the generated text files for listing:\n  " +
                              dir.file("set_1.iso.txt") + "\n  " + dir.file("set_2.iso.txt") + "\n  " +
                              dir.file("set_3.iso.txt") + "\nThank you for helping test 'kessra'";
    ASSERT_GE(built.out.size(), third.size());
    EXPECT_EQ(built.out.substr(built.out.size() - third.size()), third);
}

TEST(SplitRun, ARomOfALaterDiscThatChangedIsRefusedBeforeAnything) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    for (int i = 1; i <= 5; ++i) testing::write_rom(dir.file("roms/g" + std::to_string(i) + ".gba"), 4 * MIB, "G");
    const auto earlier_image = testing::write_earlier_image(dir.file("set_1.iso"), "earlier image");
    testing::write_text_file(dir.file("set_1.iso.txt"), "earlier listing");
    // The last ROM, on the third disc, shrank after the directory was listed.
    fs::resize_file(dir.file("roms/g5.gba"), MIB);
    const DirectoryLister stale = [](const std::string&) {
        std::vector<DirEntry> entries;
        for (const char* name : {"g1.gba", "g2.gba", "g3.gba", "g4.gba", "g5.gba"}) entries.push_back({name, 4 * MIB});
        return success(entries);
    };
    const auto failed = run_small_discs(dir.file("set.iso"), dir.file("roms"), 2, stale);
    EXPECT_EQ(failed.status, EXIT_FAILED);
    EXPECT_EQ(failed.err, "kessra: " + join_always(dir.file("roms"), "g5.gba") + ": changed size during the build\n");
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(testing::read_bytes(dir.file("set_1.iso")), earlier_image);
    EXPECT_EQ(testing::read_text(dir.file("set_1.iso.txt")), "earlier listing");
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"roms", "set_1.iso", "set_1.iso.txt"}));
}

} // namespace
} // namespace kessra
