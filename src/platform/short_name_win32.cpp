#include <windows.h>

#include "platform/short_name.hpp"

namespace kessra {

std::string short_path_name(const std::string& path) {
    char buffer[MAX_PATH];
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    // 0: the lookup failed (e.g. the file is gone); a length of the buffer's
    // size or more: the short form does not fit. Either way the long path stands.
    if (length == 0 || length >= sizeof buffer) return path;
    return std::string(buffer, length);
}

} // namespace kessra
