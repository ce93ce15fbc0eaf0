// The payload set of a run, from the sources its command line names.
#pragma once

#include "cli/run.hpp"
#include "payload_sources/payload_sources.hpp"

namespace kessra {

// Takes and checks the set. On refusal every problem gets its own line on the
// error stream and the result is EXIT_FAILED; otherwise EXIT_OK and `chosen`
// holds the set.
int take_payload_set(const PayloadSources& sources, const RunEnvironment& environment, ChosenPayloads& chosen);

} // namespace kessra
