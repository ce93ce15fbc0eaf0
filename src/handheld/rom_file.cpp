#include "handheld/rom_file.hpp"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "emu/gba.hpp"
#include "platform/file_copy.hpp"
#include "platform/file_io.hpp"

namespace kessra::handheld {

Result<std::vector<std::uint8_t>> load_rom(const std::string& path) {
    Result<std::FILE*> opened = open_regular_file(path);
    if (!opened) return {opened.status, {}};
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened.value, std::fclose);
    errno = 0;
    const std::int64_t size = open_file_size(file.get());
    if (size < 0) return {Status::failure(io_error_line(path, "reading the size of", errno)), {}};
    const std::string bytes_text = std::to_string(size) + (size == 1 ? " byte" : " bytes");
    if (size < std::int64_t{emu::kRomMinSize})
        return {Status::failure(path + ": the ROM is " + bytes_text + "; a ROM holds at least its " +
                                std::to_string(emu::kRomMinSize) + "-byte header"),
                {}};
    if (size > std::int64_t{emu::kRomMaxSize})
        return {Status::failure(path + ": the ROM is " + bytes_text + "; at most " +
                                std::to_string(emu::kRomMaxSize) + " (32 MiB) are accepted"),
                {}};
    std::vector<std::uint8_t> rom(static_cast<std::size_t>(size));
    errno = 0;
    if (std::fread(rom.data(), 1, rom.size(), file.get()) != rom.size())
        return {Status::failure(std::ferror(file.get()) ? io_error_line(path, "reading", errno)
                                                        : path + ": the file got shorter while being read"),
                {}};
    return success(std::move(rom));
}

} // namespace kessra::handheld
