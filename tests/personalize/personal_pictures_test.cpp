// The picture files behind the options: each file decoded once however it is
// spelled, and, as whole runs of the tool, pictures that claim huge sizes and
// paths that are not regular files refused quickly, with little memory.
#include <gtest/gtest.h>

#include <filesystem>

#include "personalize/personalization.hpp"
#include "personalize/test_pictures.hpp"
#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"
#include "texture/picture_bytes.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

// The runs that must not need much memory get 64 MiB of data, but not under
// AddressSanitizer, whose own bookkeeping does not fit such a limit.
#if defined(__SANITIZE_ADDRESS__)
constexpr int DATA_LIMIT_MB = 0;
#else
constexpr int DATA_LIMIT_MB = 64;
#endif

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

TEST(PersonalPictures, OneFileUnderSeveralNamesIsDecodedOnce) {
    ScratchDir dir;
    const Bytes png = texture::encode_png(testing::make_photograph(320, 240), false);
    testing::write_bytes_file(dir.file("a.png"), png);
    testing::write_bytes_file(dir.file("copy.png"), png); // same bytes, another file
    fs::create_directory(dir.path() / "sub");
    std::error_code linked;
    fs::create_hard_link(dir.path() / "a.png", dir.path() / "link.png", linked);

    Personalization wish;
    wish.skin_pictures = {dir.file("a.png"), (dir.path() / "." / "a.png").string(),
                          (dir.path() / "sub" / ".." / "a.png").string(), dir.file("copy.png")};
    wish.banner_picture = linked ? dir.file("a.png") : dir.file("link.png");
    const auto plan = plan_pictures(wish);
    ASSERT_TRUE(plan) << plan.status.message;
    ASSERT_EQ(plan.value.size(), 2u);
    const PictureUse& a = plan.value[0];
    EXPECT_EQ(a.path, dir.file("a.png"));
    ASSERT_EQ(a.fits.size(), 3u);
    EXPECT_EQ(a.fits[0].skins, std::vector<int>{0});
    EXPECT_EQ(a.fits[1].skins, (std::vector<int>{1, 2}));
    EXPECT_EQ(a.fits[1].width, 608);
    EXPECT_EQ(a.fits[2].skins, std::vector<int>{-1});
    EXPECT_EQ(a.fits[2].width, 96);
    EXPECT_EQ(a.cover().width, 640);
    EXPECT_EQ(a.cover().height, 448);
    EXPECT_EQ(plan.value[1].path, dir.file("copy.png"));
    EXPECT_EQ(plan.value[1].fits[0].skins, std::vector<int>{3});

    // The blobs are those each option would give alone.
    const auto made = make_personal_blobs(wish, builtin_payloads().banner_blob);
    ASSERT_TRUE(made) << made.status.message;
    for (int i = 0; i < SKIN_COUNT; ++i) {
        Personalization alone;
        alone.skin_pictures[static_cast<std::size_t>(i)] = dir.file("copy.png");
        const auto one = make_personal_blobs(alone, builtin_payloads().banner_blob);
        ASSERT_TRUE(one);
        EXPECT_EQ(*made.value.skins[static_cast<std::size_t>(i)], *one.value.skins[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(PersonalPictures, APathThatIsNotAFileIsRefusedBeforeReading) {
    ScratchDir dir;
    testing::write_bytes_file(dir.file("a.png"), texture::encode_png(testing::make_photograph(64, 48), false));
    Personalization wish;
    wish.skin_pictures[0] = dir.file("a.png");
    wish.banner_picture = dir.path().string();
    const auto plan = plan_pictures(wish);
    ASSERT_FALSE(plan);
    EXPECT_EQ(plan.status.message, dir.path().string() + ": is a directory, not a file");
}

#ifndef _WIN32

constexpr auto TIME_LIMIT = std::chrono::seconds(20);

std::vector<std::string> build_args(const ScratchDir& dir) {
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "ALPHA");
    return {"-o", dir.file("out.iso"), "-d", dir.file("roms"), "-v", "MINE"};
}

// The same file for every picture option, each time spelled differently.
void add_five_spellings(std::vector<std::string>& args, const ScratchDir& dir, const std::string& name) {
    const fs::path p = dir.path();
    const std::string spellings[] = {dir.file(name), (p / "." / name).string(), (p / "roms" / ".." / name).string(),
                                     (p / "." / "." / name).string(), (p / "roms" / ".." / "." / name).string()};
    const char* options[] = {"-skin0", "-skin1", "-skin2", "-skin3", "-banner"};
    for (int i = 0; i < 5; ++i) args.insert(args.end(), {options[i], spellings[i]});
}

TEST(PersonalPictures, PixelBombsAreRefusedWithoutTakingTheirMemory) {
    for (const testing::CraftedPicture& b : testing::pixel_bombs()) {
        SCOPED_TRACE(b.name);
        ScratchDir dir;
        std::vector<std::string> args = build_args(dir);
        testing::write_bytes_file(dir.file(b.name), b.bytes);
        add_five_spellings(args, dir, b.name);
        const testing::FinishedTool run = testing::run_tool_process(args, TIME_LIMIT, DATA_LIMIT_MB);
        ASSERT_TRUE(run.ended) << "killed after the time limit";
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("kessra: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(dir.file(b.name) + ": " + b.says), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "out.iso"));
    }
}

// A picture given to all five options under five spellings is decoded once,
// at the scale its largest use needs, within 64 MiB: a 4000 x 3000 JPEG
// decoded whole takes 48 MB, and more than that for each spelling decoded.
TEST(PersonalPictures, OnePhotographForEveryOptionIsDecodedOnceAndScaled) {
    ScratchDir dir;
    std::vector<std::string> args = build_args(dir);
    texture::Picture photo = texture::make_picture(4000, 3000);
    for (int y = 0; y < 3000; ++y)
        for (int x = 0; x < 4000; ++x)
            texture::pixel(photo, x, y) = {static_cast<std::uint8_t>(x / 16), static_cast<std::uint8_t>(y / 12), 90,
                                           255};
    testing::write_bytes_file(dir.file("photo.jpg"), testing::jpeg_of(photo, 85));
    add_five_spellings(args, dir, "photo.jpg");
    const testing::FinishedTool run = testing::run_tool_process(args, std::chrono::seconds(60), DATA_LIMIT_MB);
    ASSERT_TRUE(run.ended) << "killed after the time limit";
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(dir.path() / "out.iso"));
}

TEST(PersonalPictures, PathsThatAreNotRegularFilesAreRefusedWithoutWaiting) {
    ScratchDir dir;
    std::vector<std::string> base = build_args(dir);
    ASSERT_EQ(::mkfifo(dir.file("pipe.png").c_str(), 0666), 0);
    const struct {
        std::string path;
        std::string says;
    } cases[] = {{dir.file("pipe.png"), ": is not a regular file"},
                 {"/dev/zero", ": is not a regular file"},
                 {dir.file("roms"), ": is a directory, not a file"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<std::string> args = base;
        args.insert(args.end(), {"-skin1", c.path});
        const testing::FinishedTool run = testing::run_tool_process(args, TIME_LIMIT);
        ASSERT_TRUE(run.ended) << "killed after the time limit";
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kessra: " + c.path + c.says + "\n");
        EXPECT_FALSE(fs::exists(dir.path() / "out.iso"));
    }
}

#endif

} // namespace
} // namespace kessra
