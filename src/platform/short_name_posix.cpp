#include "platform/short_name.hpp"

namespace kessra {

// POSIX file systems keep no short names: the long path is the name.
std::string short_path_name(const std::string& path) { return path; }

} // namespace kessra
