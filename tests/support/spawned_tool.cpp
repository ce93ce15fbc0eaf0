#ifndef _WIN32

#include "support/spawned_tool.hpp"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/test_support.hpp"

extern char** environ;

namespace kessra::testing {

namespace {

// Starts the tool with its standard output on `out_pipe` and, when given, its
// standard error on `err_pipe`; closes the write ends. No process gives pid 0.
pid_t start_tool(const std::vector<std::string>& args, const int out_pipe[2], const int* err_pipe) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    if (err_pipe != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    }
    std::vector<char*> argv{const_cast<char*>(KESSRA_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, KESSRA_BINARY, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out_pipe[1]);
    if (err_pipe != nullptr) ::close(err_pipe[1]);
    return started == 0 ? pid : 0;
}

} // namespace

SpawnedTool spawn_tool(const std::vector<std::string>& args) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return {};
    SpawnedTool spawned;
    spawned.pid = start_tool(args, pipe_ends, nullptr);
    if (spawned.pid == 0) {
        ::close(pipe_ends[0]);
        return {};
    }
    spawned.stdout_read = pipe_ends[0];
    return spawned;
}

ProcessRun run_process(const std::vector<std::string>& args) {
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(out_pipe) != 0) return {-1, "", "no pipe"};
    if (::pipe(err_pipe) != 0) {
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        return {-1, "", "no pipe"};
    }
    const pid_t pid = start_tool(args, out_pipe, err_pipe);
    ProcessRun run{-1, "", ""};
    // Both pipes read as they fill, so neither stream can stall the tool.
    pollfd readers[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int open_count = 2;
    while (pid != 0 && open_count > 0 && ::poll(readers, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (readers[i].fd < 0 || readers[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(readers[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, static_cast<std::size_t>(got));
                continue;
            }
            ::close(readers[i].fd);
            readers[i].fd = -1;
            --open_count;
        }
    }
    for (const pollfd& reader : readers)
        if (reader.fd >= 0) ::close(reader.fd);
    int status = 0;
    if (pid != 0 && ::waitpid(pid, &status, 0) == pid)
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

void wait_for_entries(const std::filesystem::path& directory, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (directory_names(directory).size() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace kessra::testing

#endif
