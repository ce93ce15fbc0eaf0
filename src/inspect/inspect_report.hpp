// The two forms of an inspection: text for a person, JSON for scripts.
#pragma once

#include <cstdio>
#include <string>

#include "inspect/inspection.hpp"

namespace kessra {

void print_inspection_text(const Inspection& found, std::FILE* out);

// One JSON document, indented, ending in a line end.
std::string inspection_json(const Inspection& found);

} // namespace kessra
