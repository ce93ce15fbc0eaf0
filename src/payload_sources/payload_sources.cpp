#include "payload_sources/payload_sources.hpp"

#include "payload_sources/payload_folder.hpp"

namespace kessra {

Result<PayloadChoice> choose_payloads(const PayloadSources& sources, const PayloadSet& builtin) {
    TakenBlobs taken;
    std::vector<PayloadProblem> unreadable;
    if (!sources.folder.empty()) {
        Result<FolderRead> folder = read_payload_folder(sources.folder);
        if (!folder) return {folder.status, {}};
        overlay(taken, std::move(folder.value.blobs));
        unreadable = std::move(folder.value.problems);
    }
    PayloadChoice choice = settle_payloads(std::move(taken), builtin);
    choice.problems.insert(choice.problems.begin(), unreadable.begin(), unreadable.end());
    return success(std::move(choice));
}

} // namespace kessra
