#include "cli/run_rom_command.hpp"

#include <chrono>
#include <cstring>
#include <iterator>
#include <optional>

#include "catalogue/rom_record.hpp"
#include "cli/options.hpp"
#include "cli/run_steps.hpp"
#include "handheld/key_schedule.hpp"
#include "handheld/play.hpp"
#include "handheld/rom_file.hpp"
#include "handheld/save_file.hpp"
#include "handheld/screen_picture.hpp"
#include "handheld/wav_file.hpp"
#include "platform/output_files.hpp"
#include "texture/png_file.hpp"

namespace kessra {

namespace {

constexpr const char* RUN_USAGE = "Usage   : kessra run ROM -frames N -screenshot PICTURE.png [-keys SCHEDULE]\n"
                                  "                  [-save FILE] [-save-type TYPE] [-audio SOUND.wav]\n"
                                  "   -frames N       run N frames from power-on (1 to 2147483647)\n"
                                  "   -screenshot F   write the last frame to F as a 240 x 160 PNG\n"
                                  "   -keys SCHEDULE  keys held from a frame on, e.g. 60:A,90:-,120:START+UP\n"
                                  "                   (keys: A B SELECT START RIGHT LEFT UP DOWN R L; - for none)\n"
                                  "   -save FILE      the cartridge's save memory: read from FILE if it exists,\n"
                                  "                   written back after the run\n"
                                  "   -save-type TYPE the save chip, instead of the one the ROM names: none, sram,\n"
                                  "                   flash64, flash128, eeprom512 or eeprom8k\n"
                                  "   -audio F        write the run's sound to F as a 16-bit stereo WAV at 32768 Hz\n"
                                  "                   (at most 216000 frames)\n";

constexpr const char* VALUE_OPTIONS[] = {"-frames", "-screenshot", "-keys", "-save", "-save-type", "-audio"};
enum : std::size_t { FRAMES, SCREENSHOT, KEYS, SAVE, SAVE_TYPE, AUDIO };

struct RunRomOptions {
    std::string rom;
    std::string screenshot;
    std::uint32_t frames = 0;
    handheld::KeySchedule keys;
    std::string save;                       // empty: no save file
    std::optional<emu::SaveType> save_type; // the ROM's own when not given
    std::string audio;                      // empty: no sound recorded
};

// Success when the options are complete; otherwise what is wrong with them.
Status parse_run_options(int argc, const char* const* argv, RunRomOptions& options) {
    const char* frames = nullptr;
    const char* keys = nullptr;
    const char* save_type = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::size_t option = std::size(VALUE_OPTIONS);
        for (std::size_t k = 0; k < std::size(VALUE_OPTIONS); ++k)
            if (same_option(argument.c_str(), VALUE_OPTIONS[k])) option = k;
        if (option < std::size(VALUE_OPTIONS)) {
            if (i + 1 >= argc) return Status::failure(argument + " needs a value");
            const char* value = argv[++i];
            if (std::strlen(value) > MAX_NAME_LENGTH)
                return Status::failure("the value of " + argument + " is longer than " +
                                       std::to_string(MAX_NAME_LENGTH) + " characters");
            if (option == FRAMES) frames = value;
            if (option == SCREENSHOT) options.screenshot = value;
            if (option == KEYS) keys = value;
            if (option == SAVE) {
                if (*value == '\0') return Status::failure("-save: an empty path");
                options.save = value;
            }
            if (option == SAVE_TYPE) save_type = value;
            if (option == AUDIO) {
                if (*value == '\0') return Status::failure("-audio: an empty path");
                options.audio = value;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            return Status::failure("unknown option " + argument);
        } else if (argument.empty()) {
            return Status::failure("an empty ROM path");
        } else if (options.rom.empty()) {
            if (argument.size() > MAX_NAME_LENGTH)
                return Status::failure("the ROM's path is longer than " + std::to_string(MAX_NAME_LENGTH) +
                                       " characters");
            options.rom = argument;
        } else {
            return Status::failure("one ROM only: " + argument);
        }
    }
    if (options.rom.empty()) return Status::failure("no ROM given");
    if (frames == nullptr) return Status::failure("-frames is missing");
    if (options.screenshot.empty()) return Status::failure("-screenshot is missing or empty");
    const std::optional<std::uint32_t> count = handheld::parse_frame_number(frames);
    if (!count || *count == 0)
        return Status::failure(std::string("-frames ") + frames + ": not a number of frames from 1 to " +
                               std::to_string(handheld::MAX_FRAME));
    options.frames = *count;
    if (!options.audio.empty() && options.frames > handheld::MAX_SOUND_FRAMES)
        return Status::failure("-audio records at most " + std::to_string(handheld::MAX_SOUND_FRAMES) + " frames");
    if (save_type != nullptr) {
        options.save_type = handheld::parse_save_type(save_type);
        if (!options.save_type)
            return Status::failure(std::string("-save-type ") + save_type + ": not one of " +
                                   handheld::save_type_names());
    }
    if (keys != nullptr) {
        Result<handheld::KeySchedule> schedule = handheld::parse_key_schedule(keys);
        if (!schedule) return Status::failure("-keys: " + schedule.status.message);
        options.keys = std::move(schedule.value);
    }
    return Status::success();
}

// An output replaces a regular file, never a folder, a device, a pipe or
// the ROM itself.
Status check_output_path(const std::string& path, const std::string& rom, const char* what) {
    if (is_directory(path)) return Status::failure(path + ": is a directory, not a " + what);
    if (is_special_file(path)) return Status::failure(path + ": is not a regular file, refusing to replace it");
    if (same_file(path, rom)) return Status::failure(path + ": refusing to overwrite the input ROM " + rom);
    return Status::success();
}

Status check_output_paths(const RunRomOptions& options) {
    Status status = check_output_path(options.screenshot, options.rom, "picture file");
    if (status && !options.save.empty()) status = check_output_path(options.save, options.rom, "save file");
    if (status && !options.save.empty() &&
        (options.save == options.screenshot || same_file(options.save, options.screenshot)))
        status = Status::failure(options.save + ": the save file and the picture cannot be one file");
    if (status && !options.audio.empty()) status = check_output_path(options.audio, options.rom, "sound file");
    for (const std::string* other : {&options.screenshot, &options.save}) {
        if (status && !options.audio.empty() && !other->empty() &&
            (options.audio == *other || same_file(options.audio, *other)))
            status = Status::failure(options.audio + ": the sound file cannot also be the picture or the save file");
    }
    return status;
}

// The picture, the save memory and the sound are put in place together, or
// none of them.
Status write_outputs(const RunRomOptions& options, const emu::Gba& gba, const std::vector<std::int16_t>& sound) {
    const texture::Bytes png = texture::encode_png(handheld::screen_picture(gba.frame), false);
    if (png.empty()) return Status::failure(options.screenshot + ": the picture could not be encoded");
    std::vector<OutputFile> outputs;
    Status status = stage_output(outputs, options.screenshot, png);
    const std::vector<std::uint8_t> save = handheld::save_contents(gba);
    if (status && !options.save.empty() && !save.empty()) status = stage_output(outputs, options.save, save);
    if (status && !options.audio.empty())
        status = stage_output(outputs, options.audio, handheld::encode_wav(sound, handheld::SOUND_RATE));
    if (status) status = commit_outputs(outputs);
    discard_outputs(outputs);
    return status;
}

} // namespace

int run_rom_command(int argc, const char* const* argv, const RunEnvironment& environment) {
    if (argc == 2 && (same_option(argv[1], "-h") || same_option(argv[1], "--help"))) {
        std::fputs(RUN_USAGE, environment.out);
        return EXIT_OK;
    }
    RunRomOptions options;
    if (const Status wrong = parse_run_options(argc, argv, options); !wrong) {
        std::fprintf(environment.err, "kessra: run: %s\n", wrong.message.c_str());
        std::fputs(RUN_USAGE, environment.err);
        return EXIT_USAGE;
    }
    if (Status status = check_output_paths(options); !status) return fail(status, environment);
    Result<std::vector<std::uint8_t>> rom = handheld::load_rom(options.rom);
    if (!rom) return fail(rom.status, environment);
    const std::unique_ptr<emu::Gba> gba = handheld::power_on(rom.value);
    if (!gba) return fail(Status::failure(options.rom + ": the handheld did not start it"), environment);
    if (options.save_type) emu::save_configure(*gba, *options.save_type);
    if (!options.save.empty()) {
        if (Status status = handheld::load_save_file(*gba, options.save); !status) return fail(status, environment);
    }

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::int16_t> sound;
    handheld::play_frames(*gba, options.frames, options.keys, options.audio.empty() ? nullptr : &sound,
                          handheld::SOUND_RATE);
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;

    if (Status status = write_outputs(options, *gba, sound); !status) return fail(status, environment);
    const double seconds = taken.count();
    std::fprintf(environment.out, "Ran %u frame%s in %.2f s (%.1f frames per second)\n", options.frames,
                 options.frames == 1 ? "" : "s", seconds, seconds > 0 ? options.frames / seconds : 0.0);
    return EXIT_OK;
}

} // namespace kessra
