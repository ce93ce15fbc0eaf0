#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "cli/option_table.hpp"
#include "cli/options.hpp"
#include "cli/version.hpp"
#include "cli/run.hpp"
#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

ParsedCommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "kessra");
    return parse_command_line(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, NeedsSixArgumentsBeforeLookingAtAny) {
    EXPECT_EQ(parse({"-o", "a.iso", "-d", "roms", "-v"}).outcome, ParseOutcome::usage);
    const auto six = parse({"-o", "a.iso", "-d", "roms", "-v", "-p"});
    ASSERT_EQ(six.outcome, ParseOutcome::run);
    EXPECT_EQ(six.options.volume_label, "-p");
    EXPECT_TRUE(six.options.pad);
    EXPECT_EQ(parse({}).outcome, ParseOutcome::usage);
}

TEST(CommandLine, MandatoryValuesMustNotBeEmpty) {
    EXPECT_EQ(parse({"-o", "a.iso", "-d", "roms", "-p", "-p"}).outcome, ParseOutcome::usage);
    EXPECT_EQ(parse({"-o", "", "-d", "roms", "-v", "L"}).outcome, ParseOutcome::usage);
    // A value-taking option given last has no value and is ignored.
    EXPECT_EQ(parse({"-o", "a.iso", "-d", "roms", "-p", "-v"}).outcome, ParseOutcome::usage);
}

TEST(CommandLine, OptionsAreCaseInsensitiveAndTheLastOccurrenceWins) {
    const auto parsed = parse({"-O", "a.iso", "-D", "roms", "-V", "LABEL", "-DRAVNIK", "-o", "b.iso", "-P"});
    ASSERT_EQ(parsed.outcome, ParseOutcome::run);
    EXPECT_EQ(parsed.options.image_path, "b.iso");
    EXPECT_EQ(parsed.options.rom_directory, "roms");
    EXPECT_EQ(parsed.options.volume_label, "LABEL");
    EXPECT_TRUE(parsed.options.pad);
    EXPECT_EQ(parsed.options.profile.target_sectors, LARGE_DISC.target_sectors);
    EXPECT_EQ(parse({"-o", "a", "-d", "r", "-v", "l"}).options.profile.target_sectors, MINI_DVD.target_sectors);
}

TEST(CommandLine, SkinAndZoomFollowDecimalRulesAndClamp) {
    const struct {
        const char* skin;
        const char* zoom;
        int want_skin;
        int want_zoom;
    } cases[] = {{"3", "2", 3, 2},    {"7", "3", 0, 0},    {"4", "3", 0, 0},           {"-1", "-2", 0, 0},
                 {"abc", "x1", 0, 0}, {" 2x", "+1", 2, 1}, {"99999999999", "1", 0, 1}, {"-0", "\t2", 0, 2}};
    for (const auto& c : cases) {
        const auto parsed = parse({"-o", "a", "-d", "r", "-v", "l", "-ds", c.skin, "-dz", c.zoom});
        ASSERT_EQ(parsed.outcome, ParseOutcome::run);
        EXPECT_EQ(parsed.options.skin, c.want_skin) << c.skin;
        EXPECT_EQ(parsed.options.zoom, c.want_zoom) << c.zoom;
    }
    EXPECT_EQ(decimal_value("  -42abc"), -42);
    EXPECT_EQ(decimal_value(""), 0);
}

TEST(CommandLine, OverlongValuesAreRefused) {
    const std::string longest(259, 'x');
    const std::string too_long(260, 'x');
    EXPECT_EQ(parse({"-o", longest.c_str(), "-d", "r", "-v", "l"}).outcome, ParseOutcome::run);
    const auto refused = parse({"-o", "a", "-d", "r", "-v", too_long.c_str()});
    EXPECT_EQ(refused.outcome, ParseOutcome::error);
    EXPECT_NE(refused.message.find("-v"), std::string::npos);
}

TEST(CommandLine, EveryValueOptionFollowsTheSameRules) {
    const char* const value_options[] = {
        "-o",     "-d",     "-v",      "-ds",    "-dz",    "-payloads",   "-payloads-from", "-skin0",      "-skin1",
        "-skin2", "-skin3", "-banner", "-title", "-maker", "-long-title", "-long-maker",    "-description"};
    // The table the parser reads names the same value options.
    std::vector<std::string> from_table;
    for (const OptionEntry& option : option_table()) {
        if ((option.commands & FOR_BUILD) != 0 && option.value != OptionValue::none)
            from_table.emplace_back(option.name);
    }
    EXPECT_EQ(from_table, std::vector<std::string>(std::begin(value_options), std::end(value_options)));
    const std::string longest(259, 'x');
    const std::string too_long(260, 'x');
    for (const char* option : value_options) {
        // Given last it has no value: the command line is incomplete.
        const auto last = parse({"-o", "a", "-d", "r", "-v", "l", option});
        EXPECT_EQ(last.outcome, ParseOutcome::usage) << option;
        EXPECT_EQ(last.message, std::string(option) + " needs a value");
        const auto overlong = parse({"-o", "a", "-d", "r", "-v", "l", option, too_long.c_str()});
        EXPECT_EQ(overlong.outcome, ParseOutcome::error) << option;
        EXPECT_EQ(overlong.message, std::string("the value of ") + option + " is longer than 259 characters");
        // 259 characters pass this rule; the banner texts then meet their own limits.
        const auto at_limit = parse({"-o", "a", "-d", "r", "-v", "l", option, longest.c_str()});
        EXPECT_EQ(at_limit.message.find("is longer than 259"), std::string::npos) << option;
    }
    for (const char* option : {"-payloads", "-PAYLOADS-FROM", "-skin3", "-banner"}) {
        const auto empty = parse({"-o", "a", "-d", "r", "-v", "l", option, ""});
        EXPECT_EQ(empty.outcome, ParseOutcome::error) << option;
        EXPECT_EQ(empty.message, std::string(option) + ": the path is empty");
    }
    // An empty text is a text.
    EXPECT_EQ(parse({"-o", "a", "-d", "r", "-v", "l", "-title", ""}).outcome, ParseOutcome::run);
}

TEST(CommandLine, LoneHelpSwitch) {
    for (const char* help : {"-h", "--help", "-?", "-H"}) EXPECT_EQ(parse({help}).outcome, ParseOutcome::help);
    EXPECT_EQ(parse({"-h", "x"}).outcome, ParseOutcome::usage);
}

const char* const USAGE_TEXT = "Kessrane v0.1 (RC1)\n"
                               "Builds a bootable disc image from a directory of handheld ROMs.\n"
                               "\n"
                               "Usage   : kessra -o -d -v [-p -ds -dz -dravnik]\n"
                               "\n"
                               "Mandatory switches\n"
                               "   -o       ouput gcm/iso filename\n"
                               "   -d       GBA rom directory\n"
                               "   -v       GCM/ISO Volume label\n"
                               "\n"
                               "Optional switches\n"
                               "   -p       Pad to 1.36Gb\n"
                               "   -ds      Default skin (0,1,2 or 3)\n"
                               "   -dz      Default zoom (0,1 or 2)\n"
                               "   -dravnik Pad to 2.0Gb\n"
                               "\n"
                               "Note: All roms must be named .gba\n"
                               "The menu will show the name found in the GBA header.";

using RunOutcome = testing::ToolRun;

RunOutcome run(std::vector<const char*> args, DirectoryLister lister = list_rom_files) {
    RunEnvironment environment = host_environment();
    environment.list_directory = std::move(lister);
    return testing::run_tool({args.begin(), args.end()}, environment);
}

// Every parser knows every option the table gives its command: none is called
// unknown. The command lines are left incomplete, so that nothing is written.
TEST(Run, EveryParserTakesTheOptionsOfItsCommand) {
    const struct {
        unsigned command;
        std::vector<const char*> before; // the command word
        std::vector<const char*> after;  // what keeps the line from running
    } commands[] = {
        {FOR_BUILD, {}, {}},
        {FOR_EXPORT, {"export-payloads"}, {"one", "two"}},
        {FOR_INSPECT, {"inspect"}, {}},
        {FOR_RUN, {"run"}, {}},
    };
    for (const auto& c : commands) {
        for (const OptionEntry& option : option_table()) {
            if ((option.commands & c.command) == 0) continue;
            std::vector<const char*> args = c.before;
            args.push_back(option.name);
            if (option.value != OptionValue::none) args.push_back("1");
            args.insert(args.end(), c.after.begin(), c.after.end());
            const auto outcome = run(args);
            EXPECT_NE(outcome.status, EXIT_OK) << option.name;
            EXPECT_EQ(outcome.err.find("unknown option"), std::string::npos) << option.name << ": " << outcome.err;
        }
    }
}

// The usage texts come from the option table and stay what they were.
TEST(Run, InspectUsageTextFromTheTable) {
    const auto help = run({"inspect", "--help"});
    EXPECT_EQ(help.status, EXIT_OK);
    EXPECT_EQ(help.out, "Usage   : kessra inspect IMAGE [-json] [-deep]\n"
                        "   -json    print the facts as one JSON document\n"
                        "   -deep    read every file and print its CRC32\n");
    const auto wrong = run({"inspect"});
    EXPECT_EQ(wrong.status, EXIT_USAGE);
    EXPECT_EQ(wrong.err, "kessra: inspect: no image given\n" + help.out);
}

TEST(Run, UsageTextAndExitStatuses) {
    const auto incomplete = run({"-o", "a.iso"});
    EXPECT_EQ(incomplete.status, EXIT_USAGE);
    EXPECT_EQ(incomplete.out, USAGE_TEXT);
    const auto help = run({"--help"});
    EXPECT_EQ(help.status, EXIT_OK);
    EXPECT_EQ(help.out, USAGE_TEXT);
    for (const char* version : {"--version", "-version", "-VERSION"}) {
        const auto shown = run({version});
        EXPECT_EQ(shown.status, EXIT_OK);
        EXPECT_EQ(shown.out.rfind(std::string("kessra ") + KESSRA_VERSION, 0), 0u) << shown.out;
        EXPECT_EQ(shown.out.back(), '\n');
    }
    EXPECT_EQ(run({"--version", "x"}).status, EXIT_USAGE);
    const std::string too_long(300, 'x');
    const auto overlong = run({"-o", too_long.c_str(), "-d", "r", "-v", "l"});
    EXPECT_EQ(overlong.status, EXIT_USAGE);
    EXPECT_EQ(overlong.out, "");
    EXPECT_NE(overlong.err.find("-o"), std::string::npos);
}

#ifndef _WIN32
TEST(Run, OptionValueRefusalsEndTheProcessWithStatusTwoBeforeAnything) {
    testing::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4194304, "A");
    const std::vector<std::string> build = {"-o", dir.file("out.iso"), "-d", dir.file("roms"), "-v", "L"};
    const struct {
        std::vector<std::string> extra;
        std::string err;
    } cases[] = {
        {{"-skin0"}, "kessra: -skin0 needs a value\n"},
        {{"-TITLE"}, "kessra: -TITLE needs a value\n"},
        {{"-payloads"}, "kessra: -payloads needs a value\n"},
        {{"-payloads-from"}, "kessra: -payloads-from needs a value\n"},
        {{"-payloads", ""}, "kessra: -payloads: the path is empty\n"},
        {{"-payloads", std::string(260, 'p')}, "kessra: the value of -payloads is longer than 259 characters\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = build;
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const auto refused = testing::run_process(args);
        EXPECT_EQ(refused.status, EXIT_USAGE) << c.err;
        EXPECT_EQ(refused.err, c.err);
        if (c.err.find("needs a value") != std::string::npos) {
            EXPECT_EQ(refused.out, USAGE_TEXT);
        }
        EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"roms"}) << c.err;
    }
}

#endif

TEST(Run, CommandWordsAreMatchedInAnyCase) {
    testing::ScratchDir dir;
    testing::write_text_file(dir.file("x"), "not an image");
    for (const char* word : {"inspect", "INSPECT", "Inspect"}) {
        const auto inspected = testing::run_tool({word, dir.file("x")});
        EXPECT_EQ(inspected.status, EXIT_FAILED) << word;
        EXPECT_EQ(inspected.out.find("Usage"), std::string::npos) << inspected.out;
        EXPECT_NE(inspected.out.find("not an image of this kind"), std::string::npos) << inspected.out;
    }
}

TEST(Run, ScanRefusalsEndWithFailureBeforeAnySummary) {
    testing::ScratchDir dir;
    const std::string image = dir.file("out.iso");
    const auto missing = run({"-o", image.c_str(), "-d", dir.file("nope").c_str(), "-v", "L"});
    EXPECT_EQ(missing.status, EXIT_FAILED);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find(dir.file("nope")), std::string::npos);

    const auto empty = run({"-o", image.c_str(), "-d", dir.path().string().c_str(), "-v", "L"});
    EXPECT_EQ(empty.status, EXIT_FAILED);
    EXPECT_NE(empty.err.find(dir.path().string()), std::string::npos);

    testing::write_sparse_file(dir.file("odd.gba"), 4194305);
    const auto odd = run({"-o", image.c_str(), "-d", dir.path().string().c_str(), "-v", "L"});
    EXPECT_EQ(odd.status, EXIT_FAILED);
    EXPECT_EQ(odd.out, "File odd.gba ( 4194305 ) is not 4/8/16 Mb!\nPlease correct or remove.");
    EXPECT_EQ(odd.err, "");
    EXPECT_FALSE(std::filesystem::exists(image));
}

TEST(Run, RefusesNameTableOverflowBeforeCreatingTheImage) {
    testing::ScratchDir dir;
    std::vector<DirEntry> entries;
    for (int i = 0; i < 190; ++i)
        entries.push_back({std::to_string(1000 + i) + std::string(40, 'n') + ".gba", 4194304});
    const DirectoryLister lister = [entries](const std::string&) { return success(entries); };
    const std::string image = dir.file("out.iso");
    const auto refused = run({"-o", image.c_str(), "-d", dir.path().string().c_str(), "-v", "L", "-dravnik"}, lister);
    EXPECT_EQ(refused.status, EXIT_FAILED);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("8192"), std::string::npos);
    EXPECT_TRUE(testing::directory_names(dir.path()).empty());
}

TEST(Run, RefusesAnImagePathThatNamesAnInputRom) {
    testing::ScratchDir dir;
    testing::write_rom(dir.file("a.gba"), 4194304, "KEEPME");
    const auto before = testing::read_bytes(dir.file("a.gba"));
    const auto refused = run({"-o", dir.file("a.gba").c_str(), "-d", dir.path().string().c_str(), "-v", "L"});
    EXPECT_EQ(refused.status, EXIT_FAILED);
    EXPECT_NE(refused.err.find("a.gba"), std::string::npos);
    EXPECT_EQ(testing::read_bytes(dir.file("a.gba")), before);
    EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"a.gba"});
}

#ifndef _WIN32
TEST(Run, AMissingOrReadOnlyImageFolderIsNamedAsSuch) {
    testing::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4194304, "A");
    const auto missing = run({"-o", dir.file("missing/a.iso").c_str(), "-d", dir.file("roms").c_str(), "-v", "L"});
    EXPECT_EQ(missing.status, EXIT_FAILED);
    EXPECT_EQ(missing.err,
              "kessra: " + dir.file("missing/a.iso") + ": the folder " + dir.file("missing/") + " does not exist\n");
    testing::write_text_file(dir.file("file"), "");
    const auto not_folder = run({"-o", dir.file("file/a.iso").c_str(), "-d", dir.file("roms").c_str(), "-v", "L"});
    EXPECT_EQ(not_folder.err,
              "kessra: " + dir.file("file/a.iso") + ": the folder " + dir.file("file/") + " does not exist\n");
    std::filesystem::create_directory(dir.path() / "locked");
    std::filesystem::permissions(dir.path() / "locked",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool writable_anyway = ::access(dir.file("locked").c_str(), W_OK) == 0; // the superuser
    if (!writable_anyway) {
        const auto locked = run({"-o", dir.file("locked/a.iso").c_str(), "-d", dir.file("roms").c_str(), "-v", "L"});
        EXPECT_EQ(locked.status, EXIT_FAILED);
        EXPECT_EQ(locked.err, "kessra: " + dir.file("locked/a.iso") + ": the folder " + dir.file("locked/") +
                                  " cannot be written: Permission denied\n");
    }
    std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"file", "locked", "roms"}));
}
#endif

TEST(Run, RefusesAnImagePathThatEndsInASeparator) {
    testing::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4194304, "A");
    for (const std::string& image : {dir.file("roms") + "/", dir.file("missing") + "/"}) {
        const auto refused = run({"-o", image.c_str(), "-d", dir.file("roms").c_str(), "-v", "L"});
        EXPECT_EQ(refused.status, EXIT_FAILED);
        EXPECT_EQ(refused.err, "kessra: " + image + ": is a directory, not an image file\n");
        EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"roms"});
    }
}

TEST(Run, RefusesAnImageOrListingPathThatIsAFolder) {
    for (const char* folder : {"out.iso", "out.iso.txt"}) {
        testing::ScratchDir dir;
        std::filesystem::create_directory(dir.path() / "roms");
        testing::write_rom(dir.file("roms/a.gba"), 4194304, "A");
        std::filesystem::create_directory(dir.path() / folder);
        const auto refused = run({"-o", dir.file("out.iso").c_str(), "-d", dir.file("roms").c_str(), "-v", "L"});
        EXPECT_EQ(refused.status, EXIT_FAILED);
        EXPECT_NE(refused.err.find(dir.file(folder) + ": is a directory"), std::string::npos) << refused.err;
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{folder, "roms"}));
    }
}

} // namespace
} // namespace kessra
