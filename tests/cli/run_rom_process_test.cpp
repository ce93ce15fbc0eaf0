// "kessra run" as a process of its own: the ROMs it refuses, the picture it
// writes, and what it leaves behind when the picture cannot be written.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "handheld/handheld_roms.hpp"
#include "handheld/screen_picture.hpp"
#include "support/test_support.hpp"
#include "support/spawned_tool.hpp"
#include "support/tool_run.hpp"
#include "texture/picture_file.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

using Finished = testing::ProcessRun; // status: the exit status, or 128 + the signal

Finished run_kessra(const std::vector<std::string>& args) {
    std::vector<std::string> all{"run"};
    all.insert(all.end(), args.begin(), args.end());
    return testing::run_process(all);
}

TEST(RunRomProcess, RefusesWhatIsNotARomNamingTheFile) {
    ScratchDir dir;
    const std::string short_rom = dir.file("short.gba");
    const std::string large_rom = dir.file("large.gba");
    const std::string folder = dir.file("folder.gba");
    const std::string fifo = dir.file("fifo.gba");
    testing::write_sparse_file(short_rom, 191);
    testing::write_sparse_file(large_rom, 32 * 1024 * 1024 + 1);
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string rom;
        std::string message;
    } cases[] = {
        {dir.file("missing.gba"), dir.file("missing.gba") + ": opening failed: No such file or directory"},
        {short_rom, short_rom + ": the file is 191 bytes; a ROM holds at least its 192-byte header"},
        {large_rom, large_rom + ": the file is 33554433 bytes; at most 33554432 are accepted"},
        {folder, folder + ": is not a regular file"},
        // Refused at once: nothing waits for a writer to open the pipe.
        {fifo, fifo + ": is not a regular file"},
        {"/dev/null", "/dev/null: is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rom);
        const Finished run = run_kessra({c.rom, "-frames", "1", "-screenshot", dir.file("shot.png")});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kessra: " + c.message + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(dir.file("shot.png")));
    }
}

TEST(RunRomProcess, TakesRomsFromTheHeaderAloneToAFullCartridge) {
    ScratchDir dir;
    for (const std::uint64_t size : {std::uint64_t{192}, std::uint64_t{193}, std::uint64_t{32} * 1024 * 1024}) {
        SCOPED_TRACE(size);
        const std::string rom = dir.file("zeros.gba");
        testing::write_sparse_file(rom, size);
        const Finished run = run_kessra({rom, "-frames", "2", "-screenshot", dir.file("shot.png")});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.out.starts_with("Ran 2 frames in ")) << run.out;
        EXPECT_TRUE(fs::is_regular_file(dir.file("shot.png")));
        fs::remove(dir.file("shot.png"));
    }
}

TEST(RunRomProcess, RefusesAnUnreadableRom) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    ScratchDir dir;
    const std::string rom = dir.file("locked.gba");
    testing::write_bytes_file(rom, testing::painting_rom());
    fs::permissions(rom, fs::perms::none);
    const Finished run = run_kessra({rom, "-frames", "1", "-screenshot", dir.file("shot.png")});
    fs::permissions(rom, fs::perms::owner_all);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kessra: " + rom + ": opening failed: Permission denied\n");
}

TEST(RunRomProcess, RefusesCommandLinesItCannotTake) {
    ScratchDir dir;
    const std::string rom = dir.file("a.gba");
    testing::write_bytes_file(rom, testing::painting_rom());
    const std::string shot = dir.file("shot.png");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-frames", "1", "-screenshot", shot}, "no ROM given"},
        {{rom, "-screenshot", shot}, "-frames is missing"},
        {{rom, "-frames", "1"}, "-screenshot is missing or empty"},
        {{rom, "-frames", "1", "-screenshot"}, "-screenshot needs a value"},
        {{rom, "-frames", "0", "-screenshot", shot}, "-frames 0: not a number of frames from 1 to 2147483647"},
        {{rom, "-frames", "10x", "-screenshot", shot}, "-frames 10x: not a number of frames from 1 to 2147483647"},
        {{rom, "-frames", "1", "-screenshot", shot, "-keys", "5:A,3:B"},
         "-keys: item 2 \"3:B\": frame 3 does not come after frame 5"},
        {{rom, "-frames", "1", "-screenshot", shot, "-keys", "5:JUMP"},
         "-keys: item 1 \"5:JUMP\": JUMP is not a key (the keys: A B SELECT START RIGHT LEFT UP DOWN R L)"},
        {{rom, "-frames", "1", "-screenshot", shot, "-speed", "2"}, "unknown option -speed"},
        {{rom, rom, "-frames", "1", "-screenshot", shot}, "one ROM only: " + rom},
        {{rom, "-frames", "1", "-screenshot", std::string(260, 'x')},
         "the value of -screenshot is longer than 259 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const Finished run = run_kessra(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "kessra: run: " + c.message + "\n");
        EXPECT_NE(run.err.find("Usage   : kessra run ROM"), std::string::npos);
        EXPECT_FALSE(fs::exists(shot));
    }
}

// The picture in the PNG file at `path`: 240 x 160, all `fill` but `dot` at (x, y).
void expect_picture(const std::string& path, std::uint16_t fill, int x, int y, std::uint16_t dot) {
    const std::vector<std::uint8_t> png = testing::read_bytes(path);
    const Result<texture::Picture> read = texture::decode_picture(png, path);
    ASSERT_TRUE(read) << read.status.message;
    ASSERT_EQ(read.value.width, 240);
    ASSERT_EQ(read.value.height, 160);
    std::size_t wrong = 0;
    for (int row = 0; row < 160; ++row)
        for (int column = 0; column < 240; ++column) {
            const texture::Rgba want = handheld::expand_colour(column == x && row == y ? dot : fill);
            if (!(texture::pixel(read.value, column, row) == want) && wrong++ < 3)
                ADD_FAILURE() << "pixel (" << column << ", " << row << ") is not the expected colour";
        }
    EXPECT_EQ(wrong, 0u);
}

TEST(RunRomProcess, WritesTheLastFrameAndLeavesTheRomAsItWas) {
    ScratchDir dir;
    const std::string rom = dir.file("paint.gba");
    const std::vector<std::uint8_t> bytes = testing::painting_rom();
    testing::write_bytes_file(rom, bytes);
    fs::permissions(rom, fs::perms::owner_read);
    const auto written = fs::last_write_time(rom);
    const Finished run = run_kessra({rom, "-FRAMES", "4", "-Screenshot", dir.file("shot.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("Ran 4 frames in ")) << run.out;
    EXPECT_TRUE(run.out.ends_with(" frames per second)\n")) << run.out;
    expect_picture(dir.file("shot.png"), testing::PAINT_COLOUR, testing::DOT_X, testing::DOT_Y, testing::DOT_COLOUR);
    EXPECT_EQ(testing::read_bytes(rom), bytes);
    EXPECT_EQ(fs::last_write_time(rom), written);
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"paint.gba", "shot.png"}));
}

TEST(RunRomProcess, HoldsTheScheduledKeysFromTheirFrameOn) {
    ScratchDir dir;
    const std::string rom = dir.file("keys.gba");
    testing::write_bytes_file(rom, testing::keys_rom());
    const struct {
        const char* frames;
        const char* keys; // nullptr: no -keys
        std::uint16_t held;
    } cases[] = {
        {"3", nullptr, 0},
        {"3", "0:A", 0x001},
        {"3", "0:A,2:b+up", 0x042},
        {"3", "0:A,3:B", 0x001}, // frame 3 is not run
        {"5", "1:start+select+l+r,4:-", 0},
        {"5", "1:start+select+l+r,4:DOWN", 0x080},
        {"2", "1:right+left", 0x030},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys == nullptr ? "no keys" : c.keys);
        std::vector<std::string> args{rom, "-frames", c.frames, "-screenshot", dir.file("keys.png")};
        if (c.keys != nullptr) args.insert(args.end(), {"-keys", c.keys});
        const Finished run = run_kessra(args);
        ASSERT_EQ(run.status, 0) << run.err;
        // KEYINPUT shows released keys as set bits; the rest of the screen stays black.
        expect_picture(dir.file("keys.png"), 0, 0, 0, static_cast<std::uint16_t>(0x3FF & ~c.held));
    }
}

TEST(RunRomProcess, AFailedPictureLeavesTheEarlierOneAndNoTemporaryFile) {
    ScratchDir dir;
    const std::string rom = dir.file("paint.gba");
    testing::write_bytes_file(rom, testing::painting_rom());
    testing::write_text_file(dir.file("shot.png"), "earlier picture");
    // Every write fails past a file size limit of 0, as on a full disk.
    const Finished run = testing::run_process({"run", rom, "-frames", "1", "-screenshot", dir.file("shot.png")},
                                              "ulimit -f 0 && trap '' XFSZ");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(": writing failed: File too large\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(testing::read_text(dir.file("shot.png")), "earlier picture");
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"paint.gba", "shot.png"}));
}

TEST(RunRomProcess, RefusesPicturePathsThatAreNoPictureFile) {
    ScratchDir dir;
    const std::string rom = dir.file("paint.gba");
    testing::write_bytes_file(rom, testing::painting_rom());
    fs::create_directory(dir.file("folder.png"));
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {dir.file("folder.png"), dir.file("folder.png") + ": is a directory, not a picture file"},
        {"/dev/null", "/dev/null: is not a regular file, refusing to replace it"},
        {rom, rom + ": refusing to overwrite the input ROM " + rom},
        {dir.file("no/such/folder.png"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Finished run = run_kessra({rom, "-frames", "1", "-screenshot", c.path});
        EXPECT_EQ(run.status, 1);
        if (!c.message.empty()) {
            EXPECT_EQ(run.err, "kessra: " + c.message + "\n");
        }
        EXPECT_TRUE(run.err.starts_with("kessra: " + c.path + ": ")) << run.err;
        EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"folder.png", "paint.gba"}));
    }
    EXPECT_EQ(testing::read_bytes(rom), testing::painting_rom());
}

} // namespace
} // namespace kessra

#endif
