// The tool as a process of its own, its standard output on a pipe that the
// test reads, or leaves unread so that the fill's progress texts stop the run
// with its temporary files in place.
#pragma once
#ifndef _WIN32

#include <sys/types.h>

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

// A finished run of the tool as a process of its own.
struct ProcessRun {
    int status; // exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs the built tool with `args` (without the program name) to its end,
// collecting its standard output and standard error.
ProcessRun run_process(const std::vector<std::string>& args);

// Waits until `directory` holds at least `count` entries, for 20 s at most.
void wait_for_entries(const std::filesystem::path& directory, std::size_t count);

} // namespace kessra::testing

#endif
