#include "cli/commands.hpp"

#include <cstring>

#include "cli/export_payloads.hpp"
#include "cli/inspect_command.hpp"
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
        if (std::strcmp(argument, command.word) == 0) return &command;
    }
    return nullptr;
}

} // namespace kessra
