// Runs the whole tool in-process, with its console report and error lines
// captured, as a test of the command line sees it.
#pragma once

#include <string>
#include <vector>

#include "cli/run.hpp"

namespace kessra::testing {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// `args` without the program name; the environment's streams are replaced by captures.
ToolRun run_tool(std::vector<std::string> args, RunEnvironment environment = host_environment());

} // namespace kessra::testing
