#include "cli/personal_payloads.hpp"

#include "payload_checks/payload_checks.hpp"

namespace kessra {

Status personalize_payloads(const Personalization& wish, PayloadSet& payloads, PersonalBlobs& storage) {
    if (!wish.any()) return Status::success();
    auto made = make_personal_blobs(wish, payloads.banner_blob);
    if (!made) return made.status;
    storage = std::move(made.value);
    std::vector<PayloadProblem> problems;
    for (std::size_t i = 0; i < storage.skins.size(); ++i) {
        if (!storage.skins[i]) continue;
        const std::string origin = "-skin" + std::to_string(i) + " " + wish.skin_pictures[i];
        for (PayloadProblem& problem :
             check_blob(FIRST_SKIN_BLOB + i, *storage.skins[i], origin, payloads.program_image))
            problems.push_back(std::move(problem));
    }
    if (storage.banner) {
        for (PayloadProblem& problem :
             check_blob(BANNER_BLOB, *storage.banner, "personal banner", payloads.program_image))
            problems.push_back(std::move(problem));
    }
    if (Status status = problems_status(problems); !status) return status;
    payloads = with_personal_blobs(payloads, storage);
    return Status::success();
}

} // namespace kessra
