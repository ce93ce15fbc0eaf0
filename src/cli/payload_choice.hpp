// The payload set of a run, from the sources its command line names.
#pragma once

#include "payload_sources/payload_sources.hpp"
#include "platform/status.hpp"

namespace kessra {

// Takes and checks the set over `builtin`. A refusal has one error line for
// each problem; on success `chosen` holds the set.
Status take_payload_set(const PayloadSources& sources, const PayloadSet& builtin, ChosenPayloads& chosen);

} // namespace kessra
