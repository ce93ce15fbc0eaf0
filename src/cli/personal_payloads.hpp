// One's own skins, banner and texts as one more source of the payload set.
#pragma once

#include "personalize/personalization.hpp"
#include "platform/status.hpp"

namespace kessra {

// Makes the blobs that `wish` asks for over `payloads` (the banner starts
// from the set's own), checks them as every payload is checked, and points
// `payloads` at them; `storage` holds them and must outlive `payloads`. A
// refusal has one error line for each problem.
Status personalize_payloads(const Personalization& wish, PayloadSet& payloads, PersonalBlobs& storage);

} // namespace kessra
