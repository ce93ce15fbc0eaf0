// "-split" as a process: an interruption while the second disc is written
// leaves no file of the first.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.hpp"

extern char** environ;

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

    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    const std::string image = dir.file("set.iso");
    const std::string roms = dir.file("roms");
    const char* argv[] = {KESSRA_BINARY, "-o", image.c_str(), "-d", roms.c_str(), "-v", "V", "-p", "-split", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, KESSRA_BINARY, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);

    // Read the report until the second disc's summary; from then on the
    // unread padding progress fills the pipe and holds the run inside the
    // second disc, with the first one's files written.
    std::FILE* report = ::fdopen(pipe_ends[0], "r");
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
