// Every option of every command in one table: its name, what value it takes,
// the commands it belongs to and its help line. The parsers, the usage texts
// and the tests of the manual page and the completion read it.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace kessra {

// The commands an option belongs to, as bits.
enum OptionCommands : unsigned {
    FOR_BUILD = 1u << 0,   // the build of an image: "kessra -o ... -d ... -v ..."
    FOR_EXPORT = 1u << 1,  // "kessra export-payloads"
    FOR_INSPECT = 1u << 2, // "kessra inspect"
    FOR_RUN = 1u << 3,     // "kessra run"
};

enum class OptionValue {
    none,      // a switch
    number,    // decimal
    text,      // any text, empty included
    name,      // the build's image, ROM folder or label; empty leaves the command line incomplete
    read_path, // a file or folder to read from; an empty one is refused
    write_path // a file to write
};

// Where the build's historic usage text lists the option.
enum class UsageGroup { unlisted, mandatory, optional };

struct OptionEntry {
    const char* name;
    OptionValue value;
    unsigned commands; // OptionCommands bits
    UsageGroup usage;  // the build's usage text only
    const char* help;  // one line, as the usage text shows it
};

std::span<const OptionEntry> option_table();

// The option that `argument` names, in any case, among those of `command`
// (one OptionCommands bit), or nullptr.
const OptionEntry* find_option(unsigned command, const char* argument);

// True when `argument` names an option of `command` that takes a value.
bool takes_value(unsigned command, const char* argument);

// The names of `command`'s options, in table order.
std::vector<std::string> option_names(unsigned command);

// "   -name    help line" for each of `command`'s options in `group` (any
// group for `UsageGroup::unlisted`), the layout of every usage text.
std::string option_help_lines(unsigned command, UsageGroup group);

} // namespace kessra
