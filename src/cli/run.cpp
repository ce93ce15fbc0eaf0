#include "cli/run.hpp"

#include <cerrno>
#include <cstring>

#include "catalogue/console_text.hpp"
#include "catalogue/disc_name.hpp"
#include "catalogue/rom_scan.hpp"
#include "cli/commands.hpp"
#include "cli/options.hpp"
#include "cli/payload_choice.hpp"
#include "cli/personal_payloads.hpp"
#include "cli/run_steps.hpp"
#include "cli/split_run.hpp"
#include "cli/version.hpp"
#include "image/build_image.hpp"
#include "image/fst.hpp"
#include "platform/file_copy.hpp"
#include "platform/file_io.hpp"
#include "platform/output_files.hpp"
#include "platform/paths.hpp"
#include "report/listing.hpp"

namespace kessra {

int fail(const Status& status, const RunEnvironment& environment) {
    std::fputs(status.console.c_str(), environment.out);
    std::fflush(environment.out);
    if (!status.message.empty()) print_error_line(environment, status.message);
    for (const std::string& line : status.more_lines) print_error_line(environment, line);
    return EXIT_FAILED;
}

ProgressText console_progress(std::FILE* out) {
    return [out](std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); };
}

// The image and its listing replace regular files, never a folder, a device,
// a pipe or a socket, and never one of the ROMs they are built from.
Status check_names_a_file(const std::string& path) {
    // A path that ends in a separator names a folder, whether or not it exists.
    const bool ends_in_separator = !path.empty() && (path.back() == '/' || path.back() == PATH_SEPARATOR);
    if (is_directory(path) || ends_in_separator) return Status::failure(path + ": is a directory, not an image file");
    if (is_special_file(path)) return Status::failure(path + ": is not a regular file, refusing to replace it");
    return Status::success();
}

Status check_output_paths(const RunOptions& options, const RomTable& roms) {
    const std::string listing = listing_path_for(options.image_path);
    for (const std::string* output : {&options.image_path, &listing}) {
        if (Status status = check_names_a_file(*output); !status) return status;
    }
    for (const RomRecord& rom : roms) {
        const std::string rom_path = join_path(options.rom_directory, rom.file_name);
        for (const std::string* output : {&options.image_path, &listing}) {
            if (same_file(*output, rom_path)) {
                return Status::failure(*output + ": refusing to overwrite the input ROM " + rom_path);
            }
        }
    }
    return Status::success();
}

Status check_roms_readable(const RunOptions& options, const RomTable& roms) {
    for (const RomRecord& rom : roms) {
        const std::string path = join_always(options.rom_directory, rom.file_name);
        const Result<File> probe = open_source(path, rom.size);
        if (!probe) return probe.status;
        if (open_file_size(probe.value) != std::int64_t{rom.size}) {
            return Status::failure(changed_size_line(path));
        }
    }
    return Status::success();
}

void print_summary(const RunOptions& options, std::size_t rom_count, std::FILE* out) {
    std::fprintf(out, "GCM Output to : %s\n", printable(options.image_path).c_str());
    std::fprintf(out, "Volume Name   : %s\n", printable(options.volume_label).c_str());
    std::fprintf(out, "Directory     : %s\n", printable(options.rom_directory).c_str());
    std::fprintf(out, "Total ROMS    : %zu\n", rom_count);
    std::fprintf(out, "Padding       : %s\n", options.pad ? "ON" : "OFF");
}

namespace {

void print_closing(const RunOptions& options, std::FILE* out) {
    std::fputs("\nAll Tasks Completed OK!\n", out);
    std::fprintf(out, "\nPlease refer to the generated text file %s.txt for listing.\n",
                 printable(options.image_path).c_str());
    std::fputs("Thank you for helping test 'kessra'", out);
}

} // namespace

void print_error_line(const RunEnvironment& environment, const std::string& message) {
    std::fprintf(environment.err, "kessra: %s\n", printable(message).c_str());
}

RunEnvironment host_environment() { return {list_rom_files, short_path_name, &builtin_payloads(), stdout, stderr}; }

namespace {

int run_command_line(int argc, const char* const* argv, const RunEnvironment& environment) {
    if (argc >= 2) {
        if (const Command* command = find_command(known_commands(), argv[1])) {
            return command->run(argc - 1, argv + 1, environment);
        }
    }
    const ParsedCommandLine parsed = parse_command_line(argc, argv);
    for (const std::string& unknown : parsed.unknown_options) {
        print_error_line(environment, "ignoring unknown option " + unknown);
    }
    switch (parsed.outcome) {
    case ParseOutcome::help: print_usage(environment.out); return EXIT_OK;
    case ParseOutcome::version: std::fprintf(environment.out, "kessra %s\n", KESSRA_VERSION_TEXT); return EXIT_OK;
    case ParseOutcome::usage:
        if (!parsed.message.empty()) print_error_line(environment, parsed.message);
        print_usage(environment.out);
        return EXIT_USAGE;
    case ParseOutcome::error: print_error_line(environment, parsed.message); return EXIT_USAGE;
    case ParseOutcome::run: break;
    }
    const RunOptions& options = parsed.options;
    // The payloads are taken and checked before anything is written.
    ChosenPayloads chosen;
    PayloadSet payloads = *environment.payloads;
    if (any_source(options.payloads)) {
        if (Status status = take_payload_set(options.payloads, *environment.payloads, chosen); !status) {
            return fail(status, environment);
        }
        payloads = chosen.view();
    }
    PersonalBlobs personal;
    if (Status status = personalize_payloads(options.personal, payloads, personal); !status) {
        return fail(status, environment);
    }

    Result<RomTable> scan =
        options.split ? scan_split_collection(options, environment)
                      : scan_rom_directory(options.rom_directory, options.profile, environment.list_directory);
    if (!scan) return fail(scan.status, environment);
    RomTable& roms = scan.value;
    if (options.split) {
        auto discs = plan_split(roms, options, environment);
        if (!discs) return fail(discs.status, environment);
        // A collection that fits one disc is built exactly as without "-split".
        if (discs.value.size() > 1) return run_split(options, discs.value, payloads, environment);
    }
    assign_disc_names(roms, options.rom_directory, environment.short_names);
    if (Status status = check_fst_capacity(roms); !status) return fail(status, environment);
    if (Status status = check_output_paths(options, roms); !status) return fail(status, environment);
    if (Status status = check_roms_readable(options, roms); !status) return fail(status, environment);
    OutputLock lock;
    if (Status status = lock_output(options.image_path, lock); !status) return fail(status, environment);

    print_summary(options, roms.size(), environment.out);
    const BuildRequest request{options.image_path, options.volume_label, options.rom_directory, options.pad,
                               options.skin,       options.zoom,         options.profile};
    if (Status status = build_image(request, roms, payloads, console_progress(environment.out)); !status) {
        std::fputs("\n", environment.out);
        return fail(status, environment);
    }
    print_closing(options, environment.out);
    return EXIT_OK;
}

} // namespace

int run_kessra(int argc, const char* const* argv, const RunEnvironment& environment) {
    const int status = run_command_line(argc, argv, environment);
    // A report that could not be written (a full disk, a reader that went
    // away) fails the run, though a complete image stays in place.
    errno = 0;
    bool flushed = std::fflush(environment.out) == 0;
    int error = errno;
    if (flushed && !std::ferror(environment.out)) return status;
    if (flushed || error == 0) {
        // The write that failed was flushed earlier, and its reason is gone:
        // one more line end, past a report that is incomplete already, tells
        // it again (a full disk, a reader gone).
        std::clearerr(environment.out);
        errno = 0;
        flushed = std::fputc('\n', environment.out) != EOF && std::fflush(environment.out) == 0;
        error = errno;
    }
    std::fprintf(environment.err, "kessra: write error: standard output: %s\n",
                 std::strerror(!flushed && error != 0 ? error : EIO));
    return status == EXIT_OK ? EXIT_FAILED : status;
}

} // namespace kessra
