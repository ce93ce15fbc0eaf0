// File operations that need the Win32 calls: exclusive creation, 64-bit
// positions and extending a file without writing its zeros.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "platform/file_io.hpp"
#include "platform/win32_status.hpp"

namespace kessra {

Result<File> create_new_file(const std::string& path, const std::string& name, FileMode mode) {
    // Sharing deletion lets the interrupt cleanup remove the file while it is
    // still open: it goes when the last handle closes.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {Status::failure(win32_error_line(name, "creating", GetLastError())), {}};
    }
    // A text stream writes each "\n" as CR LF (the listing); the image is binary.
    const bool text = mode == FileMode::text;
    errno = 0;
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), text ? _O_TEXT : _O_BINARY);
    if (descriptor == -1) {
        const int error = errno;
        CloseHandle(handle);
        DeleteFileA(path.c_str());
        return failed<File>(Status::failure(io_error_line(name, "creating", error)));
    }
    std::FILE* stream = _fdopen(descriptor, text ? "w+t" : "w+b");
    if (stream == nullptr) {
        const int error = errno;
        _close(descriptor);
        DeleteFileA(path.c_str());
        return failed<File>(Status::failure(io_error_line(name, "creating", error)));
    }
    return success(File{stream, name});
}

Result<File> open_regular_file(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return failed<File>(Status::failure(path + ": is not a regular file"));
    }
    errno = 0;
    std::FILE* handle = std::fopen(path.c_str(), "rb");
    if (handle == nullptr) return failed<File>(Status::failure(io_error_line(path, "opening", errno)));
    const auto os_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(handle)));
    if (GetFileType(os_handle) != FILE_TYPE_DISK) {
        std::fclose(handle);
        return failed<File>(Status::failure(path + ": is not a regular file"));
    }
    return success(File{handle, path});
}

Result<FileIdentity> open_file_identity(const File& file) {
    BY_HANDLE_FILE_INFORMATION info{};
    const auto os_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.handle)));
    if (GetFileInformationByHandle(os_handle, &info) == 0)
        return {Status::failure(win32_error_line(file.name, "examining", GetLastError())), {}};
    return success(
        FileIdentity{info.dwVolumeSerialNumber, std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow});
}

Status seek_to(File& file, std::uint64_t offset) {
    errno = 0;
    if (_fseeki64(file.handle, static_cast<__int64>(offset), SEEK_SET) != 0) {
        return Status::failure(io_error_line(file.name, "seeking", errno));
    }
    return Status::success();
}

Result<std::uint64_t> file_position(File& file) {
    errno = 0;
    const __int64 position = _ftelli64(file.handle);
    if (position < 0) return {Status::failure(io_error_line(file.name, "seeking", errno)), 0};
    return success(static_cast<std::uint64_t>(position));
}

Status extend_to(File& file, std::uint64_t length) {
    errno = 0;
    if (std::fflush(file.handle) != 0) return Status::failure(io_error_line(file.name, "writing", errno));
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.handle)));
    if (handle == INVALID_HANDLE_VALUE) return Status::failure(io_error_line(file.name, "extending", errno));
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    // Moving the end of file gives the new bytes as zeros without writing them.
    if (!SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
        return Status::failure(win32_error_line(file.name, "extending", GetLastError()));
    }
    return seek_to(file, length);
}

} // namespace kessra
