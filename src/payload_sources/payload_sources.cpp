#include "payload_sources/payload_sources.hpp"

#include "payload_sources/payload_folder.hpp"
#include "payload_sources/payload_image.hpp"

namespace kessra {

Result<PayloadChoice> choose_payloads(const PayloadSources& sources, const PayloadSet& builtin) {
    TakenBlobs taken;
    std::vector<PayloadProblem> unreadable;
    // Later sources win: the folder's files over the image's blobs.
    for (const bool from_image : {true, false}) {
        const std::string& where = from_image ? sources.image : sources.folder;
        if (where.empty()) continue;
        Result<SourceRead> read = from_image ? read_image_payloads(where) : read_payload_folder(where);
        if (!read) return {read.status, {}};
        for (const PayloadProblem& problem : read.value.problems) {
            // A blob the later source supplies replaces one that could not be read.
            std::erase_if(unreadable, [&](const PayloadProblem& earlier) { return earlier.blob == problem.blob; });
            unreadable.push_back(problem);
        }
        for (std::size_t blob = 0; blob < PAYLOAD_COUNT; ++blob) {
            if (read.value.blobs[blob]) {
                std::erase_if(unreadable, [&](const PayloadProblem& earlier) { return earlier.blob == blob; });
            }
        }
        overlay(taken, std::move(read.value.blobs));
    }
    PayloadChoice choice = settle_payloads(std::move(taken), builtin);
    choice.problems.insert(choice.problems.begin(), unreadable.begin(), unreadable.end());
    return success(std::move(choice));
}

} // namespace kessra
