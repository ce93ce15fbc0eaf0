// The whole run: options, scan, summary, image build and closing messages.
#pragma once

#include <cstdio>
#include <string>

#include "payloads/payloads.hpp"
#include "platform/dir_listing.hpp"
#include "platform/short_name.hpp"

namespace kessra {

// Exit statuses.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_FAILED = 1; // refused or failed: the message says why
inline constexpr int EXIT_USAGE = 2;  // incomplete command line

// What the run reaches the outside world through; tests supply their own.
struct RunEnvironment {
    DirectoryLister list_directory;
    ShortNameLookup short_names;
    const PayloadSet* payloads;
    std::FILE* out; // the console report
    std::FILE* err; // error lines of the tool's own wording
};

RunEnvironment host_environment();

// "kessra: MESSAGE" on the error stream, control bytes shown as "?": a
// message quotes paths and texts from the command line and from files.
void print_error_line(const RunEnvironment& environment, const std::string& message);

int run_kessra(int argc, const char* const* argv, const RunEnvironment& environment);

} // namespace kessra
