// "-split" as a process: an interruption while the second disc is written
// leaves no file of the first.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

using testing::ScratchDir;

TEST(SplitProcess, TerminationDuringTheSecondDiscLeavesNoFileOfTheFirst) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "roms");
    // 190 disc names of 32 characters: the first disc's name table holds 189.
    for (int i = 1000; i < 1190; ++i) {
        testing::write_sparse_file(dir.file("roms/collection_game_number_" + std::to_string(i) + "x.gba"),
                                   4 * 1024 * 1024);
    }
    const auto earlier_image = testing::write_earlier_image(dir.file("set_1.iso"), "earlier image");
    testing::write_text_file(dir.file("set_1.iso.txt"), "earlier listing");
    const std::vector<std::string> before = testing::directory_names(dir.path());

    const testing::SpawnedTool run =
        testing::spawn_tool({"-o", dir.file("set.iso"), "-d", dir.file("roms"), "-v", "V", "-p", "-split"});
    ASSERT_NE(run.pid, 0);
    const pid_t pid = run.pid;

    // Read the report until the second disc's summary; from then on the
    // unread padding progress fills the pipe and holds the run inside the
    // second disc, with the first one's files written.
    std::FILE* report = ::fdopen(run.stdout_read, "r");
    const std::string second = "GCM Output to : " + dir.file("set_2.iso");
    std::string text;
    char buffer[4096];
    while (text.find(second) == std::string::npos && std::fgets(buffer, sizeof buffer, report) != nullptr) {
        text += buffer;
    }
    ASSERT_NE(text.find(second), std::string::npos) << text;
    EXPECT_GT(testing::directory_names(dir.path()).size(), before.size() + 1) << "the first disc's files";
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    std::fclose(report);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(testing::directory_names(dir.path()), before);
    EXPECT_EQ(testing::read_bytes(dir.file("set_1.iso")), earlier_image);
    EXPECT_EQ(testing::read_text(dir.file("set_1.iso.txt")), "earlier listing");
}

TEST(SplitProcess, NoImageOfAnyDiscReplacesARomOfAnotherDisc) {
    // Disc 1 takes b_2.gba and 188 ROMs with 32-character disc names; the
    // last ROM goes to disc 2, whose image, named after "-o DIR/b.gba", is
    // DIR/b_2.gba: the first disc's ROM.
    ScratchDir dir;
    for (int i = 1000; i < 1189; ++i) {
        testing::write_sparse_file(dir.file("collection_game_number_" + std::to_string(i) + "x.gba"), 4 * 1024 * 1024);
    }
    testing::write_rom(dir.file("b_2.gba"), 4 * 1024 * 1024, "BEE");
    const auto rom_before = testing::read_bytes(dir.file("b_2.gba"));
    const std::vector<std::string> before = testing::directory_names(dir.path());

    const auto run = testing::run_process({"-o", dir.file("b.gba"), "-d", dir.path().string(), "-v", "X", "-split"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "kessra: " + dir.file("b_2.gba") + ": refusing to overwrite the input ROM " + dir.file("b_2.gba") + "\n");
    EXPECT_EQ(testing::directory_names(dir.path()), before);
    EXPECT_EQ(testing::read_bytes(dir.file("b_2.gba")), rom_before);
}

} // namespace
} // namespace kessra

#endif
