// The command line: options into RunOptions and the disc profile.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/disc_profile.hpp"
#include "payload_sources/payload_sources.hpp"
#include "personalize/personalization.hpp"
#include "platform/status.hpp"

namespace kessra {

struct RunOptions {
    std::string image_path;         // "-o"
    std::string rom_directory;      // "-d"
    std::string volume_label;       // "-v"
    bool pad = false;               // "-p"
    int skin = 0;                   // "-ds", 0 to 3
    int zoom = 0;                   // "-dz", 0 to 2
    DiscProfile profile = MINI_DVD; // LARGE_DISC with "-dravnik"
    PayloadSources payloads;        // "-payloads", "-payloads-from"
    Personalization personal;       // "-skin0".."-skin3", "-banner", the banner texts
    bool split = false;             // "-split": spread a collection over as many discs as it needs
};

enum class ParseOutcome {
    run,     // options complete
    help,    // a lone help switch: usage text, success
    version, // a lone --version: the version line, success
    usage,   // command line incomplete: usage text, failure
    error,   // a value that cannot be taken: `message` says which
};

struct ParsedCommandLine {
    ParseOutcome outcome = ParseOutcome::usage;
    RunOptions options;
    std::string message;
    std::vector<std::string> unknown_options; // "-" arguments that are neither an option nor a value
};

// An option name compared in any case: "-O" is "-o".
bool same_option(const char* argument, const char* option);

ParsedCommandLine parse_command_line(int argc, const char* const* argv);

// Refuses `value` as the value of `option`, which takes one, when it is longer
// than a path may be, or empty where it must name a file or folder.
Status check_option_value(const char* option, const std::string& value);


// Decimal value by the usual C rules: leading white space, an optional sign,
// then the leading digits; no digits give 0. Saturates instead of overflowing.
std::int64_t decimal_value(const std::string& text);

// The build's usage text, from the option table.
std::string build_usage_text();
void print_usage(std::FILE* out);

} // namespace kessra
