#include "platform/output_files.hpp"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kessra {

namespace {

// Paths the signal handler removes; fixed buffers, since the handler may
// only call async-signal-safe functions.
struct WatchedPath {
    char path[4096];
    volatile sig_atomic_t active;
};
std::array<WatchedPath, 2> watched{};

extern "C" void remove_watched_and_die(int signal_number) {
    for (auto& slot : watched) {
        if (slot.active) ::unlink(slot.path);
    }
    if (signal_number == SIGBUS) {
        // ROMs are copied from a mapping of the file: it shrank during the copy.
        static const char message[] = "kessra: a ROM file was truncated while it was being copied\n";
        [[maybe_unused]] const auto ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
    }
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

} // namespace

std::string temporary_path_for(const std::string& final_path) {
    return final_path + ".kessra-" + std::to_string(::getpid()) + ".tmp";
}

Status replace_file(const std::string& from, const std::string& to, const std::string& name) {
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) != 0) return Status::failure(io_error_line(name, "renaming into place", errno));
    return Status::success();
}

void remove_quietly(const std::string& path) { ::unlink(path.c_str()); }

void install_interrupt_cleanup() {
    struct sigaction action {};
    action.sa_handler = remove_watched_and_die;
    sigemptyset(&action.sa_mask);
    // SIGHUP: the terminal went away; SIGPIPE: the reader of the report went away.
    for (const int signal_number : {SIGINT, SIGTERM, SIGBUS, SIGHUP, SIGPIPE}) {
        struct sigaction current {};
        ::sigaction(signal_number, nullptr, &current);
        // A signal the caller chose to ignore (nohup, for one) stays ignored.
        if (current.sa_handler != SIG_IGN) ::sigaction(signal_number, &action, nullptr);
    }
}

void watch_temporary(const std::string& path) {
    for (auto& slot : watched) {
        if (slot.active || path.size() >= sizeof slot.path) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.active = 1;
        return;
    }
}

void unwatch_temporary(const std::string& path) {
    for (auto& slot : watched) {
        if (slot.active && path == slot.path) slot.active = 0;
    }
}

} // namespace kessra
