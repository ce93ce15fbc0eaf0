#ifndef _WIN32

#include "support/spawned_tool.hpp"

#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/test_support.hpp"

extern char** environ;

namespace kessra::testing {

SpawnedTool spawn_tool(const std::vector<std::string>& args) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    std::vector<char*> argv{const_cast<char*>(KESSRA_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    SpawnedTool spawned;
    const int started = posix_spawn(&spawned.pid, KESSRA_BINARY, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);
    if (started != 0) {
        ::close(pipe_ends[0]);
        return {};
    }
    spawned.stdout_read = pipe_ends[0];
    return spawned;
}

void wait_for_entries(const std::filesystem::path& directory, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (directory_names(directory).size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace kessra::testing

#endif
