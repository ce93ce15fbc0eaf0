#include "cli/payload_choice.hpp"

namespace kessra {

int take_payload_set(const PayloadSources& sources, const RunEnvironment& environment, ChosenPayloads& chosen) {
    Result<PayloadChoice> choice = choose_payloads(sources, *environment.payloads);
    std::fflush(environment.out);
    if (!choice) {
        std::fprintf(environment.err, "kessra: %s\n", choice.status.message.c_str());
        return EXIT_FAILED;
    }
    if (!choice.value.problems.empty()) {
        for (const PayloadProblem& problem : choice.value.problems) {
            std::fprintf(environment.err, "kessra: %s\n", problem_line(problem).c_str());
        }
        return EXIT_FAILED;
    }
    chosen = std::move(choice.value.payloads);
    return EXIT_OK;
}

} // namespace kessra
