// Steps of the run shared by the build of one disc and of several.
#pragma once

#include <cstddef>
#include <cstdio>

#include "catalogue/rom_record.hpp"
#include "cli/options.hpp"
#include "cli/run.hpp"
#include "image/progress.hpp"
#include "platform/status.hpp"

namespace kessra {

// Prints the failure's console text on the report, then its error lines, and
// yields the failure's exit status.
int fail(const Status& status, const RunEnvironment& environment);

// A build's progress printed on the report as it comes.
ProgressText console_progress(std::FILE* out);

// Refuses a path that names a folder (or ends in a separator), a device, a
// pipe or a socket.
Status check_names_a_file(const std::string& path);

// Refuses an image or listing path that names a folder or one of the ROMs.
Status check_output_paths(const RunOptions& options, const RomTable& roms);

// Every ROM opens as the regular file of the size the scan found.
Status check_roms_readable(const RunOptions& options, const RomTable& roms);

// The run summary: image, label, directory, ROM count and padding.
void print_summary(const RunOptions& options, std::size_t rom_count, std::FILE* out);

} // namespace kessra
