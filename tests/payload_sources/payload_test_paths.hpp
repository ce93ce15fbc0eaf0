// Where a payload set's files lie in a folder, worked out here apart from the
// tool's own path code.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "payload_checks/payload_files.hpp"

namespace kessra::testing {

inline std::string payload_path(const std::string& folder, std::size_t blob) {
    namespace fs = std::filesystem;
    return (fs::path(folder) / fs::path(payload_folder_path(PAYLOAD_FILES[blob])).make_preferred()).string();
}

} // namespace kessra::testing
