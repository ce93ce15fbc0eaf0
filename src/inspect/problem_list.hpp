// Helpers shared by the checks: a bounded list of problem lines.
#pragma once

#include <string>
#include <string_view>

#include "inspect/inspection.hpp"

namespace kessra {

// A hostile table can make every entry a problem: beyond this many lines only
// the count is kept.
inline constexpr std::size_t PROBLEM_LINES_SHOWN = 200;

struct ProblemList {
    Inspection& found;

    void add(std::string line) {
        if (found.problems.size() < PROBLEM_LINES_SHOWN) {
            found.problems.push_back(std::move(line));
        } else {
            ++found.problems_not_shown;
        }
    }
    // Appends the count of the lines left out, once, at the end.
    void finish() {
        if (found.problems_not_shown == 0) return;
        found.problems.push_back("... and " + std::to_string(found.problems_not_shown) + " more problems");
        found.problems_not_shown = 0;
    }
};

} // namespace kessra
