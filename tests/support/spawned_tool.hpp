// The tool as a process of its own, its standard output on a pipe that the
// test reads, or leaves unread so that the fill's progress texts stop the run
// with its temporary files in place; or run to its end under a time limit.
#pragma once
#ifndef _WIN32

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kessra::testing {

struct SpawnedTool {
    pid_t pid = 0;        // 0 when the tool could not be started
    int stdout_read = -1; // the read end of its standard output
};

// Starts the built tool with `args` (without the program name).
SpawnedTool spawn_tool(const std::vector<std::string>& args);

// How a run of the tool went, from start to end.
struct FinishedTool {
    bool ended = false; // false: still running at the time limit, so killed
    int status = -1;    // its exit status, when it ended by exiting
    std::string err;    // what it wrote to standard error
};

// Runs the built tool with `args`, its standard output discarded, for at
// most `limit`; a run still going then is killed and waited for. With
// `data_limit_mb`, the tool's data (heap and other private writable memory,
// RLIMIT_DATA) is limited to that many MiB, so that a run needing more fails.
FinishedTool run_tool_process(const std::vector<std::string>& args, std::chrono::milliseconds limit,
                              int data_limit_mb = 0);

// A finished run of the tool as a process of its own.
struct ProcessRun {
    int status; // exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs the built tool with `args` (without the program name) to its end,
// collecting its standard output and standard error. With `shell_setup`, a
// shell first runs those commands (a file size limit, a trap) and then
// becomes the tool.
ProcessRun run_process(const std::vector<std::string>& args, const std::string& shell_setup = "");

// Waits until `directory` holds at least `count` entries, for 20 s at most.
void wait_for_entries(const std::filesystem::path& directory, std::size_t count);

} // namespace kessra::testing

#endif
