#include "fuzz_entries.hpp"

#include <algorithm>
#include <cstdio>

#include "disc_reader/byte_source.hpp"
#include "format/be32.hpp"
#include "format/disc_format.hpp"
#include "inspect/inspect_report.hpp"
#include "inspect/inspection.hpp"
#include "payload_checks/patch_points.hpp"
#include "payload_checks/payload_checks.hpp"
#include "texture/picture_bytes.hpp"
#include "texture/picture_file.hpp"
#include "texture/png_file.hpp"

namespace kessra::fuzzing {

namespace {

std::FILE* null_output() {
#ifdef _WIN32
    static std::FILE* out = std::fopen("NUL", "w");
#else
    static std::FILE* out = std::fopen("/dev/null", "w");
#endif
    return out;
}

enum Mode : std::uint8_t { over_start, over_patch_points, whole };

std::vector<std::uint8_t> make_blob(std::size_t blob, Mode mode, std::span<const std::uint8_t> rest) {
    if (mode == whole) return {rest.begin(), rest.end()};
    const Blob builtin = payload_blob(builtin_payloads(), blob);
    std::vector<std::uint8_t> bytes(builtin.begin(), builtin.end());
    std::size_t at = 0;
    if (mode == over_patch_points && blob == PROGRAM_BLOB) at = MENU_TABLE_DOL_OFFSET - 0x20;
    const std::size_t count = std::min(rest.size(), bytes.size() - at);
    std::copy_n(rest.begin(), count, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// A small image laid out as the fixtures of the reader's tests: header words,
// then a table of a folder and two files.
std::vector<std::uint8_t> small_image(bool nested) {
    std::vector<std::uint8_t> image(0x2600);
    std::copy_n(DISC_ID, 6, image.begin());
    put_be32(image, DISC_MAGIC_OFFSET, DISC_MAGIC);
    const std::string names =
        nested ? std::string("d\0e\0a.bin\0b.bin\0", 16) : std::string("roms\0b.gba\0index.000\0", 21);
    const std::uint32_t entries = nested ? 5 : 4;
    const std::uint32_t table = 0x440;
    put_be32(image, table, FST_DIRECTORY_FLAG);
    put_be32(image, table + 8, entries);
    if (nested) {
        put_be32(image, table + 12, FST_DIRECTORY_FLAG | 0);
        put_be32(image, table + 20, 4);
        put_be32(image, table + 24, FST_DIRECTORY_FLAG | 2);
        put_be32(image, table + 28, 1);
        put_be32(image, table + 32, 4);
        put_be32(image, table + 36, 4);
        put_be32(image, table + 40, 0x2000);
        put_be32(image, table + 44, 0x100);
        put_be32(image, table + 48, 10);
        put_be32(image, table + 52, 0x2100);
        put_be32(image, table + 56, 0x100);
    } else {
        put_be32(image, table + 12, FST_DIRECTORY_FLAG);
        put_be32(image, table + 20, 3);
        put_be32(image, table + 24, 5);
        put_be32(image, table + 28, 0x2000);
        put_be32(image, table + 32, 0x400);
        put_be32(image, table + 36, 11);
        put_be32(image, table + 40, 0x2400);
        put_be32(image, table + 44, 0x200);
    }
    std::copy(names.begin(), names.end(), image.begin() + table + entries * FST_ENTRY_SIZE);
    const auto size = static_cast<std::uint32_t>(entries * FST_ENTRY_SIZE + names.size());
    put_be32(image, HEADER_WORDS_OFFSET, DISC_HEADER_SIZE);
    put_be32(image, HEADER_WORDS_OFFSET + 4, table);
    put_be32(image, HEADER_WORDS_OFFSET + 8, size);
    put_be32(image, HEADER_WORDS_OFFSET + 12, size);
    return image;
}

} // namespace

void inspect_one(std::span<const std::uint8_t> input) {
    MemorySource source(input, "fuzz.iso");
    const Inspection found = inspect_image(source, builtin_payloads(), true);
    print_inspection_text(found, null_output());
    (void)inspection_json(found);
}

void check_payload_one(std::span<const std::uint8_t> input) {
    if (input.size() < 2) return;
    const std::size_t blob = input[0] % PAYLOAD_COUNT;
    const auto mode = static_cast<Mode>(input[1] % 3);
    const std::vector<std::uint8_t> bytes = make_blob(blob, mode, input.subspan(2));
    const Blob program = blob == LOADER_BLOB ? builtin_payloads().program_image : Blob(bytes);
    for (const PayloadProblem& problem : check_blob(blob, bytes, "fuzz", program)) (void)problem_line(problem);
    (void)is_builtin_blob(blob, bytes, builtin_payloads());
}

void decode_picture_one(std::span<const std::uint8_t> input) {
    (void)texture::decode_picture(input, "fuzz");
    (void)texture::decode_picture(input, "fuzz", {96, 32});
}

std::vector<std::vector<std::uint8_t>> inspect_seeds() {
    std::vector<std::vector<std::uint8_t>> seeds{small_image(false), small_image(true)};
    std::vector<std::uint8_t> wii(0x440);
    put_be32(wii, 0x18, 0x5D1C9EA3);
    seeds.push_back(wii);
    return seeds;
}

std::vector<std::vector<std::uint8_t>> payload_seeds() {
    std::vector<std::vector<std::uint8_t>> seeds;
    const PayloadSet& builtin = builtin_payloads();
    for (std::uint8_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        const Blob bytes = payload_blob(builtin, blob);
        std::vector<std::uint8_t> seed{blob, over_start};
        seed.insert(seed.end(), bytes.begin(), bytes.begin() + 0x100);
        seeds.push_back(seed);
    }
    std::vector<std::uint8_t> menu{static_cast<std::uint8_t>(PROGRAM_BLOB), over_patch_points};
    const Blob program = builtin.program_image.subspan(MENU_TABLE_DOL_OFFSET - 0x20, 0x80);
    menu.insert(menu.end(), program.begin(), program.end());
    seeds.push_back(menu);
    return seeds;
}

std::vector<std::vector<std::uint8_t>> picture_seeds() {
    // Stripes with a transparent corner, as PNG with and without alpha and as
    // JPEG; the decoders' tests hold files of the other kinds (progressive,
    // CMYK, palette, grey) that the fuzzing script adds.
    texture::Picture pic = texture::make_picture(40, 24);
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            texture::pixel(pic, x, y) = {static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 10), 90,
                                         static_cast<std::uint8_t>(x < 4 && y < 4 ? 0 : 255)};
    return {texture::encode_png(pic, true), texture::encode_png(pic, false), testing::jpeg_of(pic, 80)};
}

} // namespace kessra::fuzzing
