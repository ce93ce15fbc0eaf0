// Flash: every command is the unlock pair AA to 5555 and 55 to 2AAA, then
// the command byte to 5555 (or, to erase a sector, 30 to the sector's
// address). ID mode shows the maker and device codes at 0 and 1. The chip
// answers at once: a game polling for the end of a write or erase sees it
// done on its first read.
#include "emu/gba.hpp"
#include "emu/save_chip.hpp"

namespace emu {

namespace {

constexpr uint8_t kModeNone = 0;
constexpr uint8_t kModeWrite = 1;
constexpr uint8_t kModeBank = 2;

constexpr uint32_t kBankSize = 0x10000;
constexpr uint32_t kSectorSize = 0x1000;

uint8_t* bank_base(Gba& gba) { return gba.save.data + gba.save.flash_bank * kBankSize; }

void erase(Gba& gba, uint32_t offset, uint32_t length) {
    __builtin_memset(bank_base(gba) + offset, 0xFF, length);
    save_changed(gba);
}

// The third write of a sequence: the command itself.
void command(Gba& gba, uint32_t a, uint8_t value) {
    SaveChip& chip = gba.save;
    if (chip.flash_erase && value == 0x30) {
        erase(gba, a & ~(kSectorSize - 1), kSectorSize);
        chip.flash_erase = false;
        return;
    }
    if (a != 0x5555) return;
    const bool erase_armed = chip.flash_erase;
    chip.flash_erase = false;
    switch (value) {
    case 0x90: chip.flash_id = true; break;
    case 0xF0: chip.flash_id = false; break;
    case 0x80: chip.flash_erase = true; break;
    case 0x10:
        if (erase_armed) {
            __builtin_memset(gba.save.data, 0xFF, chip.type == SaveType::Flash128 ? 2 * kBankSize : kBankSize);
            save_changed(gba);
        }
        break;
    case 0xA0: chip.flash_mode = kModeWrite; break;
    case 0xB0:
        if (chip.type == SaveType::Flash128) chip.flash_mode = kModeBank;
        break;
    default: break;
    }
}

} // namespace

uint8_t flash_read(Gba& gba, uint32_t addr) {
    const uint32_t a = addr & 0xFFFF;
    const SaveChip& chip = gba.save;
    if (chip.flash_id && a < 2) {
        const bool big = chip.type == SaveType::Flash128;
        if (a == 0) return big ? kFlash128Maker : kFlash64Maker;
        return big ? kFlash128Device : kFlash64Device;
    }
    return gba.save.data[chip.flash_bank * kBankSize + a];
}

void flash_write(Gba& gba, uint32_t addr, uint8_t value) {
    SaveChip& chip = gba.save;
    const uint32_t a = addr & 0xFFFF;
    if (chip.flash_mode == kModeWrite) {
        // Programming only clears bits; an erase sets them again.
        uint8_t& cell = bank_base(gba)[a];
        const uint8_t programmed = static_cast<uint8_t>(cell & value);
        if (programmed != cell) {
            cell = programmed;
            save_changed(gba);
        }
        chip.flash_mode = kModeNone;
        return;
    }
    if (chip.flash_mode == kModeBank) {
        if (a == 0) chip.flash_bank = static_cast<uint8_t>(value & 1);
        chip.flash_mode = kModeNone;
        return;
    }
    if (chip.flash_stage == 0 && a == 0x5555 && value == 0xF0) {
        chip.flash_id = false; // the forced end of a command
        chip.flash_erase = false;
        return;
    }
    if (chip.flash_stage == 0 && a == 0x5555 && value == 0xAA) {
        chip.flash_stage = 1;
    } else if (chip.flash_stage == 1 && a == 0x2AAA && value == 0x55) {
        chip.flash_stage = 2;
    } else if (chip.flash_stage == 2) {
        chip.flash_stage = 0;
        command(gba, a, value);
    } else {
        chip.flash_stage = 0;
    }
}

} // namespace emu
