#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/output_files.hpp"
#include "platform/win32_status.hpp"

namespace kessra {

namespace {

// Paths the console control handler removes. It runs on a thread of its own
// while the build goes on, so a slot is filled before it is marked active.
// The flags sit apart from the paths: looking for a slot reads one small array.
std::array<std::atomic<bool>, MAX_WATCHED_FILES> watched_active{};
std::array<std::array<char, 1024>, MAX_WATCHED_FILES> watched_path{};

// Held while the outputs are switched; the handler waits for it.
SRWLOCK switching = SRWLOCK_INIT;

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
    AcquireSRWLockExclusive(&switching);
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        // The temporary files are open with deletion shared: they disappear
        // as soon as the process ends and closes them.
        if (watched_active[i].load(std::memory_order_acquire)) DeleteFileA(watched_path[i].data());
    }
    // Then the folders made for them, each after those made inside it (a
    // folder whose files go only when the process ends stays).
    for (std::size_t i = MAX_WATCHED_FILES; i-- > 0;) {
        if (watched_active[i].load(std::memory_order_acquire)) RemoveDirectoryA(watched_path[i].data());
    }
    // Ended at once: the build thread may hold the C runtime's locks, which
    // an orderly exit would wait for to flush the streams.
    TerminateProcess(GetCurrentProcess(), exit_status_for(event));
    return TRUE;
}

} // namespace

Status replace_file(const std::string& from, const std::string& to, const std::string& name) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return Status::failure(win32_error_line(name, "renaming into place", GetLastError()));
    }
    return Status::success();
}

void remove_quietly(const std::string& path) { DeleteFileA(path.c_str()); }

void remove_empty_folder(const std::string& path) { RemoveDirectoryA(path.c_str()); }

Status link_file(const std::string& existing, const std::string& new_path, const std::string& name) {
    if (!CreateHardLinkA(new_path.c_str(), existing.c_str(), nullptr)) {
        return Status::failure(win32_error_line(name, "linking", GetLastError()));
    }
    return Status::success();
}

bool path_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void open_missing_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) != -1) continue;
        const int opened = _open("NUL", _O_RDWR | _O_BINARY);
        if (opened >= 0 && opened != fd) {
            _dup2(opened, fd);
            _close(opened);
        }
    }
}

void install_interrupt_cleanup() { SetConsoleCtrlHandler(remove_watched_and_end, TRUE); }

void watch_temporary(const std::string& path) {
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        if (watched_active[i].load(std::memory_order_relaxed) || path.size() >= watched_path[i].size()) continue;
        std::memcpy(watched_path[i].data(), path.c_str(), path.size() + 1);
        watched_active[i].store(true, std::memory_order_release);
        return;
    }
}

void unwatch_temporary(const std::string& path) {
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        if (watched_active[i].load(std::memory_order_relaxed) && path == watched_path[i].data()) {
            watched_active[i].store(false, std::memory_order_release);
        }
    }
}

InterruptsHeld::InterruptsHeld() { AcquireSRWLockExclusive(&switching); }

InterruptsHeld::~InterruptsHeld() { ReleaseSRWLockExclusive(&switching); }

namespace {

HANDLE open_lock_file(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN, nullptr);
}

// Why the lock file at `lock_path` could not be made: its folder is missing,
// or cannot be written, or another reason.
std::string lock_folder_line(const std::string& holder, const std::string& lock_path, DWORD error) {
    std::string folder = lock_path.substr(0, lock_path.find_last_of("\\/:") + 1);
    if (folder.empty()) folder = ".\\";
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY)
        return holder + ": the folder " + folder + " does not exist";
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
        return win32_error_line(holder + ": the folder " + folder + " cannot be written", "locking", error);
    }
    return win32_error_line(holder, "locking", error);
}

// True when `handle` is the file now at `path` (not one removed meanwhile).
bool still_named(HANDLE handle, const std::string& path) {
    const HANDLE again = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (again == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION held{};
    BY_HANDLE_FILE_INFORMATION named{};
    const bool same = GetFileInformationByHandle(handle, &held) && GetFileInformationByHandle(again, &named) &&
                      held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                      held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(again);
    return same;
}

} // namespace

Status lock_file_at(const std::string& path, const std::string& holder, const char* kind, OutputLock& lock) {
    // The console handler waits while the lock file is created and watched.
    const InterruptsHeld interrupts_held;
    // The lock file is removed by whoever holds it when done; a run that
    // locked a file already removed tries again with a fresh one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const HANDLE handle = open_lock_file(path);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // A lock file being removed refuses to open for a moment.
            if (error == ERROR_ACCESS_DENIED && attempt + 1 < 100) {
                Sleep(1);
                continue;
            }
            return Status::failure(lock_folder_line(holder, path, error));
        }
        OVERLAPPED whole{};
        if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
            const DWORD error = GetLastError();
            CloseHandle(handle);
            if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
                return Status::failure(holder + ": another kessra run is writing this " + kind);
            }
            return Status::failure(win32_error_line(holder, "locking", error));
        }
        if (still_named(handle, path)) {
            lock.path = path;
            lock.handle = reinterpret_cast<std::intptr_t>(handle);
            watch_temporary(path);
            return Status::success();
        }
        CloseHandle(handle);
    }
    return Status::failure(holder + ": locking failed: the lock file keeps changing");
}

OutputLock::~OutputLock() {
    if (handle == -1) return;
    const auto held = reinterpret_cast<HANDLE>(handle);
    OVERLAPPED whole{};
    // Removed while still held, so that no other run locks a file that is going.
    DeleteFileA(path.c_str());
    unwatch_temporary(path);
    UnlockFileEx(held, 0, 1, 0, &whole);
    CloseHandle(held);
}

} // namespace kessra
