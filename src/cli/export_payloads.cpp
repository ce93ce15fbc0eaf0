#include "cli/export_payloads.hpp"

#include <cstring>
#include <string>

#include "catalogue/console_text.hpp"
#include "cli/option_table.hpp"
#include "cli/options.hpp"
#include "cli/payload_choice.hpp"
#include "cli/payload_previews.hpp"
#include "cli/personal_options.hpp"
#include "cli/personal_payloads.hpp"
#include "cli/run_steps.hpp"
#include "payload_sources/payload_folder.hpp"
#include "platform/file_io.hpp"
#include "platform/output_files.hpp"

namespace kessra {

namespace {

struct ExportOptions {
    std::string folder;
    PayloadSources sources;
    bool force = false;
    bool previews = false;    // "-previews": PNG previews of the skins and the banner
    Personalization personal; // "-skin0".."-skin3", "-banner", the banner texts
};

constexpr const char* EXPORT_USAGE =
    "Usage   : kessra export-payloads DIR [-payloads DIR2] [-payloads-from IMAGE] [-force] [-previews]\n"
    "                [-skin0..-skin3 PICTURE] [-banner PICTURE] [-title|-maker|-long-title|-long-maker|-description TEXT]\n";

// Success when the options are complete; otherwise what is wrong with them.
Status parse_export_options(int argc, const char* const* argv, ExportOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const bool sources = same_option(argument, "-payloads") || same_option(argument, "-payloads-from");
        if (takes_value(FOR_EXPORT, argument)) {
            if (i + 1 >= argc) return Status::failure(std::string(argument) + " needs a value");
            if (Status wrong = check_option_value(argument, argv[i + 1]); !wrong) return wrong;
            ++i; // personal options are read with the build's rules below
            if (!sources) continue;
            std::string& target = same_option(argument, "-payloads") ? options.sources.folder : options.sources.image;
            target = argv[i];
        } else if (same_option(argument, "-previews")) {
            options.previews = true;
        } else if (same_option(argument, "-force")) {
            options.force = true;
        } else if (argument[0] == '-' && argument[1] != '\0') {
            return Status::failure(std::string("unknown option ") + argument);
        } else if (options.folder.empty() && argument[0] != '\0') {
            options.folder = argument;
        } else {
            return Status::failure(std::string("one folder only: ") + argument);
        }
    }
    if (options.folder.empty()) return Status::failure("no folder to write into");
    return read_personal_options(argc, argv, options.personal);
}

// A payload file replaces a regular file only, never a folder or a device.
Status check_replaceable(const std::string& path) {
    if (is_directory(path)) return Status::failure(path + ": is a folder, refusing to replace it with a file");
    if (is_special_file(path)) return Status::failure(path + ": is not a regular file, refusing to replace it");
    return Status::success();
}

} // namespace

int run_export_payloads(int argc, const char* const* argv, const RunEnvironment& environment) {
    ExportOptions options;
    if (Status wrong = parse_export_options(argc, argv, options); !wrong) {
        print_error_line(environment, "export-payloads: " + wrong.message);
        std::fputs(EXPORT_USAGE, environment.err);
        return EXIT_USAGE;
    }
    ChosenPayloads chosen;
    if (Status status = take_payload_set(options.sources, *environment.payloads, chosen); !status) {
        return fail(status, environment);
    }
    PayloadSet set = chosen.view();
    PersonalBlobs personal;
    if (Status status = personalize_payloads(options.personal, set, personal); !status) {
        return fail(status, environment);
    }
    std::vector<std::string> places = payload_folder_paths(options.folder);
    if (options.previews) {
        for (std::string& path : preview_paths(options.folder)) places.push_back(std::move(path));
    }
    for (const std::string& path : places) {
        if (Status status = check_replaceable(path); !status) return fail(status, environment);
    }
    // Made before the lock and so removed after it: the lock file lies inside.
    MadeFolders made;
    if (Status status = make_output_folders(options.folder, made); !status) return fail(status, environment);
    OutputLock lock;
    if (Status status = lock_folder(options.folder, lock); !status) return fail(status, environment);
    if (!options.force) {
        std::vector<std::string> present;
        for (const std::string& path : places) {
            if (path_exists(path)) present.push_back(path + ": already there; give -force to replace it");
        }
        if (!present.empty()) return fail(Status::failures(std::move(present)), environment);
    }
    // The payload files and the previews are put in place together, or none.
    std::vector<OutputFile> outputs;
    Status status = stage_payload_folder(options.folder, set, outputs, made);
    if (status && options.previews) status = stage_previews(options.folder, set, outputs, made);
    if (status) status = commit_outputs(outputs);
    discard_outputs(outputs);
    if (!status) return fail(status, environment);
    made.keep();
    std::fprintf(environment.out, "Payloads written to %s\n", printable(options.folder).c_str());
    std::fflush(environment.out);
    return EXIT_OK;
}

} // namespace kessra
