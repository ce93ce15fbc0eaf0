// File operations that need the POSIX calls: exclusive creation, 64-bit
// positions and extending a file without writing its zeros.
#include "platform/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace kessra {

Result<File> create_new_file(const std::string& path, const std::string& name, FileMode /*mode*/) {
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return failed<File>(Status::failure(io_error_line(name, "creating", errno)));
    std::FILE* handle = ::fdopen(fd, "w+");
    if (handle == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return failed<File>(Status::failure(io_error_line(name, "creating", error)));
    }
    return success(File{handle, name});
}

Result<File> open_regular_file(const std::string& path) {
    errno = 0;
    // Non-blocking, so that a pipe in the file's place does not stop the run;
    // on the regular file that is accepted the flag changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failed<File>(Status::failure(io_error_line(path, "opening", errno)));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        if (error != 0) return failed<File>(Status::failure(io_error_line(path, "opening", error)));
        return failed<File>(Status::failure(path + ": is not a regular file"));
    }
    std::FILE* handle = ::fdopen(fd, "rb");
    if (handle == nullptr) {
        const int error = errno;
        ::close(fd);
        return failed<File>(Status::failure(io_error_line(path, "opening", error)));
    }
    return success(File{handle, path});
}

Result<FileIdentity> open_file_identity(const File& file) {
    struct stat info {};
    errno = 0;
    if (::fstat(::fileno(file.handle), &info) != 0) {
        return {Status::failure(io_error_line(file.name, "examining", errno)), {}};
    }
    return success(FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)});
}

Status seek_to(File& file, std::uint64_t offset) {
    errno = 0;
    if (::fseeko(file.handle, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return Status::failure(io_error_line(file.name, "seeking", errno));
    }
    return Status::success();
}

Result<std::uint64_t> file_position(File& file) {
    errno = 0;
    const off_t position = ::ftello(file.handle);
    if (position < 0) return {Status::failure(io_error_line(file.name, "seeking", errno)), 0};
    return success(static_cast<std::uint64_t>(position));
}

Status extend_to(File& file, std::uint64_t length) {
    errno = 0;
    if (std::fflush(file.handle) != 0) return Status::failure(io_error_line(file.name, "writing", errno));
    if (::ftruncate(::fileno(file.handle), static_cast<off_t>(length)) != 0) {
        return Status::failure(io_error_line(file.name, "extending", errno));
    }
    return seek_to(file, length);
}

} // namespace kessra
