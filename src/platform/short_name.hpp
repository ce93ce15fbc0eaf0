// Short (8.3) path names, where the file system keeps them.
#pragma once

#include <functional>
#include <string>

namespace kessra {

// The 8.3 form of a path. Where the volume keeps no short names, or the
// lookup fails, the path comes back unchanged.
std::string short_path_name(const std::string& path);

// Injected by callers so that name derivation can be tested with any short names.
using ShortNameLookup = std::function<std::string(const std::string& path)>;

} // namespace kessra
