// One's own skins, banner and texts as one more source of the payload set.
#pragma once

#include "cli/run.hpp"
#include "personalize/personalization.hpp"

namespace kessra {

// Makes the blobs that `wish` asks for over `payloads` (the banner starts
// from the set's own), checks them as every payload is checked, and points
// `payloads` at them; `storage` holds them and must outlive `payloads`. On
// refusal the reasons are on the error stream and the result is EXIT_FAILED.
int personalize_payloads(const Personalization& wish, const RunEnvironment& environment, PayloadSet& payloads,
                         PersonalBlobs& storage);

} // namespace kessra
