#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/run.hpp"
#include "disc_reader/image_fixture.hpp"
#include "format/disc_format.hpp"
#include "inspect/crc32.hpp"
#include "inspect/inspect_report.hpp"
#include "inspect/inspect_support.hpp"
#include "payload_checks/payload_files.hpp"
#include "platform/paths.hpp"
#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t MIB = 1024 * 1024;

using Ran = testing::ToolRun;

Ran run(std::vector<std::string> args) { return testing::run_tool(std::move(args)); }

// Three ROMs, skin 3, zoom 2, built once for the whole suite.
class Inspect : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new testing::ScratchDir;
        const std::string roms = dir_->file("roms");
        fs::create_directory(roms);
        testing::write_rom(join_path(roms, "Alpha Quest.gba"), 8 * MIB, "alphaquest");
        testing::write_rom(join_path(roms, "b.gba"), 4 * MIB, "bee");
        testing::write_rom(join_path(roms, "cee.gba"), 16 * MIB, "CEEGAME12345");
        image_ = dir_->file("out.iso");
        const Ran built = run({"-o", image_, "-d", roms, "-v", "INSPECTED", "-ds", "3", "-dz", "2"});
        ASSERT_EQ(built.status, 0) << built.err;
    }
    static void TearDownTestSuite() { delete dir_; }
    static inline testing::ScratchDir* dir_ = nullptr;
    static inline std::string image_;
};

std::string all_problems(const Inspection& found) {
    std::string all;
    for (const std::string& line : found.problems) all += "\n  " + line;
    return all;
}

const DiscEntry& entry(const Inspection& found, const std::string& path) {
    const DiscEntry* found_entry = find_entry(*found.table, path);
    if (found_entry == nullptr) throw std::runtime_error("no " + path);
    return *found_entry;
}

TEST_F(Inspect, ABuiltImageIsConsistentAndShowsItsInputs) {
    const Inspection found = testing::inspect_file(image_);
    ASSERT_TRUE(found.this_layout) << found.layout_note;
    EXPECT_TRUE(found.consistent()) << (found.problems.empty() ? "" : found.problems.front());
    EXPECT_EQ(found.header->volume_label, "INSPECTED");
    EXPECT_EQ(found.content_end, found.length);
    EXPECT_EQ(found.padded_to, "");
    ASSERT_EQ(found.menu.size(), 3u);
    const std::vector<std::tuple<std::string, std::string, std::uint32_t>> menu = {
        {"ALPHAQUEST", "Alpha Quest.gba", 8 * MIB}, {"BEE", "b.gba", 4 * MIB}, {"CEEGAME1234", "cee.gba", 16 * MIB}};
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(found.menu[i].number, i + 1);
        EXPECT_EQ(found.menu[i].title, std::get<0>(menu[i]));
        EXPECT_EQ(found.menu[i].file_name, std::get<1>(menu[i]));
        EXPECT_EQ(found.menu[i].rom_size, std::get<2>(menu[i]));
        EXPECT_EQ(found.menu[i].rom.rfind("roms/", 0), 0u);
    }
    EXPECT_EQ(found.empty_slots, 1u);
    EXPECT_EQ(found.placeholder_slots, MENU_SLOT_COUNT - 4);
    EXPECT_EQ(found.skin->value, 3);
    EXPECT_EQ(found.zoom->value, 2);
    EXPECT_EQ(found.zoom->label, "full");
    ASSERT_EQ(found.payloads.size(), 7u);
    for (const PayloadFinding& payload : found.payloads)
        EXPECT_EQ(payload.state, PayloadState::builtin) << payload.name;
}

TEST_F(Inspect, JsonCarriesTheSameFacts) {
    const Ran ran = run({"inspect", image_, "-json"});
    ASSERT_EQ(ran.status, 0) << ran.out << ran.err;
    const auto document = nlohmann::json::parse(ran.out);
    EXPECT_TRUE(document["consistent"].get<bool>());
    EXPECT_EQ(document["header"]["label"], "INSPECTED");
    EXPECT_EQ(document["header"]["fst_offset"], FST_OFFSET);
    EXPECT_EQ(document["settings"]["skin"]["value"], 3);
    EXPECT_EQ(document["menu"]["games"].size(), 3u);
    EXPECT_EQ(document["menu"]["games"][2]["title"], "CEEGAME1234");
    EXPECT_EQ(document["menu"]["games"][2]["file_name"], "cee.gba");
    EXPECT_EQ(document["payloads"][1]["state"], "built-in");
    EXPECT_EQ(document["files"].size(), 12u); // "roms", 3 ROMs, 3 index files, 4 skins, the banner
    EXPECT_EQ(document["length"], fs::file_size(image_));
    EXPECT_EQ(document.find("crc32"), document.end());
}

TEST_F(Inspect, DeepHashesEveryFile) {
    const Inspection found = testing::inspect_file(image_, true);
    const DiscEntry& rom = entry(found, "roms/b.gba");
    const auto bytes = testing::read_bytes(join_path(dir_->file("roms"), "b.gba"));
    ASSERT_TRUE(found.crc32[rom.index]);
    EXPECT_EQ(*found.crc32[rom.index], crc32_update(0, bytes));
    EXPECT_FALSE(found.crc32[1]); // the "roms" folder
    const std::string digits = "123456789";
    const std::span<const std::uint8_t> check(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size());
    EXPECT_EQ(crc32_update(0, check), 0xCBF43926u);
    EXPECT_EQ(crc32_update(crc32_update(0, check.first(5)), check.subspan(5)), 0xCBF43926u);
}

TEST_F(Inspect, DamagedImagesNameTheProblem) {
    const Inspection good = testing::inspect_file(image_);
    const FileTable& table = *good.table;
    const auto word_of = [&](const std::string& path, int word) {
        return std::uint64_t{table.offset} + std::uint64_t{entry(good, path).index} * FST_ENTRY_SIZE +
               4u * static_cast<std::uint32_t>(word);
    };
    const auto name_of = [&](const std::string& path) {
        return std::uint64_t{table.offset} + table.string_table_start + entry(good, path).name_offset;
    };
    const std::string b_rom = entry(good, "roms/b.gba").path;
    struct Case {
        const char* what;
        std::function<void(testing::PatchedSource&)> damage;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"wrong title",
         [](auto& s) {
             s.patch(MENU_TABLE_OFFSET + 16 + 4, {'L', 'U', 'I', 'G', 'I', 0, 0});
         },
         "menu slot 2 (at 0x1D9E5C): \"002 LUIGI\", but " + b_rom + " gives \"002 BEE\""},
        {"missing index file", [&](auto& s) { s.patch(name_of("index.001"), {'x'}); },
         "index.001: missing (the index file of " + b_rom + ")"},
        {"ROM size", [&](auto& s) { s.patch_word(word_of(b_rom, 2), 4 * MIB - 2048); },
         b_rom + ": 4192256 bytes, not 4, 8 or 16 MiB"},
        {"overlapping files", [&](auto& s) { s.patch_word(word_of("index.001", 1), entry(good, "index.000").offset); },
         "index.001 (0x"},
        {"header word past the end", [](auto& s) { s.patch_word(HEADER_WORDS_OFFSET, 0x7FFFFF00); },
         "0x420: program image offset 0x7FFFFF00 points past the end of the image"},
        {"table past the end",
         [&](auto& s) { s.patch_word(HEADER_WORDS_OFFSET + 4, static_cast<std::uint32_t>(good.length)); },
         "0x424: table offset"},
        {"closing slot", [](auto& s) { s.patch(MENU_TABLE_OFFSET + 3 * 16, {'0'}); },
         "menu slot 4 (at 0x1D9E7C): \"0\", expected an empty slot after the last game"},
        {"placeholder", [](auto& s) { s.patch(MENU_TABLE_OFFSET + 9 * 16, {'1'}); },
         "menu slot 10 (at 0x1D9EDC): \"100 GAMENUMB010\", expected its placeholder \"000 GAMENUMB010\""},
        {"skin digit", [](auto& s) { s.patch(SKIN_DIGIT_OFFSET, {'7'}); }, "0x1DBE4C: skin digit 0x37 is not 0 to 3"},
        // The digits just past either end of the allowed ones.
        {"skin digit 4", [](auto& s) { s.patch(SKIN_DIGIT_OFFSET, {'4'}); }, "0x1DBE4C: skin digit 0x34 is not 0 to 3"},
        {"skin digit below 0", [](auto& s) { s.patch(SKIN_DIGIT_OFFSET, {'/'}); },
         "0x1DBE4C: skin digit 0x2F is not 0 to 3"},
        {"zoom digit 3", [](auto& s) { s.patch(ZOOM_DIGIT_OFFSET, {'3'}); }, "0x1DBE54: zoom digit 0x33 is not 0 to 2"},
        {"zoom digit below 0", [](auto& s) { s.patch(ZOOM_DIGIT_OFFSET, {'/'}); },
         "0x1DBE54: zoom digit 0x2F is not 0 to 2"},
        // One header field of this tool's image changed: checked as its image all the same.
        {"program offset", [](auto& s) { s.patch_word(HEADER_WORDS_OFFSET, 0x1D920); },
         "0x420: program image offset 0x1D920 is not 0x1D924"},
        {"disc id", [](auto& s) { s.patch(DISC_ID_OFFSET + 5, {'7'}); }, "0x0: disc id \"D89E07\" is not D89E01"},
        {"magic word", [](auto& s) { s.patch(DISC_MAGIC_OFFSET, {0}); }, "0x1C: magic word 0x339F3D is not 0xC2339F3D"},
        {"roms folder renamed",
         [&](auto& s) {
             s.patch(name_of("roms"), {'r', 'x'});
         },
         "table entry 1: \"rxms\" (a folder), expected the \"roms\" folder"},
        {"nameless folder", [&](auto& s) { s.patch(name_of("roms"), {0}); }, "table entry 1: a folder without a name"},
        {"nameless file", [&](auto& s) { s.patch(name_of("index.001"), {0}); }, "a file without a name"},
        // Two root files named index.001: the second belongs to no ROM, the third ROM has none.
        {"two files of one name", [&](auto& s) { s.patch(name_of("index.002") + 8, {'1'}); },
         "index.001: an index file for no ROM"},
        {"two files of one name", [&](auto& s) { s.patch(name_of("index.002") + 8, {'1'}); },
         "index.002: missing (the index file of roms/cee.gba)"},
        {"two files of one name", [&](auto& s) { s.patch(name_of("index.002") + 8, {'1'}); },
         "index.001: table entries 6 and 7 have this name in one folder"},
        {"unaligned file", [&](auto& s) { s.patch_word(word_of("index.002", 1), entry(good, "index.002").offset + 4); },
         "does not start on a 2048-byte boundary"},
        {"index text", [&](auto& s) { s.patch(entry(good, "index.000").offset + 28, {'X'}); },
         "index.000: does not name"},
        {"banner", [&](auto& s) { s.patch(entry(good, "opening.bnr").offset, {'X'}); }, "opening.bnr"},
        {"file past the end", [&](auto& s) { s.patch_word(word_of("opening.bnr", 2), 0x10000); },
         "opening.bnr: 65536 bytes at"},
    };
    Result<std::unique_ptr<ByteSource>> file = open_file_source(image_);
    ASSERT_TRUE(file);
    for (const Case& test : cases) {
        testing::PatchedSource source(*file.value);
        test.damage(source);
        const Inspection found = inspect_image(source, builtin_payloads(), false);
        const std::string all = all_problems(found);
        EXPECT_TRUE(found.this_layout) << test.what;
        EXPECT_FALSE(found.consistent()) << test.what;
        EXPECT_NE(all.find(test.problem), std::string::npos) << test.what << ": expected " << test.problem << all;
    }
}

TEST_F(Inspect, OneFaultIsOneProblemLine) {
    const Inspection good = testing::inspect_file(image_);
    // The banner is the last file: past the end, it overlaps nothing.
    const DiscEntry& banner = entry(good, "opening.bnr");
    const std::uint64_t payload_length_word =
        std::uint64_t{good.table->offset} + std::uint64_t{banner.index} * FST_ENTRY_SIZE + 8;
    const struct {
        const char* what;
        std::uint64_t word;
        std::uint32_t value;
        const char* line;
    } cases[] = {
        {"maximum below the size", HEADER_WORDS_OFFSET + 12, good.header->fst_size - 1, "0x42C: maximum table size"},
        {"payload past the end", payload_length_word, static_cast<std::uint32_t>(good.length - banner.offset + 1),
         "opening.bnr"},
        {"program offset", HEADER_WORDS_OFFSET, 0x1D920, "0x420"},
    };
    Result<std::unique_ptr<ByteSource>> file = open_file_source(image_);
    ASSERT_TRUE(file);
    for (const auto& c : cases) {
        testing::PatchedSource source(*file.value);
        source.patch_word(c.word, c.value);
        const Inspection found = inspect_image(source, builtin_payloads(), false);
        EXPECT_EQ(found.problems.size(), 1u) << c.what << all_problems(found);
        EXPECT_NE(all_problems(found).find(c.line), std::string::npos) << c.what << all_problems(found);
    }
}

TEST_F(Inspect, WithoutATableOnlyTheHeaderIsShown) {
    Result<std::unique_ptr<ByteSource>> file = open_file_source(image_);
    ASSERT_TRUE(file);
    testing::PatchedSource source(*file.value);
    source.patch_word(HEADER_WORDS_OFFSET + 4, 0x7FFFFF00); // the table past the end
    const Inspection found = inspect_image(source, builtin_payloads(), false);
    EXPECT_TRUE(found.this_layout);
    EXPECT_FALSE(found.table);
    testing::CapturedOutput text;
    print_inspection_text(found, text.stream());
    EXPECT_NE(text.text().find("0x424: table offset 0x7FFFFF00"), std::string::npos) << text.text();
    EXPECT_EQ(text.text().find("Menu:"), std::string::npos) << text.text();
    const auto document = nlohmann::json::parse(inspection_json(found));
    EXPECT_FALSE(document.contains("menu"));
    EXPECT_FALSE(document.contains("payloads"));
}

TEST_F(Inspect, CommandStatuses) {
    EXPECT_EQ(run({"inspect"}).status, EXIT_USAGE);
    EXPECT_EQ(run({"inspect", image_, image_}).status, EXIT_USAGE);
    const Ran unknown = run({"inspect", "-fast", image_});
    EXPECT_EQ(unknown.status, EXIT_USAGE);
    EXPECT_NE(unknown.err.find("unknown option -fast"), std::string::npos) << unknown.err;
    const Ran missing = run({"inspect", dir_->file("none.iso")});
    EXPECT_EQ(missing.status, EXIT_FAILED);
    EXPECT_NE(missing.err.find("none.iso"), std::string::npos) << missing.err;
    EXPECT_EQ(run({"inspect", dir_->file("roms")}).status, EXIT_FAILED);
    const Ran text = run({"inspect", image_, "-DEEP"});
    ASSERT_EQ(text.status, EXIT_OK) << text.out;
    EXPECT_NE(text.out.find("Result      : consistent\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  003 CEEGAME1234"), std::string::npos) << text.out;
    EXPECT_LT(text.out.find("Result"), text.out.find("Menu:"));
    EXPECT_LT(text.out.find("Menu:"), text.out.find("Files:"));
}

#ifndef _WIN32
TEST_F(Inspect, TheProcessStatusSaysWhetherTheImageIsSound) {
    const std::string damaged = dir_->file("damaged.iso");
    fs::copy_file(image_, damaged, fs::copy_options::overwrite_existing);
    std::vector<std::uint8_t> word = {0x00, 0x01, 0xD9, 0x20}; // a program image offset of 0x1D920
    {
        std::FILE* file = std::fopen(damaged.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        std::fseek(file, HEADER_WORDS_OFFSET, SEEK_SET);
        std::fwrite(word.data(), 1, word.size(), file);
        std::fclose(file);
    }
    const std::string text_file = dir_->file("notes.txt");
    testing::write_text_file(text_file, std::string(0x1000, 'n'));
    const struct {
        std::vector<std::string> args;
        int status;
        const char* shown;
    } cases[] = {
        {{"inspect", image_}, 0, "Result      : consistent\n"},
        {{"inspect", damaged}, 1, "  0x420: program image offset 0x1D920 is not 0x1D924\n"},
        {{"inspect", "-json", damaged}, 1, "\"consistent\": false"},
        {{"inspect", text_file}, 1, "not an image of this kind"},
        {{"inspect", dir_->file("roms")}, 1, ""},
    };
    for (const auto& c : cases) {
        const auto ran = testing::run_process(c.args);
        EXPECT_EQ(ran.status, c.status) << c.args.back();
        EXPECT_NE(ran.out.find(c.shown), std::string::npos) << ran.out;
    }
    fs::remove(damaged);
}
#endif

// Names read from an image reach the terminal escaped, in inspect and in
// the reader's refusals of -payloads-from alike.
TEST(InspectOther, ControlBytesFromTheImageAreEscaped) {
    testing::ScratchDir dir;
    // Large enough for a loader and program, the program where -payloads-from looks for it.
    auto image = testing::make_fixture_image({{true, "a\x1b]2;owned\x07", 0, 99}}, 0x200000);
    testing::put_word(image, HEADER_WORDS_OFFSET, PROGRAM_IMAGE_OFFSET);
    const std::string path = dir.file("hostile.iso");
    testing::write_bytes_file(path, image);
    const Ran inspected = run({"inspect", path});
    EXPECT_EQ(inspected.status, EXIT_FAILED);
    EXPECT_NE(inspected.out.find("directory \"a\\x1B]2;owned\\x07\" ends at entry 99"), std::string::npos)
        << inspected.out;
    const Ran taken = run({"export-payloads", dir.file("set"), "-payloads-from", path});
    EXPECT_EQ(taken.status, EXIT_FAILED);
    EXPECT_NE(taken.err.find("a\\x1B]2;owned\\x07"), std::string::npos) << taken.err;
    for (const Ran* ran : {&inspected, &taken}) {
        EXPECT_EQ(ran->out.find('\x1b'), std::string::npos);
        EXPECT_EQ(ran->err.find('\x1b'), std::string::npos);
    }
    // Paths typed by the user, and texts, are shown with "?" for each control byte.
    const std::string typed = dir.file("x\x1b[2J");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"inspect", typed},
                                                 {"export-payloads", typed, "-payloads", typed},
                                                 {"-o", typed, "-d", typed, "-v", "L"},
                                                 {"-o", "a", "-d", "r", "-v", "L", "-payloads-from", typed}}) {
        const Ran refused = run(args);
        EXPECT_EQ(refused.status, EXIT_FAILED) << args[1];
        EXPECT_NE(refused.err.find(dir.file("x?[2J")), std::string::npos) << refused.err;
        EXPECT_EQ(refused.err.find('\x1b'), std::string::npos) << refused.err;
    }
    const Ran title = run({"export-payloads", dir.file("set"), "-title",
                           "a\xc2\x9b"
                           "2J"});
    EXPECT_EQ(title.status, EXIT_USAGE);
    EXPECT_EQ(title.err.find("\xc2\x9b"), std::string::npos) << title.err;
    EXPECT_NE(title.err.find("U+009B"), std::string::npos) << title.err;
}

TEST(InspectOther, AnythingWithAMarkOfThisToolIsCheckedAsItsImage) {
    // A sound table, but not laid out as this tool lays it out, under this
    // tool's disc id and magic word: every difference is a problem.
    const auto other = testing::make_fixture_image(
        {{true, "data", 0, 3}, {false, "a.bin", 0x1000, 0x20}, {false, "b.bin", 0x1020, 0x20}}, 0x4000);
    MemorySource other_source(other, "other.iso");
    const Inspection found = inspect_image(other_source, builtin_payloads(), true);
    EXPECT_TRUE(found.this_layout);
    for (const char* problem :
         {"0x420: program image offset 0x2440 is not 0x1D924", "0x424: table offset 0x440 is not 0x1EC8C4",
          "table entry 1: \"data\" (a folder), expected the \"roms\" folder", "F_00.tpl: not in the root folder"}) {
        EXPECT_NE(all_problems(found).find(problem), std::string::npos) << problem << all_problems(found);
    }
    EXPECT_EQ(found.payloads.size(), PAYLOAD_COUNT);
    EXPECT_EQ(found.crc32.size(), 4u);
    testing::CapturedOutput out;
    print_inspection_text(found, out.stream());
    EXPECT_NE(out.text().find("data/a.bin"), std::string::npos);
    EXPECT_TRUE(nlohmann::json::accept(inspection_json(found)));

    // Without the disc id, the magic word or the payloads it is no image of this console.
    auto unmarked = other;
    unmarked[DISC_ID_OFFSET] = 'X';
    unmarked[DISC_MAGIC_OFFSET] = 0;
    MemorySource unmarked_source(unmarked, "unmarked.iso");
    const Inspection foreign = inspect_image(unmarked_source, builtin_payloads(), false);
    EXPECT_FALSE(foreign.this_layout);
    EXPECT_EQ(foreign.problems, std::vector<std::string>{"not an image of this kind: neither this tool's disc id, "
                                                         "nor the magic word, nor its payloads"});
    // One mark is enough: the id alone, the magic alone, the loader or the program at its place.
    const PayloadSet& builtin = builtin_payloads();
    for (int mark = 0; mark < 4; ++mark) {
        std::vector<std::uint8_t> marked = unmarked;
        marked.resize(PROGRAM_IMAGE_OFFSET + DOL_HEADER_SIZE);
        if (mark == 0) marked[DISC_ID_OFFSET] = other[DISC_ID_OFFSET];
        if (mark == 1) marked[DISC_MAGIC_OFFSET] = other[DISC_MAGIC_OFFSET];
        if (mark == 2) std::copy_n(builtin.apploader_blob.begin(), 0x20, marked.begin() + LOADER_OFFSET);
        if (mark == 3)
            std::copy_n(builtin.program_image.begin(), DOL_HEADER_SIZE, marked.begin() + PROGRAM_IMAGE_OFFSET);
        MemorySource source(marked, "marked.iso");
        const Inspection checked = inspect_image(source, builtin, false);
        EXPECT_TRUE(checked.this_layout) << mark;
        EXPECT_FALSE(checked.consistent()) << mark;
    }

    std::vector<std::uint8_t> wii(0x1000);
    wii[0x18] = 0x5D, wii[0x19] = 0x1C, wii[0x1A] = 0x9E, wii[0x1B] = 0xA3;
    MemorySource wii_source(wii, "wii.iso");
    const Inspection wii_found = inspect_image(wii_source, builtin_payloads(), false);
    EXPECT_FALSE(wii_found.this_layout);
    EXPECT_EQ(wii_found.problems, std::vector<std::string>{"not an image of this kind: a disc of the other console "
                                                           "family: its files lie in encrypted partitions"});

    std::vector<std::uint8_t> garbage(0x10000);
    std::uint32_t state = 1;
    for (auto& byte : garbage) byte = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    for (const std::size_t size : {std::size_t{3}, garbage.size()}) {
        MemorySource source(std::span<const std::uint8_t>(garbage).first(size), "noise.bin");
        const Inspection noise = inspect_image(source, builtin_payloads(), true);
        EXPECT_FALSE(noise.consistent());
        EXPECT_FALSE(noise.this_layout);
        // Bytes that are not text still make one valid JSON document.
        EXPECT_TRUE(nlohmann::json::accept(inspection_json(noise)));
    }
}

TEST(InspectPadded, PaddedImageIsSampledAndTheFillChecked) {
    testing::ScratchDir dir;
    const std::string roms = dir.file("roms");
    fs::create_directory(roms);
    testing::write_rom(join_path(roms, "b.gba"), 4 * MIB, "bee");
    const std::string image = dir.file("padded.iso");
    ASSERT_EQ(run({"-o", image, "-d", roms, "-v", "PADDED", "-p"}).status, 0);
    const Inspection found = testing::inspect_file(image);
    EXPECT_TRUE(found.consistent()) << found.problems.front();
    EXPECT_EQ(found.padded_to, "Mini DVD-R");
    EXPECT_EQ(found.content_end, 0x806000u);

    Result<std::unique_ptr<ByteSource>> file = open_file_source(image);
    ASSERT_TRUE(file);
    testing::PatchedSource dirty(*file.value);
    dirty.patch(found.length - 1, {1});
    const Inspection damaged = inspect_image(dirty, builtin_payloads(), false);
    ASSERT_FALSE(damaged.consistent());
    EXPECT_NE(damaged.problems.front().find("the fill after the content is not zero"), std::string::npos)
        << damaged.problems.front();
}

} // namespace
} // namespace kessra
