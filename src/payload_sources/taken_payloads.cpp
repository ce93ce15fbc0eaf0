#include "payload_sources/taken_payloads.hpp"

#include "payload_checks/patch_points.hpp"

namespace kessra {

void overlay(TakenBlobs& under, TakenBlobs over) {
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        if (over[blob]) under[blob] = std::move(over[blob]);
    }
}

PayloadSet ChosenPayloads::view() const {
    PayloadSet set = *builtin;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        if (is_taken[blob]) set_payload_blob(set, blob, taken[blob]);
    }
    return set;
}

PayloadChoice settle_payloads(TakenBlobs taken, const PayloadSet& builtin) {
    PayloadChoice choice;
    ChosenPayloads& chosen = choice.payloads;
    chosen.builtin = &builtin;
    PayloadSet as_found = builtin;
    for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
        if (taken[blob]) {
            chosen.is_taken[blob] = true;
            chosen.taken[blob] = std::move(taken[blob]->bytes);
            chosen.origin[blob] = std::move(taken[blob]->origin);
            set_payload_blob(as_found, blob, chosen.taken[blob]);
        } else {
            chosen.origin[blob] = std::string("built-in ") + PAYLOAD_FILES[blob].name;
        }
    }
    choice.problems = check_payload_set(as_found, chosen.origin);
    if (!choice.problems.empty()) return choice;
    if (chosen.is_taken[LOADER_BLOB]) chosen.taken[LOADER_BLOB].resize(APPLOADER_SIZE);
    if (chosen.is_taken[PROGRAM_BLOB]) restore_patch_points(chosen.taken[PROGRAM_BLOB]);
    return choice;
}

} // namespace kessra
