#include "cli/options.hpp"

#include <cctype>
#include <cstdio>
#include <limits>

#include "catalogue/rom_record.hpp"
#include "cli/option_table.hpp"
#include "cli/personal_options.hpp"

namespace kessra {

namespace {

// Enough arguments after the program name for the three mandatory options and their values.
constexpr int MIN_ARGUMENT_COUNT = 7;

} // namespace

bool same_option(const char* argument, const char* option) {
    for (; *argument != '\0' && *option != '\0'; ++argument, ++option) {
        if (std::tolower(static_cast<unsigned char>(*argument)) != std::tolower(static_cast<unsigned char>(*option))) {
            return false;
        }
    }
    return *argument == *option;
}

namespace {

bool is_help_switch(const char* argument) {
    return same_option(argument, "-h") || same_option(argument, "--help") || same_option(argument, "-?");
}

bool is_version_switch(const char* argument) {
    return same_option(argument, "--version") || same_option(argument, "-version");
}

bool takes_a_value(const char* argument) { return takes_value(FOR_BUILD, argument); }

bool is_known_option(const char* argument) { return find_option(FOR_BUILD, argument) != nullptr; }

// Arguments that look like options but are none, and are not the value of
// the option before them: most likely typing mistakes.
std::vector<std::string> unknown_options(int argc, const char* const* argv) {
    std::vector<std::string> unknown;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || is_known_option(argv[i])) continue;
        if (i > 1 && takes_a_value(argv[i - 1])) continue;
        unknown.emplace_back(argv[i]);
    }
    return unknown;
}

} // namespace

Status check_option_value(const char* option, const std::string& value) {
    if (value.size() > MAX_NAME_LENGTH) {
        return Status::failure(std::string("the value of ") + option + " is longer than " +
                               std::to_string(MAX_NAME_LENGTH) + " characters");
    }
    // A file or folder to read from: an empty one names nothing.
    const OptionEntry* entry = find_option(FOR_BUILD | FOR_EXPORT, option);
    if (value.empty() && entry != nullptr && entry->value == OptionValue::read_path) {
        return Status::failure(std::string(option) + ": the path is empty");
    }
    return Status::success();
}

std::int64_t decimal_value(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = std::min(value * 10 + (text[i] - '0'), limit + 1);
    }
    return negative ? -value : value;
}

ParsedCommandLine parse_command_line(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    if (argc == 2 && is_help_switch(argv[1])) {
        parsed.outcome = ParseOutcome::help;
        return parsed;
    }
    if (argc == 2 && is_version_switch(argv[1])) {
        parsed.outcome = ParseOutcome::version;
        return parsed;
    }
    parsed.unknown_options = unknown_options(argc, argv);
    if (argc < MIN_ARGUMENT_COUNT) return parsed;

    // Every option that takes a value: one given last has none, and the
    // command line is incomplete.
    for (int i = 1; i < argc; ++i) {
        if (!takes_a_value(argv[i])) continue;
        if (i + 1 == argc) {
            parsed.message = std::string(argv[i]) + " needs a value";
            return parsed;
        }
        if (Status wrong = check_option_value(argv[i], argv[i + 1]); !wrong) {
            parsed.outcome = ParseOutcome::error;
            parsed.message = std::move(wrong.message);
            return parsed;
        }
    }

    RunOptions& options = parsed.options;
    std::int64_t skin = 0;
    std::int64_t zoom = 0;
    // Every element is compared with every option, values included: "-v -p"
    // sets the label to "-p" and also turns padding on.
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        const bool has_value = i + 1 < argc;
        const std::string value = has_value ? argv[i + 1] : "";
        if (same_option(argument, "-o") && has_value) options.image_path = value;
        if (same_option(argument, "-d") && has_value) options.rom_directory = value;
        if (same_option(argument, "-v") && has_value) options.volume_label = value;
        if (same_option(argument, "-p")) options.pad = true;
        if (same_option(argument, "-ds") && has_value) skin = decimal_value(value);
        if (same_option(argument, "-dravnik")) options.profile = LARGE_DISC;
        if (same_option(argument, "-dz") && has_value) zoom = decimal_value(value);
        // Compared after the seven above, so a command line of only those reads as always.
        if (same_option(argument, "-payloads") && has_value) options.payloads.folder = value;
        if (same_option(argument, "-payloads-from") && has_value) options.payloads.image = value;
        if (same_option(argument, "-split")) options.split = true;
    }
    if (Status status = read_personal_options(argc, argv, options.personal); !status) {
        parsed.outcome = ParseOutcome::error;
        parsed.message = status.message;
        return parsed;
    }
    options.skin = (skin >= 0 && skin <= 3) ? static_cast<int>(skin) : 0;
    options.zoom = (zoom >= 0 && zoom <= 2) ? static_cast<int>(zoom) : 0;
    if (options.image_path.empty() || options.rom_directory.empty() || options.volume_label.empty()) return parsed;
    parsed.outcome = ParseOutcome::run;
    return parsed;
}

// The build's usage text stays byte for byte what it has always been
// (misspelling and missing final line end included): scripts and front ends
// match it. Only the options the table places in its two groups are listed;
// the later ones are in the manual page.
std::string build_usage_text() {
    std::string synopsis;
    for (UsageGroup group : {UsageGroup::mandatory, UsageGroup::optional}) {
        std::string names;
        for (const OptionEntry& option : option_table()) {
            if ((option.commands & FOR_BUILD) == 0 || option.usage != group) continue;
            names += names.empty() ? "" : " ";
            names += option.name;
        }
        synopsis += group == UsageGroup::mandatory ? names : " [" + names + "]";
    }
    return "Kessrane v0.1 (RC1)\n"
           "Builds a bootable disc image from a directory of handheld ROMs.\n"
           "\n"
           "Usage   : kessra " +
           synopsis +
           "\n\n"
           "Mandatory switches\n" +
           option_help_lines(FOR_BUILD, UsageGroup::mandatory) +
           "\n"
           "Optional switches\n" +
           option_help_lines(FOR_BUILD, UsageGroup::optional) +
           "\nNote: All roms must be named .gba"
           "\nThe menu will show the name found in the GBA header.";
}

void print_usage(std::FILE* out) { std::fputs(build_usage_text().c_str(), out); }

} // namespace kessra
