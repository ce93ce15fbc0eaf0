// "-split": a collection spread over as many discs as it needs.
#pragma once

#include <vector>

#include "catalogue/rom_record.hpp"
#include "catalogue/rom_scan.hpp"
#include "cli/options.hpp"
#include "cli/run.hpp"
#include "disc_split/disc_plan.hpp"

namespace kessra {

// The scan of a collection that may need several discs: every ROM is checked
// as for one disc, but neither the count nor the total is held to one disc.
Result<RomTable> scan_split_collection(const RunOptions& options, const RunEnvironment& environment);

// The discs of the scanned collection, every refusal included.
Result<std::vector<PlannedDisc>> plan_split(const RomTable& roms, const RunOptions& options,
                                            const RunEnvironment& environment);

// Builds every disc under temporary names and puts them all in place only
// when all succeeded; prints the disc lines, each disc's report and one
// closing block. Yields the exit status.
int run_split(const RunOptions& options, std::vector<PlannedDisc>& discs, const PayloadSet& payloads,
              const RunEnvironment& environment);

} // namespace kessra
