// The save chip's configuration, its contents as a whole, and the SRAM.
// Flash and EEPROM keep their command state in save_flash.cpp and
// save_eeprom.cpp.
#include "emu/gba.hpp"
#include "emu/save_chip.hpp"

namespace emu {

namespace {

struct IdString {
    const char* text;
    uint32_t length;
    SaveType type;
};

// Longer names first where one begins like another.
constexpr IdString kIdStrings[] = {
    {"EEPROM_V", 8, SaveType::Eeprom}, {"SRAM_V", 6, SaveType::Sram},         {"SRAM_F_V", 8, SaveType::Sram},
    {"FLASH_V", 7, SaveType::Flash64}, {"FLASH512_V", 10, SaveType::Flash64}, {"FLASH1M_V", 9, SaveType::Flash128},
};

bool matches_at(const uint8_t* rom, uint32_t size, uint32_t at, const IdString& id) {
    if (size - at < id.length) return false;
    for (uint32_t i = 0; i < id.length; ++i) {
        if (rom[at + i] != static_cast<uint8_t>(id.text[i])) return false;
    }
    return true;
}

uint32_t capacity(SaveType type) {
    switch (type) {
    case SaveType::Sram: return 0x8000;
    case SaveType::Flash64: return 0x10000;
    case SaveType::Flash128: return 0x20000;
    case SaveType::Eeprom512: return 0x200;
    case SaveType::Eeprom8K: return 0x2000;
    case SaveType::None:
    case SaveType::Eeprom: break;
    }
    return 0;
}

} // namespace

SaveType save_detect(const uint8_t* rom, uint32_t size) {
    if (rom == nullptr) return SaveType::None;
    for (uint32_t at = 0; at + 4 <= size; at += 4) {
        const uint8_t first = rom[at];
        if (first != 'E' && first != 'S' && first != 'F') continue;
        for (const IdString& id : kIdStrings) {
            if (matches_at(rom, size, at, id)) return id.type;
        }
    }
    return SaveType::None;
}

void save_configure(Gba& gba, SaveType type) {
    SaveChip& chip = gba.save;
    __builtin_memset(&chip, 0, sizeof chip - sizeof chip.data);
    __builtin_memset(chip.data, 0xFF, sizeof chip.data);
    chip.type = type;
    if (type == SaveType::Eeprom512) chip.eeprom_width = 6;
    if (type == SaveType::Eeprom8K) chip.eeprom_width = 14;
}

uint32_t save_size(const Gba& gba) { return capacity(gba.save.type); }

bool save_load(Gba& gba, const uint8_t* data, uint32_t size) {
    SaveChip& chip = gba.save;
    if (chip.type == SaveType::Eeprom && (size == 0x200 || size == 0x2000)) {
        save_configure(gba, size == 0x200 ? SaveType::Eeprom512 : SaveType::Eeprom8K);
    }
    if (data == nullptr || size == 0 || size != capacity(chip.type)) return false;
    __builtin_memcpy(chip.data, data, size);
    chip.dirty = false;
    return true;
}

bool save_busy(const Gba& gba) {
    const SaveChip& chip = gba.save;
    return chip.flash_stage != 0 || chip.flash_mode != 0 || chip.flash_erase || chip.eeprom_state != kEepromIdle;
}

void save_changed(Gba& gba) {
    gba.save.dirty = true;
    gba.save.changed_frame = gba.frames;
}

uint8_t save_read(Gba& gba, uint32_t addr) {
    switch (gba.save.type) {
    case SaveType::Sram: return gba.save.data[addr & 0x7FFF];
    case SaveType::Flash64:
    case SaveType::Flash128: return flash_read(gba, addr);
    default: return 0xFF;
    }
}

void save_write(Gba& gba, uint32_t addr, uint8_t value) {
    switch (gba.save.type) {
    case SaveType::Sram: {
        uint8_t& cell = gba.save.data[addr & 0x7FFF];
        if (cell != value) {
            cell = value;
            save_changed(gba);
        }
        return;
    }
    case SaveType::Flash64:
    case SaveType::Flash128: flash_write(gba, addr, value); return;
    default: return;
    }
}

const char* save_type_name(SaveType type) {
    switch (type) {
    case SaveType::None: return "none";
    case SaveType::Sram: return "sram";
    case SaveType::Flash64: return "flash64";
    case SaveType::Flash128: return "flash128";
    case SaveType::Eeprom: return "eeprom";
    case SaveType::Eeprom512: return "eeprom512";
    case SaveType::Eeprom8K: return "eeprom8k";
    }
    return "none";
}

} // namespace emu
