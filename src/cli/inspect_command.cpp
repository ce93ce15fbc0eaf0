#include "cli/inspect_command.hpp"

#include <string>

#include "cli/option_table.hpp"
#include "cli/options.hpp"
#include "cli/run_steps.hpp"
#include "disc_reader/byte_source.hpp"
#include "inspect/inspect_report.hpp"
#include "inspect/inspection.hpp"

namespace kessra {

namespace {

std::string inspect_usage() {
    return "Usage   : kessra inspect IMAGE [-json] [-deep]\n" + option_help_lines(FOR_INSPECT, UsageGroup::unlisted);
}

int usage(const RunEnvironment& environment, const std::string& message) {
    if (!message.empty()) print_error_line(environment, message);
    std::fputs(inspect_usage().c_str(), environment.err);
    return EXIT_USAGE;
}

} // namespace

int run_inspect(int argc, const char* const* argv, const RunEnvironment& environment) {
    std::string image;
    bool json = false;
    bool deep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (same_option(argument.c_str(), "-json")) {
            json = true;
        } else if (same_option(argument.c_str(), "-deep")) {
            deep = true;
        } else if (same_option(argument.c_str(), "-h") || same_option(argument.c_str(), "--help")) {
            std::fputs(inspect_usage().c_str(), environment.out);
            return EXIT_OK;
        } else if (!argument.empty() && argument[0] == '-' && argument.size() > 1) {
            return usage(environment, "inspect: unknown option " + argument);
        } else if (image.empty()) {
            image = argument;
        } else {
            return usage(environment, "inspect: more than one image given (" + image + ", " + argument + ")");
        }
    }
    if (image.empty()) return usage(environment, "inspect: no image given");

    Result<std::unique_ptr<ByteSource>> source = open_file_source(image);
    if (!source) return fail(source.status, environment);
    const Inspection found = inspect_image(*source.value, *environment.payloads, deep);
    if (json) {
        std::fputs(inspection_json(found).c_str(), environment.out);
    } else {
        print_inspection_text(found, environment.out);
    }
    std::fflush(environment.out);
    return found.consistent() ? EXIT_OK : EXIT_FAILED;
}

} // namespace kessra
