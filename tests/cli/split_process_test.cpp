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
    testing::write_text_file(dir.file("set_1.iso"), "earlier image");
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
    EXPECT_EQ(testing::read_text(dir.file("set_1.iso")), "earlier image");
    EXPECT_EQ(testing::read_text(dir.file("set_1.iso.txt")), "earlier listing");
}

} // namespace
} // namespace kessra

#endif
