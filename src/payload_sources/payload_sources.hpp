// Where a run takes its payloads from: the built-in set, overlaid by the
// blobs of an existing image, overlaid by the files of a folder.
#pragma once

#include <string>

#include "payload_sources/taken_payloads.hpp"

namespace kessra {

struct PayloadSources {
    std::string folder; // "-payloads": an extracted disc folder; empty: none
    std::string image;  // "-payloads-from": an image to take all seven from; empty: none
};

inline bool any_source(const PayloadSources& sources) { return !sources.folder.empty() || !sources.image.empty(); }

// Reads the sources in order (image, then folder) and checks the set they
// make with the built-in blobs. A source that cannot be read fails the
// status; layout problems are in the choice.
Result<PayloadChoice> choose_payloads(const PayloadSources& sources, const PayloadSet& builtin);

} // namespace kessra
