#include "cli/commands.hpp"

#include "cli/export_payloads.hpp"
#include "cli/inspect_command.hpp"
#include "cli/options.hpp"
#include "cli/run_rom_command.hpp"

namespace kessra {

namespace {

constexpr Command COMMANDS[] = {
    {"export-payloads", run_export_payloads},
    {"inspect", run_inspect},
    {"run", run_rom_command},
};

} // namespace

std::span<const Command> known_commands() { return COMMANDS; }

const Command* find_command(std::span<const Command> commands, const char* argument) {
    if (argument == nullptr) return nullptr;
    for (const Command& command : commands) {
        // In any case, as option names are.
        if (same_option(argument, command.word)) return &command;
    }
    return nullptr;
}

} // namespace kessra
