#include "handheld/rom_file.hpp"


#include "emu/gba.hpp"
#include "platform/file_io.hpp"
#include "platform/read_file.hpp"

namespace kessra::handheld {

Result<std::vector<std::uint8_t>> load_rom(const std::string& path) {
    Result<File> opened = open_regular_file(path);
    if (!opened) return {opened.status, {}};
    Result<std::vector<std::uint8_t>> rom = read_open_file(opened.value, emu::kRomMaxSize);
    if (rom && rom.value.size() < emu::kRomMinSize)
        return {Status::failure(path + ": the file is " + std::to_string(rom.value.size()) +
                                " bytes; a ROM holds at least its " + std::to_string(emu::kRomMinSize) +
                                "-byte header"),
                {}};
    return rom;
}

} // namespace kessra::handheld
