#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/output_files.hpp"

namespace kessra {

namespace {

// Paths the signal handler removes; fixed buffers, since the handler may
// only call async-signal-safe functions. Room for the temporary files and
// lock files of several images at once. The flags sit apart from the paths:
// looking for a slot reads one small array, not a page of every path.
std::array<volatile sig_atomic_t, MAX_WATCHED_FILES> watched_active{};
std::array<std::array<char, 4096>, MAX_WATCHED_FILES> watched_path{};

// The signals that end a process by default and leave its files behind.
constexpr int INTERRUPTS[] = {SIGINT,  SIGTERM, SIGHUP,    SIGPIPE, SIGQUIT, SIGUSR1,
                              SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGBUS};

extern "C" void remove_watched_and_die(int signal_number) {
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        if (watched_active[i]) ::unlink(watched_path[i].data());
    }
    // Then the folders made for them, each after those made inside it.
    for (std::size_t i = MAX_WATCHED_FILES; i-- > 0;) {
        if (watched_active[i]) ::rmdir(watched_path[i].data());
    }
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
}

sigset_t interrupt_set() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : INTERRUPTS) {
        if (signal_number != SIGBUS) sigaddset(&set, signal_number);
    }
    return set;
}

// Why the lock file at `lock_path` could not be made: its folder is missing,
// or cannot be written, or another reason.
std::string lock_folder_line(const std::string& holder, const std::string& lock_path, int error) {
    std::string folder = lock_path.substr(0, lock_path.find_last_of('/') + 1);
    if (folder.empty()) folder = "./";
    if (error == ENOENT || error == ENOTDIR) return holder + ": the folder " + folder + " does not exist";
    if (error == EACCES || error == EPERM || error == EROFS) {
        return holder + ": the folder " + folder + " cannot be written: " + std::strerror(error);
    }
    return io_error_line(holder, "locking", error);
}

} // namespace

Status replace_file(const std::string& from, const std::string& to, const std::string& name) {
    errno = 0;
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return Status::failure(io_error_line(name, "renaming into place", errno));
    return Status::success();
}

void remove_quietly(const std::string& path) { ::unlink(path.c_str()); }

void remove_empty_folder(const std::string& path) { ::rmdir(path.c_str()); }

Status link_file(const std::string& existing, const std::string& new_path, const std::string& name) {
    errno = 0;
    if (::link(existing.c_str(), new_path.c_str()) != 0) return Status::failure(io_error_line(name, "linking", errno));
    return Status::success();
}

bool path_exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void open_missing_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open gives the lowest free descriptor: this one.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

void install_interrupt_cleanup() {
    struct sigaction action {};
    action.sa_handler = remove_watched_and_die;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : INTERRUPTS) {
        struct sigaction current {};
        ::sigaction(signal_number, nullptr, &current);
        // A signal the caller chose to ignore (nohup, for one) stays ignored.
        if (current.sa_handler != SIG_IGN) ::sigaction(signal_number, &action, nullptr);
    }
    // Past a file size limit a write then fails with EFBIG and is reported
    // as any other failed write.
    ::signal(SIGXFSZ, SIG_IGN);
}

void watch_temporary(const std::string& path) {
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        if (watched_active[i] || path.size() >= watched_path[i].size()) continue;
        std::memcpy(watched_path[i].data(), path.c_str(), path.size() + 1);
        watched_active[i] = 1;
        return;
    }
}

void unwatch_temporary(const std::string& path) {
    for (std::size_t i = 0; i < MAX_WATCHED_FILES; ++i) {
        if (watched_active[i] && path == watched_path[i].data()) watched_active[i] = 0;
    }
}

InterruptsHeld::InterruptsHeld() {
    const sigset_t set = interrupt_set();
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

InterruptsHeld::~InterruptsHeld() {
    const sigset_t set = interrupt_set();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

Status lock_file_at(const std::string& path, const std::string& holder, const char* kind, OutputLock& lock) {
    // An interruption between the creation and the watch would leave the file behind.
    const InterruptsHeld interrupts_held;
    // The lock file is removed by whoever holds it when done; a run that
    // locked a file already removed tries again with a fresh one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        errno = 0;
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
        if (fd < 0) return Status::failure(lock_folder_line(holder, path, errno));
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                return Status::failure(holder + ": another kessra run is writing this " + kind);
            }
            // A file system without locks: go on unlocked.
            if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS) return Status::success();
            return Status::failure(io_error_line(holder, "locking", error));
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            lock.path = path;
            lock.handle = fd;
            watch_temporary(path);
            return Status::success();
        }
        ::close(fd);
    }
    return Status::failure(holder + ": locking failed: the lock file keeps changing");
}

OutputLock::~OutputLock() {
    if (handle < 0) return;
    // Removed while still held, so that no other run locks a file that is going.
    ::unlink(path.c_str());
    unwatch_temporary(path);
    ::close(static_cast<int>(handle));
}

} // namespace kessra
