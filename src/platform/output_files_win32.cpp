#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>

#include "platform/output_files.hpp"
#include "platform/win32_status.hpp"

namespace kessra {

namespace {

// Paths the console control handler removes. It runs on a thread of its own
// while the build goes on, so a slot is filled before it is marked active.
struct WatchedPath {
    char path[1024];
    std::atomic<bool> active;
};
std::array<WatchedPath, 2> watched{};

// Exit statuses as a shell reports the matching signals: 128 + SIGINT for
// Ctrl-C, 128 + SIGBREAK for Ctrl-Break, 128 + SIGTERM for the console
// closing, a logoff or a shutdown.
UINT exit_status_for(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT: return 130;
    case CTRL_BREAK_EVENT: return 149;
    default: return 143;
    }
}

BOOL WINAPI remove_watched_and_end(DWORD event) {
    for (auto& slot : watched) {
        // The temporary files are open with deletion shared: they disappear
        // as soon as the process ends and closes them.
        if (slot.active.load(std::memory_order_acquire)) DeleteFileA(slot.path);
    }
    // Ended at once: the build thread may hold the C runtime's locks, which
    // an orderly exit would wait for to flush the streams.
    TerminateProcess(GetCurrentProcess(), exit_status_for(event));
    return TRUE;
}

} // namespace

std::string temporary_path_for(const std::string& final_path) {
    return final_path + ".kessra-" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

Status replace_file(const std::string& from, const std::string& to, const std::string& name) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return Status::failure(win32_error_line(name, "renaming into place", GetLastError()));
    }
    return Status::success();
}

void remove_quietly(const std::string& path) { DeleteFileA(path.c_str()); }

void install_interrupt_cleanup() { SetConsoleCtrlHandler(remove_watched_and_end, TRUE); }

void watch_temporary(const std::string& path) {
    for (auto& slot : watched) {
        if (slot.active.load(std::memory_order_relaxed) || path.size() >= sizeof slot.path) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.active.store(true, std::memory_order_release);
        return;
    }
}

void unwatch_temporary(const std::string& path) {
    for (auto& slot : watched) {
        if (slot.active.load(std::memory_order_relaxed) && path == slot.path) {
            slot.active.store(false, std::memory_order_release);
        }
    }
}

} // namespace kessra
