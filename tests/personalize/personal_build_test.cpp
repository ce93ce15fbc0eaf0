// Builds with one's own skins, banner and texts: the image carries exactly
// the blobs made from the pictures, and every bad picture or text is refused
// before any file is created.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/options.hpp"
#include "cli/run.hpp"
#include "personalize/personalization.hpp"
#include "personalize/test_pictures.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"
#include "texture/png_file.hpp"

namespace kessra {
namespace {

using testing::ScratchDir;

using Outcome = testing::ToolRun;


// Two ROMs, a photograph and a logo with transparent corners.
void prepare(const ScratchDir& dir) {
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "ALPHA");
    testing::write_rom(dir.file("roms/b.gba"), 4 * 1024 * 1024, "BETA");
    testing::write_png_file(dir.file("photo.png"), testing::make_photograph(640, 448), false);
    Picture logo = texture::make_picture(192, 64, {30, 90, 200, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8 - y; ++x) texture::pixel(logo, x, y).a = 0;
    testing::write_png_file(dir.file("logo.png"), logo, true);
}

std::vector<std::string> personal_options(const ScratchDir& dir) {
    return {"-skin0",       dir.file("photo.png"),
            "-SKIN1",       dir.file("photo.png"),
            "-skin2",       dir.file("logo.png"),
            "-Skin3",       dir.file("photo.png"),
            "-banner",      dir.file("logo.png"),
            "-title",       "Café Quest",
            "-maker",       "Me",
            "-long-title",  "Café Quest: the long title",
            "-long-maker",  "Ünïcode Makers",
            "-description", "A disc of my own.\nSecond line."};
}

std::vector<std::uint8_t> image_file(const std::vector<std::uint8_t>& image, const std::string& name) {
    const testing::ReadImage read = testing::read_image(image);
    for (const auto& entry : read.entries)
        if (entry.name == name) return testing::file_contents(image, entry);
    throw std::runtime_error("no " + name + " in the image");
}

TEST(PersonalBuild, TheImageCarriesTheBlobsMadeFromThePictures) {
    ScratchDir dir;
    prepare(dir);
    std::vector<std::string> args{"-o", dir.file("out.iso"), "-d", dir.file("roms"), "-v", "MINE"};
    const auto options = personal_options(dir);
    args.insert(args.end(), options.begin(), options.end());
    const Outcome build = testing::run_tool(args);
    ASSERT_EQ(build.status, 0) << build.err;

    const ParsedCommandLine parsed = [&] {
        std::vector<const char*> argv{"kessra"};
        for (const auto& a : args) argv.push_back(a.c_str());
        return parse_command_line(static_cast<int>(argv.size()), argv.data());
    }();
    ASSERT_EQ(parsed.outcome, ParseOutcome::run);
    const auto made = make_personal_blobs(parsed.options.personal, builtin_payloads().banner_blob);
    ASSERT_TRUE(made);
    const auto image = testing::read_bytes(dir.file("out.iso"));
    for (std::size_t i = 0; i < SKIN_COUNT; ++i)
        EXPECT_EQ(image_file(image, "F_0" + std::to_string(i) + ".tpl"), *made.value.skins[i]) << i;
    const auto banner = image_file(image, "opening.bnr");
    EXPECT_EQ(banner, *made.value.banner);
    EXPECT_EQ(std::string(banner.begin() + 0x1820, banner.begin() + 0x1820 + 11), std::string("Caf\xE9 Quest\0", 11));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&banner[0x18A0])), "\xDCn\xEF"
                                                                           "code Makers");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&banner[0x18E0])), "A disc of my own.\nSecond line.");
    // Everything else is the built-in set's.
    const auto builtin = builtin_payloads();
    EXPECT_TRUE(std::equal(builtin.banner_blob.begin(), builtin.banner_blob.begin() + 0x20, banner.begin()));
    EXPECT_EQ(texture::pixel(decode_banner_picture(banner), 0, 0).a, 0);

#ifndef _WIN32
    // An independent reader takes the same files out of the image.
    if (std::system("command -v wit >/dev/null 2>&1") != 0) GTEST_SKIP() << "wit is not installed";
    const std::string extract = "wit extract -q '" + dir.file("out.iso") + "' '" + dir.file("x") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(extract.c_str()), 0);
    std::filesystem::path files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "x"))
        if (entry.is_directory() && entry.path().filename() == "files") files = entry.path();
    ASSERT_FALSE(files.empty()) << "wit extracted no files folder";
    for (std::size_t i = 0; i < SKIN_COUNT; ++i)
        EXPECT_EQ(testing::read_bytes((files / ("F_0" + std::to_string(i) + ".tpl")).string()), *made.value.skins[i]);
    EXPECT_EQ(testing::read_bytes((files / "opening.bnr").string()), *made.value.banner);
#endif
}

void put_be32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

std::string png_claiming(std::uint32_t width, std::uint32_t height) {
    std::string png = "\x89PNG\r\n\x1A\n";
    put_be32(png, 13);
    png += "IHDR";
    put_be32(png, width);
    put_be32(png, height);
    png += std::string("\x08\x06\0\0\0", 5) + std::string(4, '\0') + std::string(40, 'x');
    return png;
}

TEST(PersonalBuild, BadPicturesAndTextsAreRefusedBeforeAnyFileIsCreated) {
    ScratchDir dir;
    prepare(dir);
    const auto photo = testing::read_bytes(dir.file("photo.png"));
    testing::write_text_file(dir.file("truncated.png"),
                             std::string(photo.begin(), photo.begin() + static_cast<long>(photo.size() / 3)));
    testing::write_text_file(dir.file("notes.png"), "Just some notes.\n");
    testing::write_text_file(dir.file("zero.png"), png_claiming(0, 0));
    testing::write_text_file(dir.file("huge.png"), png_claiming(100000, 100000));
    const auto before = testing::directory_names(dir.path());
    const struct {
        std::vector<std::string> option;
        int status;
        std::string says;
    } cases[] = {
        {{"-skin1", dir.file("truncated.png")}, 1, dir.file("truncated.png") + ": damaged"},
        {{"-skin0", dir.file("notes.png")}, 1, dir.file("notes.png") + ": not a PNG"},
        {{"-banner", dir.file("zero.png")}, 1, dir.file("zero.png") + ": the picture has no pixels"},
        {{"-skin3", dir.file("huge.png")}, 1, dir.file("huge.png") + ": the picture is 100000 x 100000 pixels"},
        {{"-skin2", dir.file("missing.png")}, 1, dir.file("missing.png")},
        {{"-skin2", dir.path().string()}, 1, "is a directory"},
        {{"-title", std::string(32, 'x')}, 2, "-title: the text is 32 bytes long; at most 31 bytes fit"},
        {{"-long-maker", std::string(64, 'x')}, 2, "-long-maker: the text is 64 bytes long; at most 63"},
        {{"-description", "日本語"}, 2, "-description: the character \"日\" (U+65E5) is not in"},
        {{"-maker", "a\nb"}, 2, "-maker: control character U+000A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::vector<std::string> args{"-o",     dir.file("out.iso"),  "-d", dir.file("roms"), "-v", "MINE",
                                      "-skin0", dir.file("photo.png")};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const Outcome refused = testing::run_tool(args);
        EXPECT_EQ(refused.status, c.status);
        EXPECT_EQ(refused.err.rfind("kessra: ", 0), 0u) << refused.err;
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_EQ(testing::directory_names(dir.path()), before);
    }
}

TEST(PersonalBuild, OptionsFollowTheWalkOfTheOthers) {
    const auto parse = [](std::vector<const char*> args) {
        args.insert(args.begin(), "kessra");
        return parse_command_line(static_cast<int>(args.size()), args.data());
    };
    // Any case; the last occurrence wins; a value is itself looked at as an option.
    const auto parsed = parse({"-o", "a.iso", "-d", "roms", "-v", "L", "-SKIN2", "x.png", "-skin2", "y.png", "-Title",
                               "-banner", "b.png", "-skin9", "z.png"});
    ASSERT_EQ(parsed.outcome, ParseOutcome::run);
    EXPECT_EQ(parsed.options.personal.skin_pictures[2], "y.png");
    EXPECT_EQ(parsed.options.personal.banner_texts[0], "-banner");
    EXPECT_EQ(parsed.options.personal.banner_picture, "b.png");
    EXPECT_TRUE(parsed.options.personal.skin_pictures[0].empty());
    // Given last, without a value, an option is ignored.
    EXPECT_FALSE(parse({"-o", "a.iso", "-d", "roms", "-v", "L", "-skin1"}).options.personal.any());
    // The original options keep their meaning next to the new ones.
    const auto mixed = parse({"-o", "a.iso", "-skin0", "p.png", "-d", "roms", "-v", "L", "-ds", "2"});
    ASSERT_EQ(mixed.outcome, ParseOutcome::run);
    EXPECT_EQ(mixed.options.skin, 2);
    EXPECT_EQ(mixed.options.rom_directory, "roms");
}

} // namespace
} // namespace kessra
