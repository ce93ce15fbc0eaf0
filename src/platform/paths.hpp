// Path conventions of the host platform.
#pragma once

#include <string>
#include <string_view>

namespace kessra {

#ifdef _WIN32
inline constexpr char PATH_SEPARATOR = '\\';
#else
inline constexpr char PATH_SEPARATOR = '/';
#endif

// The directory and a name joined with one separator, always added, as the
// progress lines show it (a directory that ends in a separator gives two).
inline std::string join_always(std::string_view directory, std::string_view name) {
    std::string path(directory);
    path += PATH_SEPARATOR;
    path += name;
    return path;
}

// The directory and a name joined with a separator unless the directory
// already ends in one.
inline std::string join_path(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (path.empty() || path.back() != PATH_SEPARATOR) path += PATH_SEPARATOR;
    path += name;
    return path;
}

// The characters after the last separator.
inline std::string_view last_component(std::string_view path) {
    const auto cut = path.find_last_of(PATH_SEPARATOR);
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

} // namespace kessra
