// The tool as a process: what a full disk and an interruption leave behind.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/test_support.hpp"

extern char** environ;

namespace kessra {
namespace {

using testing::ScratchDir;

struct ProcessResult {
    int status;
    std::string err;
};

ProcessResult run_shell(const std::string& command) {
    std::FILE* pipe = ::popen((command + " 2>&1 >/dev/null").c_str(), "r");
    std::string err;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) err += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err};
}

void prepare_earlier_output(const ScratchDir& dir) {
    std::filesystem::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 16 * 1024 * 1024, "A");
    testing::write_text_file(dir.file("out.iso"), "earlier image");
    testing::write_text_file(dir.file("out.iso.txt"), "earlier listing");
}

void expect_earlier_output_kept(const ScratchDir& dir) {
    EXPECT_EQ(testing::read_text(dir.file("out.iso")), "earlier image");
    EXPECT_EQ(testing::read_text(dir.file("out.iso.txt")), "earlier listing");
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"out.iso", "out.iso.txt", "roms"}));
}

TEST(Process, FullDiskFailsNamingTheImageAndKeepsTheEarlierOne) {
    // A file size limit, with the signal that would end the process ignored,
    // makes every write past it fail with "File too large", as on a full disk:
    // while the ROMs are copied, and while the image is filled to its target.
    const struct {
        const char* limit_kib;
        const char* extra_option;
        const char* failure;
    } cases[] = {{"8192", "", ": writing failed: File too large\n"},
                 {"102400", " -p", ": extending failed: File too large\n"}};
    for (const auto& c : cases) {
        ScratchDir dir;
        prepare_earlier_output(dir);
        const auto result = run_shell(std::string("bash -c 'ulimit -f ") + c.limit_kib + "; trap \"\" XFSZ; exec " +
                                      KESSRA_BINARY + " -o " + dir.file("out.iso") + " -d " + dir.file("roms") +
                                      " -v V" + c.extra_option + "'");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "kessra: " + dir.file("out.iso") + c.failure);
        expect_earlier_output_kept(dir);
    }
}

TEST(Process, TerminationRemovesTemporaryFiles) {
    ScratchDir dir;
    prepare_earlier_output(dir);
    // The padding progress fills the unread pipe on standard output, so the run
    // stops there with its temporary files in place.
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    const std::string image = dir.file("out.iso");
    const std::string roms = dir.file("roms");
    const char* argv[] = {KESSRA_BINARY, "-o", image.c_str(), "-d", roms.c_str(), "-v", "V", "-p", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, KESSRA_BINARY, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (testing::directory_names(dir.path()).size() < 6 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(testing::directory_names(dir.path()).size(), 6u) << "temporary image and listing, lock file";
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(pipe_ends[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM); // a shell reports 143
    expect_earlier_output_kept(dir);
}

} // namespace
} // namespace kessra

#endif
