#include "cli/payload_choice.hpp"

namespace kessra {

int take_payload_set(const PayloadSources& sources, const RunEnvironment& environment, ChosenPayloads& chosen) {
    Result<PayloadChoice> choice = choose_payloads(sources, *environment.payloads);
    std::fflush(environment.out);
    if (!choice) {
        print_error_line(environment, choice.status.message);
        return EXIT_FAILED;
    }
    if (!choice.value.problems.empty()) {
        for (const PayloadProblem& problem : choice.value.problems) {
            print_error_line(environment, problem_line(problem));
        }
        return EXIT_FAILED;
    }
    chosen = std::move(choice.value.payloads);
    return EXIT_OK;
}

} // namespace kessra
