// The serial EEPROM: DMA 3 moves one bit per halfword (bit 0). A request is
// "11" (read) or "10" (write), the block address (6 bits for 512 bytes, 14
// for 8 KiB, of which 10 count), for a write the 64 data bits, and a closing
// 0. After a read request the chip sends 4 bits of nothing and the 64 bits of
// the block, most significant first. Otherwise a read shows 1: ready.
//
// The width is the one thing the chip cannot know from the bits: it comes
// from the length of the DMA transfer that carries the first request
// (9 or 73 units for 6 bits, 17 or 81 for 14).
#include "emu/gba.hpp"
#include "emu/save_chip.hpp"

namespace emu {

namespace {

constexpr uint32_t kReadPrefixBits = 4;
constexpr uint32_t kBlockBits = 64;

uint8_t width_from_units(uint32_t units) {
    if (units == 9 || units == 73) return 6;
    if (units == 17 || units == 81) return 14;
    return 0;
}

void learn_width(Gba& gba) {
    SaveChip& chip = gba.save;
    if (chip.eeprom_width != 0) return;
    const uint8_t width = width_from_units(chip.dma_units);
    chip.eeprom_width = width != 0 ? width : 6;
    chip.type = chip.eeprom_width == 6 ? SaveType::Eeprom512 : SaveType::Eeprom8K;
}

uint32_t block_offset(const SaveChip& chip) {
    const uint32_t mask = chip.eeprom_width == 6 ? 0x3Fu : 0x3FFu;
    return (chip.eeprom_address & mask) * 8;
}

void store_block(Gba& gba) {
    SaveChip& chip = gba.save;
    uint8_t* block = chip.data + block_offset(chip);
    bool changed = false;
    for (uint32_t i = 0; i < 8; ++i) {
        const uint8_t byte = static_cast<uint8_t>(chip.eeprom_buffer >> (56 - 8 * i));
        changed = changed || block[i] != byte;
        block[i] = byte;
    }
    if (changed) save_changed(gba);
}

void load_block(SaveChip& chip) {
    const uint8_t* block = chip.data + block_offset(chip);
    chip.eeprom_buffer = 0;
    for (uint32_t i = 0; i < 8; ++i) chip.eeprom_buffer = chip.eeprom_buffer << 8 | block[i];
}

} // namespace

bool save_eeprom_at(const Gba& gba, uint32_t addr) {
    const SaveType type = gba.save.type;
    if (type != SaveType::Eeprom && type != SaveType::Eeprom512 && type != SaveType::Eeprom8K) return false;
    if ((addr >> 24) != 0xD) return false;
    return gba.cart.size <= 0x1000000 || (addr & 0xFFFFFF) >= 0xFFFF00;
}

void save_eeprom_dma(Gba& gba, uint32_t units) { gba.save.dma_units = units; }

uint16_t save_eeprom_read(Gba& gba) {
    SaveChip& chip = gba.save;
    if (chip.eeprom_state != kEepromSending) return 1;
    const uint32_t index = chip.eeprom_bits++;
    if (chip.eeprom_bits == kReadPrefixBits + kBlockBits) chip.eeprom_state = kEepromIdle;
    if (index < kReadPrefixBits) return 0;
    return static_cast<uint16_t>(chip.eeprom_buffer >> (kBlockBits - 1 - (index - kReadPrefixBits)) & 1);
}

void save_eeprom_write(Gba& gba, uint16_t value) {
    SaveChip& chip = gba.save;
    const uint32_t bit = value & 1u;
    if (chip.eeprom_state != kEepromTaking) {
        learn_width(gba);
        chip.eeprom_state = kEepromTaking;
        chip.eeprom_bits = 0;
        chip.eeprom_address = 0;
        chip.eeprom_buffer = 0;
        chip.eeprom_request = 0;
    }
    const uint32_t at = chip.eeprom_bits++;
    const uint32_t width = chip.eeprom_width;
    if (at < 2) {
        chip.eeprom_request = static_cast<uint8_t>(static_cast<uint32_t>(chip.eeprom_request) << 1 | bit);
        // A stream that does not start with 1 is no request: the next bit starts over.
        if (at == 0 && bit == 0) chip.eeprom_state = kEepromIdle;
        return;
    }
    if (at < 2 + width) {
        chip.eeprom_address = chip.eeprom_address << 1 | bit;
        return;
    }
    if (chip.eeprom_request == 3) {
        // The closing bit: the block goes out next.
        load_block(chip);
        chip.eeprom_state = kEepromSending;
        chip.eeprom_bits = 0;
        return;
    }
    if (at < 2 + width + kBlockBits) {
        chip.eeprom_buffer = chip.eeprom_buffer << 1 | bit;
        return;
    }
    store_block(gba);
    chip.eeprom_state = kEepromIdle;
}

} // namespace emu
