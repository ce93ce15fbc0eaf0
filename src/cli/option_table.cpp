#include "cli/option_table.hpp"

#include "cli/options.hpp"

namespace kessra {

namespace {

constexpr unsigned BUILD_AND_EXPORT = FOR_BUILD | FOR_EXPORT;

// The build's first seven in the order of its historic usage text, whose
// wording (misspelling included) scripts and users have read for years.
constexpr OptionEntry OPTIONS[] = {
    {"-o", OptionValue::name, FOR_BUILD, UsageGroup::mandatory, "ouput gcm/iso filename"},
    {"-d", OptionValue::name, FOR_BUILD, UsageGroup::mandatory, "GBA rom directory"},
    {"-v", OptionValue::name, FOR_BUILD, UsageGroup::mandatory, "GCM/ISO Volume label"},
    {"-p", OptionValue::none, FOR_BUILD, UsageGroup::optional, "Pad to 1.36Gb"},
    {"-ds", OptionValue::number, FOR_BUILD, UsageGroup::optional, "Default skin (0,1,2 or 3)"},
    {"-dz", OptionValue::number, FOR_BUILD, UsageGroup::optional, "Default zoom (0,1 or 2)"},
    {"-dravnik", OptionValue::none, FOR_BUILD, UsageGroup::optional, "Pad to 2.0Gb"},
    {"-split", OptionValue::none, FOR_BUILD, UsageGroup::unlisted, "spread the ROMs over as many discs as they need"},
    {"-payloads", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted,
     "take the payloads from an extracted disc folder"},
    {"-payloads-from", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted,
     "take the payloads from an image"},
    {"-skin0", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted, "a picture as skin 0"},
    {"-skin1", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted, "a picture as skin 1"},
    {"-skin2", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted, "a picture as skin 2"},
    {"-skin3", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted, "a picture as skin 3"},
    {"-banner", OptionValue::read_path, BUILD_AND_EXPORT, UsageGroup::unlisted, "a picture as the disc's banner"},
    {"-title", OptionValue::text, BUILD_AND_EXPORT, UsageGroup::unlisted, "the banner's title"},
    {"-maker", OptionValue::text, BUILD_AND_EXPORT, UsageGroup::unlisted, "the banner's maker"},
    {"-long-title", OptionValue::text, BUILD_AND_EXPORT, UsageGroup::unlisted, "the banner's long title"},
    {"-long-maker", OptionValue::text, BUILD_AND_EXPORT, UsageGroup::unlisted, "the banner's long maker"},
    {"-description", OptionValue::text, BUILD_AND_EXPORT, UsageGroup::unlisted, "the banner's description"},
    {"-force", OptionValue::none, FOR_EXPORT, UsageGroup::unlisted, "replace payload files already there"},
    {"-previews", OptionValue::none, FOR_EXPORT, UsageGroup::unlisted, "PNG previews of the skins and the banner"},
    {"-json", OptionValue::none, FOR_INSPECT, UsageGroup::unlisted, "print the facts as one JSON document"},
    {"-deep", OptionValue::none, FOR_INSPECT, UsageGroup::unlisted, "read every file and print its CRC32"},
    {"-frames", OptionValue::number, FOR_RUN, UsageGroup::unlisted, "run N frames from power-on"},
    {"-screenshot", OptionValue::write_path, FOR_RUN, UsageGroup::unlisted, "write the last frame as a PNG"},
    {"-keys", OptionValue::text, FOR_RUN, UsageGroup::unlisted, "keys held from a frame on"},
    {"-save", OptionValue::write_path, FOR_RUN, UsageGroup::unlisted, "the cartridge's save memory"},
    {"-save-type", OptionValue::text, FOR_RUN, UsageGroup::unlisted, "the save chip"},
    {"-audio", OptionValue::write_path, FOR_RUN, UsageGroup::unlisted, "write the run's sound as a WAV"},
};

} // namespace

std::span<const OptionEntry> option_table() { return OPTIONS; }

const OptionEntry* find_option(unsigned command, const char* argument) {
    for (const OptionEntry& option : OPTIONS) {
        if ((option.commands & command) != 0 && same_option(argument, option.name)) return &option;
    }
    return nullptr;
}

bool takes_value(unsigned command, const char* argument) {
    const OptionEntry* option = find_option(command, argument);
    return option != nullptr && option->value != OptionValue::none;
}

std::vector<std::string> option_names(unsigned command) {
    std::vector<std::string> names;
    for (const OptionEntry& option : OPTIONS) {
        if ((option.commands & command) != 0) names.emplace_back(option.name);
    }
    return names;
}

std::string option_help_lines(unsigned command, UsageGroup group) {
    std::string lines;
    for (const OptionEntry& option : OPTIONS) {
        if ((option.commands & command) == 0) continue;
        if (group != UsageGroup::unlisted && option.usage != group) continue;
        char line[160];
        std::snprintf(line, sizeof line, "   %-8s %s\n", option.name, option.help);
        lines += line;
    }
    return lines;
}

} // namespace kessra
