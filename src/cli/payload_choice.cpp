#include "cli/payload_choice.hpp"

namespace kessra {

Status take_payload_set(const PayloadSources& sources, const PayloadSet& builtin, ChosenPayloads& chosen) {
    Result<PayloadChoice> choice = choose_payloads(sources, builtin);
    if (!choice) return choice.status;
    if (Status status = problems_status(choice.value.problems); !status) return status;
    chosen = std::move(choice.value.payloads);
    return Status::success();
}

} // namespace kessra
