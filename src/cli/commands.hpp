// Command words: a first argument that names a command (no leading dash)
// selects it; every other command line builds an image as always.
#pragma once

#include <span>

#include "cli/run.hpp"

namespace kessra {

// Runs a command; argv[0] is the command word itself.
using CommandMain = int (*)(int argc, const char* const* argv, const RunEnvironment& environment);

struct Command {
    const char* word;
    CommandMain run;
};

// The commands the tool knows.
std::span<const Command> known_commands();

// The command that `argument` names, in any case, or nullptr.
const Command* find_command(std::span<const Command> commands, const char* argument);

} // namespace kessra
