// "kessra export-payloads DIR [-payloads DIR2] [-payloads-from IMAGE] [-force]":
// writes the payload set a build with those options would use into DIR.
#pragma once

#include "cli/run.hpp"

namespace kessra {

int run_export_payloads(int argc, const char* const* argv, const RunEnvironment& environment);

} // namespace kessra
