// export-payloads as a process and against other runs: the lock it shares
// with the build, refusals before anything is made, and no folder left behind
// by a run that failed or was interrupted.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "payload_checks/payload_files.hpp"
#include "payload_sources/payload_folder.hpp"
#include "platform/output_files.hpp"
#include "support/spawned_tool.hpp"
#include "support/test_support.hpp"
#include "support/tool_run.hpp"

namespace kessra {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

TEST(ExportProcess, ARunOnAFolderAnotherRunWritesIsRefusedAtOnce) {
    ScratchDir dir;
    const std::string folder = dir.file("set");
    ASSERT_EQ(testing::run_tool({"export-payloads", folder}).status, 0);
    const auto earlier = testing::read_bytes(folder + "/sys/main.dol");
    const auto names = testing::directory_names(folder);
    testing::ProcessRun refused;
    {
        OutputLock held;
        ASSERT_TRUE(lock_folder(folder, held));
        refused = testing::run_process({"export-payloads", folder, "-force"});
    }
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "kessra: " + folder + ": another kessra run is writing this folder\n");
    EXPECT_EQ(testing::read_bytes(folder + "/sys/main.dol"), earlier);
    EXPECT_EQ(testing::directory_names(folder), names);
}

TEST(ExportProcess, TwoRunsAtOnceLeaveOneWholeSet) {
    ScratchDir dir;
    const std::string folder = dir.file("set");
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        testing::ProcessRun runs[2];
        std::thread other([&] {
            runs[1] = testing::run_process({"export-payloads", folder, "-force", "-title", "TWO"});
        });
        runs[0] = testing::run_process({"export-payloads", folder, "-force", "-title", "ONE"});
        other.join();
        const int statuses[2] = {runs[0].status, runs[1].status};
        for (const auto& run : runs) {
            if (run.status != 0) {
                EXPECT_EQ(run.err, "kessra: " + folder + ": another kessra run is writing this folder\n");
            }
        }
        // Each run succeeded, or was refused at once; at least one wrote the set.
        for (const int status : statuses) EXPECT_TRUE(status == 0 || status == 1) << status;
        EXPECT_TRUE(statuses[0] == 0 || statuses[1] == 0);
        for (const std::string& path : payload_folder_paths(folder)) EXPECT_TRUE(fs::is_regular_file(path)) << path;
        EXPECT_EQ(testing::directory_names(folder), (std::vector<std::string>{"files", "sys"}));
        EXPECT_EQ(testing::directory_names(folder + "/files").size(), 5u);
    }
}

TEST(ExportProcess, RefusalsAndFailuresLeaveNoFolderBehind) {
    ScratchDir dir;
    const std::string folder = dir.file("deep/set");
    // A folder where a file goes is refused before anything is made, even with -force.
    fs::create_directories(folder + "/files/F_00.tpl");
    const auto in_the_way = testing::run_process({"export-payloads", folder, "-force"});
    EXPECT_EQ(in_the_way.status, 1);
    EXPECT_EQ(in_the_way.err,
              "kessra: " + folder + "/files/F_00.tpl: is a folder, refusing to replace it with a file\n");
    EXPECT_EQ(testing::directory_names(folder), std::vector<std::string>{"files"});
    fs::remove_all(dir.file("deep"));

    // A file where a folder goes: what the run made goes again.
    fs::create_directories(folder);
    testing::write_text_file(folder + "/files", "in the way\n");
    const auto no_folder = testing::run_process({"export-payloads", folder, "-previews"});
    EXPECT_EQ(no_folder.status, 1);
    EXPECT_EQ(no_folder.err, "kessra: " + folder + "/files: is not a folder\n");
    EXPECT_EQ(testing::directory_names(folder), std::vector<std::string>{"files"});
    fs::remove_all(dir.file("deep"));

    // A write that fails (past a file size limit) after the folders were made.
    const std::string script = "ulimit -f 200; trap '' XFSZ; exec '" + std::string(KESSRA_BINARY) +
                               "' export-payloads '" + folder + "' -previews 2>&1";
    std::FILE* pipe = ::popen(("bash -c \"" + script + "\"").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string err;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) err += buffer;
    const int status = ::pclose(pipe);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(err.find("File too large"), std::string::npos) << err;
    EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{}) << "deep/set and its folders";
}

TEST(ExportProcess, AnInterruptedRunLeavesNoFolderBehind) {
    ScratchDir dir;
    const std::string folder = dir.file("set");
    // Stopped once its folders are there, while the previews are drawn; a run
    // that ends first is tried again.
    bool caught = false;
    for (int attempt = 0; attempt < 10 && !caught; ++attempt) {
        const auto run = testing::spawn_tool({"export-payloads", folder, "-previews"});
        ASSERT_NE(run.pid, 0);
        // Its folder, then the payload files' folders inside it.
        testing::wait_for_entries(dir.path(), 1);
        std::error_code error;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(folder + "/files", error) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::kill(run.pid, SIGTERM);
        int status = 0;
        ::waitpid(run.pid, &status, 0);
        ::close(run.stdout_read);
        if (WIFSIGNALED(status)) {
            caught = true;
            EXPECT_EQ(WTERMSIG(status), SIGTERM);
            EXPECT_EQ(testing::directory_names(dir.path()), std::vector<std::string>{});
        }
        fs::remove_all(folder);
    }
    if (!caught) GTEST_SKIP() << "every run ended before it could be interrupted";
}

} // namespace
} // namespace kessra

#endif
