// Payload sets put together from several sources. Each source supplies some
// of the seven blobs; a later source wins over an earlier one, and a blob that
// no source supplies stays the built-in one. The result is checked as a whole
// before anything is written.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "payload_checks/payload_checks.hpp"
#include "platform/status.hpp"

namespace kessra {

struct TakenBlob {
    std::vector<std::uint8_t> bytes;
    std::string origin; // names the blob in messages: a path, or "image: main.dol"
};

using TakenBlobs = std::array<std::optional<TakenBlob>, PAYLOAD_COUNT>;

// What one source supplies.
struct SourceRead {
    TakenBlobs blobs;                     // the blobs it has
    std::vector<PayloadProblem> problems; // blobs too long to be read at all
};

// The blobs of `over` replace those of `under`.
void overlay(TakenBlobs& under, TakenBlobs over);

// A checked payload set: taken blobs in their used form (the loader cut to
// its length in an image, the program's patch points restored), the built-in
// blobs for the rest.
struct ChosenPayloads {
    std::array<bool, PAYLOAD_COUNT> is_taken{};
    std::array<std::vector<std::uint8_t>, PAYLOAD_COUNT> taken;
    std::array<std::string, PAYLOAD_COUNT> origin; // where each blob came from
    const PayloadSet* builtin = nullptr;

    // Views of the blobs; valid while this object lives unchanged.
    PayloadSet view() const;
};

struct PayloadChoice {
    std::vector<PayloadProblem> problems; // empty when the set may be used
    ChosenPayloads payloads;
};

// Checks the taken blobs together with the built-in ones they complete, and
// brings the taken ones into their used form.
PayloadChoice settle_payloads(TakenBlobs taken, const PayloadSet& builtin);

} // namespace kessra
