#include "handheld/save_file.hpp"

#include <iterator>

#include "handheld/key_schedule.hpp"
#include "platform/output_files.hpp"
#include "platform/read_file.hpp"

namespace kessra::handheld {

namespace {

constexpr emu::SaveType CHOOSABLE[] = {emu::SaveType::None,     emu::SaveType::Sram,      emu::SaveType::Flash64,
                                       emu::SaveType::Flash128, emu::SaveType::Eeprom512, emu::SaveType::Eeprom8K};

} // namespace

std::optional<emu::SaveType> parse_save_type(const std::string& text) {
    for (emu::SaveType type : CHOOSABLE) {
        if (same_name_in_any_case(text, emu::save_type_name(type))) return type;
    }
    return std::nullopt;
}

std::string save_type_names() {
    std::string names;
    for (emu::SaveType type : CHOOSABLE) names += std::string(names.empty() ? "" : ", ") + emu::save_type_name(type);
    return names;
}

Status load_save_file(emu::Gba& gba, const std::string& path) {
    if (!path_exists(path)) return Status::success();
    Result<std::vector<std::uint8_t>> bytes = read_whole_file(path, emu::kSaveMaxSize);
    if (!bytes) return bytes.status;
    const std::string chip = emu::save_type_name(gba.save.type);
    if (gba.save.type == emu::SaveType::None)
        return Status::failure(path + ": the cartridge has no save chip to load it into (-save-type names one)");
    if (!emu::save_load(gba, bytes.value.data(), static_cast<std::uint32_t>(bytes.value.size())))
        return Status::failure(path + ": the file is " + std::to_string(bytes.value.size()) + " bytes; the " + chip +
                               " chip holds " + std::to_string(emu::save_size(gba)) + " bytes");
    return Status::success();
}

std::vector<std::uint8_t> save_contents(const emu::Gba& gba) {
    const std::uint32_t size = emu::save_size(gba);
    return {gba.save.data, gba.save.data + size};
}

} // namespace kessra::handheld
