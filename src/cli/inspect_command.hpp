// `kessra inspect IMAGE [-json] [-deep]`: shows what an image holds and
// checks it. Status 0: consistent; 1: problems found or unreadable; 2: usage.
#pragma once

#include "cli/run.hpp"

namespace kessra {

// argv[0] is the command word.
int run_inspect(int argc, const char* const* argv, const RunEnvironment& environment);

} // namespace kessra
