// Checks of payload blobs against the fixed layout, and the restoring of the
// program image's patch points.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "payload_checks/patch_points.hpp"
#include "payload_checks/payload_checks.hpp"

namespace kessra {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes copy_of(std::size_t blob) {
    const Blob bytes = payload_blob(builtin_payloads(), blob);
    return Bytes(bytes.begin(), bytes.end());
}

std::vector<PayloadProblem> check(std::size_t blob, const Bytes& bytes) {
    return check_blob(blob, bytes, PAYLOAD_FILES[blob].name, builtin_payloads().program_image);
}

void put_text(Bytes& bytes, std::size_t at, const char* text, std::size_t length) {
    std::memcpy(bytes.data() + at, text, length);
}

TEST(PayloadChecks, BuiltInSetPassesAndIsRecognised) {
    const PayloadSet& builtin = builtin_payloads();
    std::array<std::string, PAYLOAD_COUNT> names;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) names[blob] = PAYLOAD_FILES[blob].name;
    for (const PayloadProblem& problem : check_payload_set(builtin, names)) ADD_FAILURE() << problem_line(problem);
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        EXPECT_TRUE(is_builtin_blob(blob, payload_blob(builtin, blob), builtin)) << blob;
    }
}

// One wrong byte or field in each class of field is reported with the file,
// the field, its offset and both values.
TEST(PayloadChecks, EachFieldClassIsReportedWithItsOffsetAndValues) {
    const struct {
        std::size_t blob;
        std::size_t at;     // byte changed
        std::uint8_t value; // new value
        const char* field;
        std::uint64_t offset; // reported offset
        const char* expected;
        const char* found;
    } cases[] = {
        {LOADER_BLOB, 0x03, '4', "date text", 0x00, "\"2003/04/17\\0\\0\\0\\0\\0\\0\"",
         "\"2004/04/17\\0\\0\\0\\0\\0\\0\""},
        {LOADER_BLOB, 0x13, 0x59, "entry point", 0x10, "0x81200258", "0x81200259"},
        {LOADER_BLOB, 0x17, 0x55, "code size", 0x14, "0x00001954", "0x00001955"},
        {LOADER_BLOB, 0x18, 0x01, "trailer size", 0x18, "0x0001B8B0", "0x0101B8B0"},
        {LOADER_BLOB, 0x1F, 0x01, "reserved word", 0x1C, "0x00000000", "0x00000001"},
        {PROGRAM_BLOB, 0x03, 0x20, "text section 0 file offset", 0x00, "0x00000100", "0x00000120"},
        {PROGRAM_BLOB, 0x07, 0x20, "text section 1 file offset", 0x04, "0x00000000", "0x00000020"},
        {PROGRAM_BLOB, 0x1F, 0x01, "data section 0 file offset", 0x1C, "0x00000000", "0x00000001"},
        {PROGRAM_BLOB, 0x4B, 0x01, "text section 0 load address", 0x48, "0x80003100", "0x80003101"},
        {PROGRAM_BLOB, 0x64, 0x80, "data section 0 load address", 0x64, "0x00000000", "0x80000000"},
        {PROGRAM_BLOB, 0x93, 0xA1, "text section 0 size", 0x90, "0x001CEEA0", "0x001CEEA1"},
        {PROGRAM_BLOB, 0xD4, 0x01, "data section 10 size", 0xD4, "0x00000000", "0x01000000"},
        {PROGRAM_BLOB, 0xD8, 0x80, "BSS address", 0xD8, "0x00000000", "0x80000000"},
        {PROGRAM_BLOB, 0xDF, 0x10, "BSS size", 0xDC, "0x00000000", "0x00000010"},
        {PROGRAM_BLOB, 0xE3, 0xA4, "entry point", 0xE0, "0x800A20A0", "0x800A20A4"},
        {PROGRAM_BLOB, 0xF0, 0x01, "reserved", 0xF0, "zero bytes up to 0x100", "0x1 at 0xF0"},
        // The reserved zeros begin right after the entry point and run to the header's end.
        {PROGRAM_BLOB, 0xE4, 0x01, "reserved", 0xE4, "zero bytes up to 0x100", "0x1 at 0xE4"},
        {PROGRAM_BLOB, 0xFF, 0x80, "reserved", 0xFF, "zero bytes up to 0x100", "0x80 at 0xFF"},
        // The last slot, up to its last byte before the skin setting.
        {PROGRAM_BLOB, 0x1BC528 + 16 * 511 + 5, 'X', "menu slot 512", 0x1BE518,
         "\"000 GAMENUMB512\\0\", \"512 TITLE\" with zeros to the end, or 16 zero bytes", "\"000 GXMENUMB512\\0\""},
        {PROGRAM_BLOB, 0x1BE527, 'x', "menu slot 512", 0x1BE518,
         "\"000 GAMENUMB512\\0\", \"512 TITLE\" with zeros to the end, or 16 zero bytes", "\"000 GAMENUMB512x\""},
        {PROGRAM_BLOB, 0x1BE528, '/', "skin setting", 0x1BE528, "a digit 0 to 3, then \"SKIN\\0\\0\\0\"",
         "\"/SKIN\\0\\0\\0\""},
        {PROGRAM_BLOB, 0x1BE530, '3', "zoom setting", 0x1BE530, "a digit 0 to 2, then \"ZOOM\\0\\0\\0\"",
         "\"3ZOOM\\0\\0\\0\""},
        {PROGRAM_BLOB, 0x1BC528 + 16 * 4 + 5, 'X', "menu slot 5", 0x1BC568,
         "\"000 GAMENUMB005\\0\", \"005 TITLE\" with zeros to the end, or 16 zero bytes", "\"000 GXMENUMB005\\0\""},
        {PROGRAM_BLOB, 0x1BE528, '4', "skin setting", 0x1BE528, "a digit 0 to 3, then \"SKIN\\0\\0\\0\"",
         "\"4SKIN\\0\\0\\0\""},
        {PROGRAM_BLOB, 0x1BE536, 'x', "zoom setting", 0x1BE530, "a digit 0 to 2, then \"ZOOM\\0\\0\\0\"",
         "\"0ZOOM\\0x\\0\""},
        {FIRST_SKIN_BLOB, 0x00, 0x01, "magic", 0x00, "0x0020AF30", "0x0120AF30"},
        {FIRST_SKIN_BLOB, 0x07, 0x02, "image count", 0x04, "1", "2"},
        {FIRST_SKIN_BLOB, 0x15, 0xE0, "height", 0x14, "448", "480"},
        {FIRST_SKIN_BLOB, 0x17, 0x60, "width", 0x16, "640", "608"},
        {FIRST_SKIN_BLOB + 1, 0x17, 0x80, "width", 0x16, "608", "640"},
        {FIRST_SKIN_BLOB + 3, 0x1B, 0x0E, "format", 0x18, "4", "14"},
        {FIRST_SKIN_BLOB + 2, 0x2B, 0x00, "minification filter", 0x28, "1", "0"},
        {FIRST_SKIN_BLOB + 2, 0x36, 0x03, "maximum level of detail", 0x36, "0x00", "0x03"},
        {FIRST_SKIN_BLOB, 0x23040, 0x05, "fill after the texture", 0x23040, "zero bytes up to 0x85040",
         "0x5 at 0x23040"},
        {BANNER_BLOB, 0x03, '2', "magic", 0x00, "\"BNR1\"", "\"BNR2\""},
    };
    for (const auto& c : cases) {
        Bytes bytes = copy_of(c.blob);
        bytes[c.at] = c.value;
        const auto problems = check(c.blob, bytes);
        ASSERT_EQ(problems.size(), 1u) << c.field;
        const PayloadProblem& problem = problems[0];
        EXPECT_EQ(problem.blob, c.blob);
        EXPECT_EQ(problem.file, PAYLOAD_FILES[c.blob].name);
        EXPECT_EQ(problem.field, c.field);
        EXPECT_EQ(problem.offset, c.offset) << c.field;
        EXPECT_EQ(problem.expected, c.expected) << c.field;
        EXPECT_EQ(problem.found, c.found) << c.field;
    }
}

TEST(PayloadChecks, LengthsAndTheLongLoader) {
    const Blob program = builtin_payloads().program_image;
    Bytes long_loader = copy_of(LOADER_BLOB);
    long_loader.insert(long_loader.end(), program.begin(), program.begin() + (0x1D224 - 0x1B4E4));
    EXPECT_TRUE(check(LOADER_BLOB, long_loader).empty());
    EXPECT_TRUE(is_builtin_blob(LOADER_BLOB, long_loader, builtin_payloads()));
    EXPECT_EQ(loader_in_use(long_loader).size(), 0x1B4E4u);

    long_loader.back() ^= 1; // the tail no longer matches the program image
    auto problems = check(LOADER_BLOB, long_loader);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].field, "bytes past the loader");
    EXPECT_EQ(problems[0].offset, 0x1B4E4u);

    const struct {
        std::size_t blob;
        std::size_t length;
        const char* found;
    } cases[] = {{LOADER_BLOB, 0x1B4E5, "111845 bytes"},
                 {LOADER_BLOB, 0x1D223, "119331 bytes"},
                 {PROGRAM_BLOB, 0x1CEF9F, "1896351 bytes"},
                 {FIRST_SKIN_BLOB + 1, 0x85041, "544833 bytes"},
                 {BANNER_BLOB, 0x40, "64 bytes"}};
    for (const auto& c : cases) {
        Bytes bytes = copy_of(c.blob);
        bytes.resize(c.length);
        problems = check(c.blob, bytes);
        ASSERT_FALSE(problems.empty()) << c.found;
        EXPECT_EQ(problems[0].field, "length");
        EXPECT_EQ(problems[0].found, c.found);
        EXPECT_FALSE(is_builtin_blob(c.blob, bytes, builtin_payloads()));
    }
    // Too short for its header: the length is reported, no field is read past the end.
    problems = check(PROGRAM_BLOB, Bytes(0x10, 0));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[1].field, "text section 0 file offset");
    EXPECT_EQ(check(FIRST_SKIN_BLOB, Bytes{}).size(), 1u);
}

TEST(PayloadChecks, AllProblemsAreReportedNotJustTheFirst) {
    Bytes program = copy_of(PROGRAM_BLOB);
    program[0xE0] = 0;
    for (std::size_t slot = 0; slot < 3; ++slot) program[0x1BC528 + 16 * slot + 15] = 'x';
    program[0x1BE530] = 'z';
    const auto problems = check(PROGRAM_BLOB, program);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].field, "entry point");
    EXPECT_EQ(problems[3].field, "menu slot 3");
    EXPECT_EQ(problem_line(problems[4]), "main.dol: zoom setting at 0x1BE530: expected a digit 0 to 2, then "
                                         "\"ZOOM\\0\\0\\0\", found \"zZOOM\\0\\0\\0\"");
}

TEST(PatchPoints, SlotsAreTitlesPlaceholdersEmptyOrGarbled) {
    const struct {
        const char* bytes; // 16 bytes
        std::uint32_t number;
        SlotKind kind;
    } cases[] = {
        {"000 GAMENUMB001\0", 1, SlotKind::placeholder},
        {"000 GAMENUMB512\0", 512, SlotKind::placeholder},
        {"000 GAMENUMB002\0", 1, SlotKind::garbled}, // another slot's placeholder
        {"001 MARIO\0\0\0\0\0\0\0", 1, SlotKind::title},
        {"017 ADVANCEWARS\0", 17, SlotKind::title},           // 11 characters fill the slot
        {"007 \0\0\0\0\0\0\0\0\0\0\0\0", 7, SlotKind::title}, // an empty title
        {"002 MARIO\0\0\0\0\0\0\0", 1, SlotKind::garbled},    // another slot's number
        {"001 MARIO\0\0\0X\0\0\0", 1, SlotKind::garbled},     // bytes after the title
        {"001_MARIO\0\0\0\0\0\0\0", 1, SlotKind::garbled},
        {"001 ADVANCEWARS2", 1, SlotKind::garbled}, // no NUL at the end
        {"\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 300, SlotKind::empty},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, 16> slot{};
        std::memcpy(slot.data(), c.bytes, 16);
        EXPECT_EQ(classify_slot(slot, c.number), c.kind) << c.bytes << " in slot " << c.number;
    }
}

TEST(PatchPoints, RestoringUndoesWhatABuildWrites) {
    Bytes program = copy_of(PROGRAM_BLOB);
    std::memset(program.data() + 0x1BC528, 0, 48);
    put_text(program, 0x1BC528, "001 MARIO", 9);
    put_text(program, 0x1BC538, "002 ZELDA", 9);
    program[0x1BE528] = '3';
    program[0x1BE530] = '2';
    EXPECT_TRUE(check(PROGRAM_BLOB, program).empty());
    EXPECT_FALSE(std::equal(program.begin(), program.end(), builtin_payloads().program_image.begin()));
    EXPECT_TRUE(is_builtin_blob(PROGRAM_BLOB, program, builtin_payloads()));

    restore_patch_points(program);
    EXPECT_TRUE(std::equal(program.begin(), program.end(), builtin_payloads().program_image.begin()));

    // Bytes outside the patch points are not restored.
    program[0x1BC527] ^= 1;
    EXPECT_FALSE(is_builtin_blob(PROGRAM_BLOB, program, builtin_payloads()));
    EXPECT_EQ(restored_program(program)[0x1BC527], program[0x1BC527]);
}

} // namespace
} // namespace kessra
