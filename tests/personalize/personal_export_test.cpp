// export-payloads with one's own pictures: the folder holds the personal
// set, passes the checks when built from, and -previews shows what the
// console will show.
#include <gtest/gtest.h>

#include "cli/run.hpp"
#include "personalize/personalization.hpp"
#include "personalize/test_pictures.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"
#include "texture/picture_file.hpp"

namespace kessra {
namespace {

using testing::ScratchDir;

using Outcome = testing::ToolRun;


Picture read_png(const std::string& path) {
    const auto bytes = testing::read_bytes(path);
    auto read = texture::decode_picture(bytes, path);
    if (!read) throw std::runtime_error(read.status.message);
    return read.value;
}

TEST(PersonalExport, TheFolderIsReusedForBuildsAndPreviewed) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "ALPHA");
    testing::write_png_file(dir.file("photo.png"), testing::make_photograph(700, 500, 3), false);
    Picture logo = texture::make_picture(96, 32, {200, 60, 60, 255});
    texture::pixel(logo, 0, 0).a = 0;
    testing::write_png_file(dir.file("logo.png"), logo, true);
    const std::vector<std::string> personal{"-skin0",  dir.file("photo.png"), "-skin3", dir.file("photo.png"),
                                            "-banner", dir.file("logo.png"),  "-title", "Café"};

    std::vector<std::string> exporting{"export-payloads", dir.file("set"), "-previews"};
    exporting.insert(exporting.end(), personal.begin(), personal.end());
    const Outcome exported = testing::run_tool(exporting);
    ASSERT_EQ(exported.status, 0) << exported.err;

    // A build from the folder equals a build with the options themselves,
    // and both went through the payload checks.
    std::vector<std::string> direct{"-o", dir.file("direct.iso"), "-d", dir.file("roms"), "-v", "MINE"};
    direct.insert(direct.end(), personal.begin(), personal.end());
    ASSERT_EQ(testing::run_tool(direct).status, 0);
    const Outcome reused = testing::run_tool(
        {"-o", dir.file("reused.iso"), "-d", dir.file("roms"), "-v", "MINE", "-payloads", dir.file("set")});
    ASSERT_EQ(reused.status, 0) << reused.err;
    EXPECT_EQ(testing::read_bytes(dir.file("direct.iso")), testing::read_bytes(dir.file("reused.iso")));

    // Untouched skins are the built-in ones; the previews are the decoded textures.
    const auto skin1 = testing::read_bytes(dir.file("set/files/F_01.tpl"));
    EXPECT_TRUE(std::equal(skin1.begin(), skin1.end(), builtin_payloads().skin_blob[1].begin()));
    for (int i = 0; i < SKIN_COUNT; ++i) {
        SCOPED_TRACE(i);
        const auto skin = testing::read_bytes(dir.file("set/files/F_0" + std::to_string(i) + ".tpl"));
        EXPECT_EQ(read_png(dir.file("set/previews/skin" + std::to_string(i) + ".png")).pixels,
                  decode_skin_blob(skin).pixels);
    }
    const auto banner = testing::read_bytes(dir.file("set/files/opening.bnr"));
    const Picture banner_preview = read_png(dir.file("set/previews/banner.png"));
    EXPECT_EQ(banner_preview.pixels, decode_banner_picture(banner).pixels);
    EXPECT_EQ(banner_preview.pixels[0].a, 0);

    // Again without -force: nothing is replaced.
    const Outcome again = testing::run_tool(exporting);
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("banner.png: already there"), std::string::npos) << again.err;
}

TEST(PersonalExport, BadPicturesAndTextsWriteNothing) {
    ScratchDir dir;
    testing::write_text_file(dir.file("notes.png"), "no picture\n");
    const struct {
        std::vector<std::string> option;
        int status;
        const char* says;
    } cases[] = {
        {{"-skin2", dir.file("notes.png")}, 1, "notes.png: not a PNG"},
        {{"-long-title", std::string(64, 'x')}, 2, "-long-title: the text is 64 bytes long; at most 63 bytes fit"},
        {{"-banner"}, 2, "-banner needs a value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::vector<std::string> args{"export-payloads", dir.file("set"), "-previews"};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const Outcome refused = testing::run_tool(args);
        EXPECT_EQ(refused.status, c.status);
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "set"));
    }
}

TEST(PersonalExport, PreviewsThatCannotBeWrittenLeaveTheEarlierSetWhole) {
    ScratchDir dir;
    ASSERT_EQ(testing::run_tool({"export-payloads", dir.file("set")}).status, 0);
    const auto earlier_skin = testing::read_bytes(dir.file("set/files/F_01.tpl"));
    // A file where the previews' folder goes: the previews cannot be written.
    testing::write_text_file(dir.file("set/previews"), "in the way\n");
    testing::write_png_file(dir.file("mine.png"), testing::make_photograph(64, 48), false);

    const Outcome failed =
        testing::run_tool({"export-payloads", dir.file("set"), "-force", "-previews", "-skin1", dir.file("mine.png")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("previews"), std::string::npos) << failed.err;
    EXPECT_EQ(testing::read_bytes(dir.file("set/files/F_01.tpl")), earlier_skin);
    EXPECT_EQ(testing::directory_names(dir.path() / "set" / "files"),
              (std::vector<std::string>{"F_00.tpl", "F_01.tpl", "F_02.tpl", "F_03.tpl", "opening.bnr"}));
    EXPECT_EQ(testing::directory_names(dir.path() / "set" / "sys"),
              (std::vector<std::string>{"apploader.img", "main.dol"}));
}

} // namespace
} // namespace kessra
