#include "emu/gba.hpp"

namespace emu {

bool gba_init(Gba& gba, const uint8_t* rom, uint32_t rom_size) {
    if (rom == nullptr || rom_size < kRomMinSize || rom_size > kRomMaxSize) return false;
    __builtin_memset(&gba, 0, sizeof gba);
    gba.cart.rom = rom;
    gba.cart.size = rom_size;
    machine_init(gba);
    bios_boot(gba);
    save_configure(gba, save_detect(rom, rom_size));
    return true;
}

} // namespace emu
