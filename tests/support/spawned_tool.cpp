#ifndef _WIN32

#include "support/spawned_tool.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/test_support.hpp"

extern char** environ;

namespace kessra::testing {

namespace {

// Starts the built tool with `args` and the file actions given; 0 when it
// could not be started. With `shell_setup`, a shell runs those commands
// (limits, traps) and then becomes the tool.
pid_t spawn_with(const std::vector<std::string>& args, posix_spawn_file_actions_t& actions,
                 const std::string& shell_setup = "") {
    const std::string script = shell_setup + " && exec \"$0\" \"$@\"";
    std::vector<char*> argv;
    if (!shell_setup.empty())
        argv = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str())};
    argv.push_back(const_cast<char*>(KESSRA_BINARY));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? pid : 0;
}

} // namespace

SpawnedTool spawn_tool(const std::vector<std::string>& args) {
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    SpawnedTool spawned;
    spawned.pid = spawn_with(args, actions);
    const bool started = spawned.pid != 0;
    ::close(pipe_ends[1]);
    if (!started) {
        ::close(pipe_ends[0]);
        return {};
    }
    spawned.stdout_read = pipe_ends[0];
    return spawned;
}

FinishedTool run_tool_process(const std::vector<std::string>& args, std::chrono::milliseconds limit,
                              int data_limit_mb) {
    FinishedTool run;
    std::FILE* err = std::tmpfile();
    if (err == nullptr) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, ::fileno(err), STDERR_FILENO);
    const pid_t pid =
        spawn_with(args, actions, data_limit_mb > 0 ? "ulimit -d " + std::to_string(data_limit_mb * 1024) : "");
    if (pid == 0) {
        std::fclose(err);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    pid_t waited = 0;
    while ((waited = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (waited == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    } else {
        run.ended = WIFEXITED(status);
        run.status = run.ended ? WEXITSTATUS(status) : -1;
    }
    std::rewind(err);
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, err)) > 0;) run.err.append(buffer, n);
    std::fclose(err);
    return run;
}

ProcessRun run_process(const std::vector<std::string>& args, const std::string& shell_setup) {
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(out_pipe) != 0) return {-1, "", "no pipe"};
    if (::pipe(err_pipe) != 0) {
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        return {-1, "", "no pipe"};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    const pid_t pid = spawn_with(args, actions, shell_setup);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
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
