// The tool as a process: how its output files come through closed standard
// streams, odd output paths, signals, killed and concurrent runs.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

struct ShellRun {
    int status; // exit status, or 128 + signal
    std::string err;
};

// Runs `script` under bash with the tool's path in $K; collects standard error.
ShellRun run_script(const std::string& script) {
    const std::string command = "K='" + std::string(KESSRA_BINARY) + "' bash -c '" + script + "' 2>&1 >/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string err;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) err += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), err};
}

void make_roms(const ScratchDir& dir) {
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "A");
    testing::write_rom(dir.file("roms/b.gba"), 4 * 1024 * 1024, "B");
}

// A run started with its standard output on an unread pipe: the fill's
// progress texts stop it with its temporary files in place.
testing::SpawnedTool start_stalled(const ScratchDir& dir, std::size_t entries_when_stalled) {
    const testing::SpawnedTool spawned =
        testing::spawn_tool({"-o", dir.file("out.iso"), "-d", dir.file("roms"), "-v", "V", "-p"});
    if (spawned.pid == 0) return spawned;
    testing::wait_for_entries(dir.path(), entries_when_stalled);
    // Let the progress texts fill the pipe.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return spawned;
}

int end_run(const testing::SpawnedTool& run, int signal_number) {
    ::kill(run.pid, signal_number);
    int status = 0;
    ::waitpid(run.pid, &status, 0);
    ::close(run.stdout_read);
    return status;
}

TEST(ProcessOutput, ClosedStandardStreamsNeverReachTheImage) {
    ScratchDir dir;
    make_roms(dir);
    const std::string args = " -d " + dir.file("roms") + " -v V";
    ASSERT_EQ(run_script("$K -o " + dir.file("reference.iso") + args).status, 0);
    for (const char* closing : {">&-", "<&- >&- 2>&-"}) {
        SCOPED_TRACE(closing);
        const ShellRun run = run_script("$K -o " + dir.file("closed.iso") + args + " " + closing);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(testing::read_bytes(dir.file("closed.iso")), testing::read_bytes(dir.file("reference.iso")));
        EXPECT_EQ(testing::read_text(dir.file("closed.iso.txt")).find("GCM Output"), std::string::npos);
    }
    // The fill's progress texts would otherwise end up past the medium's size.
    const ShellRun padded = run_script("$K -o " + dir.file("padded.iso") + args + " -p >&-");
    EXPECT_EQ(padded.status, 0) << padded.err;
    EXPECT_EQ(fs::file_size(dir.file("padded.iso")), 712880u * 2048u);
}

TEST(ProcessOutput, OutputPathsThatAreNotRegularFilesAreRefused) {
    ScratchDir dir;
    make_roms(dir);
    ASSERT_EQ(::mkfifo(dir.file("fifo.iso").c_str(), 0666), 0);
    fs::create_symlink("/dev/null", dir.file("null.iso"));
    ASSERT_EQ(::mkfifo(dir.file("listed.iso.txt").c_str(), 0666), 0);
    for (const std::string name : {"fifo.iso", "null.iso", "listed.iso"}) {
        const std::string image = dir.file(name);
        const std::string refused = name == "listed.iso" ? image + ".txt" : image;
        const ShellRun run = run_script("$K -o " + image + " -d " + dir.file("roms") + " -v V");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kessra: " + refused + ": is not a regular file, refusing to replace it\n");
    }
    EXPECT_EQ(testing::directory_names(dir.path()),
              (std::vector<std::string>{"fifo.iso", "listed.iso.txt", "null.iso", "roms"}));
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo.iso")));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(ProcessOutput, LongImageNamesWork) {
    ScratchDir dir;
    make_roms(dir);
    // The longest name whose listing name (".txt" added) still fits in 255
    // bytes, given relative to the folder: the whole path is limited too.
    const std::string image = std::string(251, 'p');
    const ShellRun run = run_script("cd " + dir.path().string() + " && $K -o " + image + " -d roms -v V");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(testing::directory_names(dir.path()),
              (std::vector<std::string>{std::string(251, 'p'), std::string(251, 'p') + ".txt", "roms"}));
}

TEST(ProcessOutput, SignalsRemoveTemporaryFilesAndEndTheRun) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF}) {
        SCOPED_TRACE(strsignal(signal_number));
        ScratchDir dir;
        make_roms(dir);
        // roms, the temporary image and listing, the lock file.
        const testing::SpawnedTool run = start_stalled(dir, 4);
        ASSERT_GT(run.pid, 0);
        EXPECT_EQ(testing::directory_names(dir.path()).size(), 4u);
        const int status = end_run(run, signal_number);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signal_number);
        EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"roms"});
    }
}

TEST(ProcessOutput, SignalIgnoredByTheCallerStaysIgnored) {
    ScratchDir dir;
    make_roms(dir);
    // The run waits on its unread report pipe when the signal comes.
    const ShellRun run = run_script("trap \"\" USR1; { $K -o " + dir.file("out.iso") + " -d " + dir.file("roms") +
                                    " -v V -p & pid=$!; sleep 0.5; kill -USR1 $pid; wait $pid; } |"
                                    " { sleep 1; cat >/dev/null; }");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"out.iso", "out.iso.txt", "roms"}));
}

TEST(ProcessOutput, FileSizeLimitIsReportedAsAFailedWrite) {
    ScratchDir dir;
    make_roms(dir);
    const ShellRun run =
        run_script("ulimit -f 4096; exec $K -o " + dir.file("out.iso") + " -d " + dir.file("roms") + " -v V");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kessra: " + dir.file("out.iso") + ": writing failed: File too large\n");
    EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"roms"});
}

TEST(ProcessOutput, KilledRunLeavesNothingThatBlocksTheNextOne) {
    ScratchDir dir;
    make_roms(dir);
    const testing::SpawnedTool run = start_stalled(dir, 4);
    ASSERT_GT(run.pid, 0);
    end_run(run, SIGKILL);
    EXPECT_EQ(testing::directory_names(dir.path()).size(), 4u) << "what the killed run left";
    const ShellRun next = run_script("$K -o " + dir.file("out.iso") + " -d " + dir.file("roms") + " -v V");
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_TRUE(fs::exists(dir.file("out.iso.txt")));
}

TEST(ProcessOutput, SecondRunOnTheSameImageIsRefusedAtOnce) {
    ScratchDir dir;
    make_roms(dir);
    const testing::SpawnedTool run = start_stalled(dir, 4);
    ASSERT_GT(run.pid, 0);
    const ShellRun second = run_script("$K -o " + dir.file("out.iso") + " -d " + dir.file("roms") + " -v W");
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, "kessra: " + dir.file("out.iso") + ": another kessra run is writing this image\n");
    end_run(run, SIGTERM);
    EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{"roms"});
}

std::string label_in_image(const std::string& path) {
    const auto bytes = testing::read_bytes(path);
    if (bytes.size() < 0x40) return {};
    return std::string(reinterpret_cast<const char*>(bytes.data()) + 0x20);
}

TEST(ProcessOutput, ConcurrentRunsAlwaysLeaveAMatchingPair) {
    ScratchDir dir;
    fs::create_directory(dir.path() / "roms");
    testing::write_rom(dir.file("roms/a.gba"), 4 * 1024 * 1024, "A");
    const std::string image = dir.file("out.iso");
    const std::string run = "$K -o " + image + " -d " + dir.file("roms") + " -v ";
    for (int pair = 0; pair < 30; ++pair) {
        const ShellRun both = run_script(run + "ONE >/dev/null 2>&1 & " + run + "TWO >/dev/null 2>&1; wait");
        ASSERT_EQ(both.status, 0);
        const std::string label = label_in_image(image);
        const std::string listing = testing::read_text(image + ".txt");
        EXPECT_NE(listing.find("\nVolume set as " + label + "\n"), std::string::npos)
            << "pair " << pair << ": image " << label << ", listing " << listing;
    }
    EXPECT_EQ(testing::directory_names(dir.path()), (std::vector<std::string>{"out.iso", "out.iso.txt", "roms"}));
}

} // namespace
} // namespace kessra

#endif
