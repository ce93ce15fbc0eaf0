// Folders: made on the way to a file, and the bounds of one read from.
#pragma once

#include <string>

#include "platform/status.hpp"

namespace kessra {

// Whether the file at `path` may be read as part of `folder`: nothing there,
// or something that resolves to a place inside the folder. A dangling link or
// a link loop cannot be examined, and a link out of the folder is refused, so
// its contents are never taken or shown.
Status check_inside_folder(const std::string& path, const std::string& folder);

// Makes the folder and any missing folders above it.
Status make_directories(const std::string& path);

} // namespace kessra
