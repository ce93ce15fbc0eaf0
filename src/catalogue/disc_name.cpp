#include "catalogue/disc_name.hpp"

#include <algorithm>

#include "catalogue/console_text.hpp"
#include "platform/paths.hpp"

namespace kessra {

std::string map_disc_name(std::string_view short_name) {
    std::string name(short_name.substr(0, std::min(short_name.size(), MAX_DISC_NAME_LENGTH)));
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == '~' || c == ' ' || is_control_byte(byte)) {
            c = '_';
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

std::string make_disc_name(const std::string& file_name, const std::string& directory, const ShortNameLookup& lookup) {
    const std::string short_path = lookup(join_path(directory, file_name));
    return map_disc_name(last_component(short_path));
}

std::string unique_disc_name(const std::string& name, const std::vector<std::string>& in_use) {
    const auto taken = [&](const std::string& candidate) {
        return std::find(in_use.begin(), in_use.end(), candidate) != in_use.end();
    };
    if (!taken(name)) return name;
    // The number goes before the extension, which the emulator looks for;
    // the stem gives way when the name would grow past the limit.
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (std::size_t number = 2;; ++number) {
        std::string suffix(1, '_');
        suffix.append(std::to_string(number));
        const std::size_t tail = suffix.size() + extension.size();
        const std::size_t room = MAX_DISC_NAME_LENGTH > tail ? MAX_DISC_NAME_LENGTH - tail : 0;
        std::string candidate = stem.substr(0, std::min(stem.size(), room));
        candidate.append(suffix);
        candidate.append(extension);
        if (!taken(candidate)) return candidate;
    }
}

void assign_disc_names(RomTable& roms, const std::string& directory, const ShortNameLookup& lookup) {
    std::vector<std::string> in_use;
    in_use.reserve(roms.size());
    for (RomRecord& rom : roms) {
        rom.disc_name = unique_disc_name(make_disc_name(rom.file_name, directory, lookup), in_use);
        in_use.push_back(rom.disc_name);
    }
}

std::string read_menu_title(std::span<const std::uint8_t> rom) {
    std::string title;
    for (std::size_t i = 0; i < MENU_TITLE_LENGTH && TITLE_OFFSET + i < rom.size(); ++i) {
        const auto byte = rom[TITLE_OFFSET + i];
        if (byte == 0) break;
        title += (byte >= 'a' && byte <= 'z') ? static_cast<char>(byte - 'a' + 'A') : static_cast<char>(byte);
    }
    return title;
}

} // namespace kessra
