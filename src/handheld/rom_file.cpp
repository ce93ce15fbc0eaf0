#include "handheld/rom_file.hpp"

#include <cstdio>
#include <memory>

#include "emu/gba.hpp"
#include "platform/file_io.hpp"
#include "platform/read_file.hpp"

namespace kessra::handheld {

Result<std::vector<std::uint8_t>> load_rom(const std::string& path) {
    Result<std::FILE*> opened = open_regular_file(path);
    if (!opened) return {opened.status, {}};
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.value, std::fclose);
    Result<std::vector<std::uint8_t>> rom = read_open_file(file.get(), path, emu::kRomMaxSize);
    if (rom && rom.value.size() < emu::kRomMinSize)
        return {Status::failure(path + ": the file is " + std::to_string(rom.value.size()) +
                                " bytes; a ROM holds at least its " + std::to_string(emu::kRomMinSize) +
                                "-byte header"),
                {}};
    return rom;
}

} // namespace kessra::handheld
