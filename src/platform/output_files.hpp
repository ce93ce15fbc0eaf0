// Output that appears whole or not at all: files are written under a
// temporary name beside their final place and renamed into place at the end.
// Temporary files are removed on failure and when the run is interrupted.
#pragma once

#include <string>

#include "platform/status.hpp"

namespace kessra {

// A temporary name in the same directory as `final_path`, unique to this process.
std::string temporary_path_for(const std::string& final_path);

// Moves `from` over `to`, replacing any existing file; `name` is what messages call it.
Status replace_file(const std::string& from, const std::string& to, const std::string& name);

// Removes a file, ignoring any failure.
void remove_quietly(const std::string& path);

// Removes the registered temporary files if the run is interrupted
// (Ctrl-C, a termination request, a closed terminal or report pipe) or a ROM
// is truncated while it is being copied, then ends with the usual status of
// that signal.
void install_interrupt_cleanup();

// At most two temporary files are watched at a time (the image and its listing).
void watch_temporary(const std::string& path);
void unwatch_temporary(const std::string& path);

} // namespace kessra
