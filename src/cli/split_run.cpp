#include "cli/split_run.hpp"

#include <memory>
#include <span>

#include "catalogue/disc_name.hpp"
#include "cli/run_steps.hpp"
#include "disc_split/disc_naming.hpp"
#include "disc_split/split_report.hpp"
#include "disc_reader/byte_source.hpp"
#include "disc_reader/disc_header.hpp"
#include "image/build_image.hpp"
#include "platform/file_io.hpp"
#include "platform/output_files.hpp"

namespace kessra {

namespace {

// The options of one disc: its own image path and numbered label.
RunOptions disc_options(const RunOptions& options, std::size_t number, std::size_t count) {
    RunOptions disc = options;
    disc.image_path = disc_image_path(options.image_path, number);
    disc.volume_label = disc_volume_label(options.volume_label, number, count);
    return disc;
}

// Only an image this tool wrote (its disc id and magic word) is replaced by a
// disc of the set: a file of the same name may belong to something else.
Status check_replaceable_image(const std::string& image_path) {
    if (!path_exists(image_path) || is_directory(image_path) || is_special_file(image_path)) return Status::success();
    auto source = open_file_source(image_path);
    if (source) {
        auto header = read_disc_header(*source.value);
        if (header && has_tool_disc_id(header.value) && has_tool_magic(header.value)) return Status::success();
    }
    return Status::failure(image_path + ": is not an image of this tool, refusing to replace it");
}

// Images numbered past the last disc, left by an earlier and larger split.
std::vector<std::string> later_disc_images(const std::string& image_path, std::size_t count) {
    std::vector<std::string> later;
    for (std::size_t number = count + 1; number <= MAX_DISC_COUNT; ++number) {
        std::string path = disc_image_path(image_path, number);
        if (!path_exists(path)) break;
        later.push_back(std::move(path));
    }
    return later;
}

} // namespace

Result<RomTable> scan_split_collection(const RunOptions& options, const RunEnvironment& environment) {
    return scan_rom_collection(options.rom_directory, MAX_DISC_COUNT * MAX_ROM_COUNT,
                               std::to_string(MAX_DISC_COUNT) + " discs hold", environment.list_directory);
}

Result<std::vector<PlannedDisc>> plan_split(const RomTable& roms, const RunOptions& options,
                                            const RunEnvironment& environment) {
    std::vector<std::string> base_names;
    base_names.reserve(roms.size());
    for (const RomRecord& rom : roms) {
        base_names.push_back(make_disc_name(rom.file_name, options.rom_directory, environment.short_names));
    }
    return plan_discs(roms, base_names, options.profile, options.rom_directory);
}

int run_split(const RunOptions& options, std::vector<PlannedDisc>& discs, const PayloadSet& payloads,
              const RunEnvironment& environment) {
    // The images are named after "-o", which must name a file as for one disc.
    if (Status status = check_names_a_file(options.image_path); !status) return fail(status, environment);
    // Any disc's image or listing may fall on a ROM of any other disc.
    RomTable every_rom;
    for (const PlannedDisc& disc : discs) every_rom.insert(every_rom.end(), disc.roms.begin(), disc.roms.end());
    std::vector<RunOptions> per_disc;
    std::vector<std::string> image_paths;
    for (std::size_t d = 0; d < discs.size(); ++d) {
        per_disc.push_back(disc_options(options, d + 1, discs.size()));
        image_paths.push_back(per_disc.back().image_path);
        if (Status status = check_output_paths(per_disc.back(), every_rom); !status) return fail(status, environment);
        if (Status status = check_replaceable_image(image_paths.back()); !status) return fail(status, environment);
    }
    // No other run may write any of the images while this one does.
    const std::unique_ptr<OutputLock[]> locks(new OutputLock[discs.size()]);
    for (std::size_t d = 0; d < discs.size(); ++d) {
        if (Status status = lock_output(image_paths[d], locks[d]); !status) return fail(status, environment);
    }
    for (std::size_t d = 0; d < discs.size(); ++d) {
        if (Status status = check_roms_readable(per_disc[d], discs[d].roms); !status) return fail(status, environment);
    }

    print_disc_lines(discs, image_paths, options.pad, options.profile, environment.out);
    // Every disc's listing and image, put in place together at the end.
    std::vector<OutputFile> outputs;
    for (const std::string& image_path : image_paths) {
        for (OutputFile& output : image_outputs(image_path)) outputs.push_back(std::move(output));
    }
    for (std::size_t d = 0; d < discs.size(); ++d) {
        const RunOptions& disc = per_disc[d];
        std::fputs("\n", environment.out);
        print_summary(disc, discs[d].roms.size(), environment.out);
        const BuildRequest request{disc.image_path, disc.volume_label, disc.rom_directory, disc.pad,
                                   disc.skin,       disc.zoom,         disc.profile};
        const std::span<OutputFile, 2> disc_outputs(outputs.data() + 2 * d, 2);
        if (Status status =
                write_image_outputs(request, discs[d].roms, payloads, console_progress(environment.out), disc_outputs);
            !status) {
            discard_outputs(outputs);
            std::fputs("\n", environment.out);
            return fail(status, environment);
        }
    }
    Status status = commit_outputs(outputs);
    discard_outputs(outputs);
    if (!status) return fail(status, environment);
    print_split_closing(image_paths, later_disc_images(options.image_path, discs.size()), environment.out);
    std::fflush(environment.out);
    return EXIT_OK;
}

} // namespace kessra
