// The tool as a process: what a full disk and an interruption leave behind.
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
        const auto result =
            run_shell(std::string("bash -c 'ulimit -f ") + c.limit_kib + "; trap \"\" XFSZ; exec " + KESSRA_BINARY +
                      " -o " + dir.file("out.iso") + " -d " + dir.file("roms") + " -v V" + c.extra_option + "'");
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
    const testing::SpawnedTool run =
        testing::spawn_tool({"-o", dir.file("out.iso"), "-d", dir.file("roms"), "-v", "V", "-p"});
    ASSERT_NE(run.pid, 0);
    testing::wait_for_entries(dir.path(), 6);
    EXPECT_EQ(testing::directory_names(dir.path()).size(), 6u) << "temporary image and listing, lock file";
    ::kill(run.pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(run.pid, &status, 0), run.pid);
    ::close(run.stdout_read);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM); // a shell reports 143
    expect_earlier_output_kept(dir);
}

} // namespace
} // namespace kessra

#endif
