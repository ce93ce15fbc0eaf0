#include "support/tool_run.hpp"

#include "support/test_support.hpp"

namespace kessra::testing {

ToolRun run_tool(std::vector<std::string> args, RunEnvironment environment) {
    args.insert(args.begin(), "kessra");
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    CapturedOutput out;
    CapturedOutput err;
    environment.out = out.stream();
    environment.err = err.stream();
    const int status = run_kessra(static_cast<int>(argv.size()), argv.data(), environment);
    return {status, out.text(), err.text()};
}

} // namespace kessra::testing
