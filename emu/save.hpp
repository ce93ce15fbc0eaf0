// The cartridge's save chip: battery-backed SRAM (32 KiB), Flash (64 or
// 128 KiB, with bank switching) or a serial EEPROM (512 bytes or 8 KiB)
// driven by DMA 3. The chip's contents are kept here in the layout that
// .sav files use, so the caller can load and store them as they are.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace emu {

struct Gba;

enum class SaveType : uint8_t {
    None,
    Sram,     // 32 KiB, SRAM or FRAM
    Flash64,  // 64 KiB
    Flash128, // 128 KiB, two banks of 64 KiB
    Eeprom,   // 512 bytes or 8 KiB: the address width the game uses tells
    Eeprom512,
    Eeprom8K,
};

constexpr uint32_t kSaveMaxSize = 0x20000;

// What the Flash chips answer in ID mode: a Panasonic 64 KiB part and a
// Macronix 128 KiB part, both common in cartridges.
constexpr uint8_t kFlash64Maker = 0x32;
constexpr uint8_t kFlash64Device = 0x1B;
constexpr uint8_t kFlash128Maker = 0xC2;
constexpr uint8_t kFlash128Device = 0x09;

struct SaveChip {
    SaveType type;
    uint8_t flash_stage; // how far a command sequence (AA, 55, command) has come
    uint8_t flash_mode;  // the command waiting for its data byte: write, erase, bank
    bool flash_id;       // ID mode: the first two bytes read as maker and device
    bool flash_erase;    // the erase command was given: the next sequence says what
    uint8_t flash_bank;
    uint8_t eeprom_state;   // idle, taking a request, or sending data
    uint8_t eeprom_width;   // address bits: 6 or 14, 0 while unknown
    uint8_t eeprom_request; // the request being taken: 2 write, 3 read
    uint32_t eeprom_bits;   // bits taken or sent in the current stream
    uint32_t eeprom_address;
    uint64_t eeprom_buffer;
    uint32_t dma_units;     // the length of the DMA 3 transfer now running, 0 outside one
    bool dirty;             // changed since the caller last took the contents
    uint32_t changed_frame; // gba.frames when the contents last changed
    uint8_t data[kSaveMaxSize];
};

// The chip a cartridge carries, from the ID string its save library leaves
// at a word boundary of the ROM; SaveType::None when there is none.
SaveType save_detect(const uint8_t* rom, uint32_t size);
// Fits the cartridge with a chip, erased (0xFF). Called by gba_init with the
// detected type; the host may call it again before the first frame.
void save_configure(Gba& gba, SaveType type);
// The contents' size in bytes (0 for no chip, and for an EEPROM whose width
// is not known yet).
uint32_t save_size(const Gba& gba);
// Loads contents saved earlier. A file of another size than the chip's is
// refused (false), except that it tells an EEPROM of unknown width its size.
bool save_load(Gba& gba, const uint8_t* data, uint32_t size);
// True while the game is inside a command sequence or an EEPROM stream: the
// contents may be half-changed and must not be stored now.
bool save_busy(const Gba& gba);

// The save area 0x0E000000-0x0FFFFFFF, one byte at a time (the bus repeats
// the byte for wider reads and picks the byte lane of wider writes).
uint8_t save_read(Gba& gba, uint32_t addr);
void save_write(Gba& gba, uint32_t addr, uint8_t value);

// The EEPROM on the cartridge bus (0x0D000000 up, the top 256 bytes for a
// ROM above 16 MiB): the bus asks whether an address reaches it, and DMA 3
// says how many units a transfer that touches it moves.
bool save_eeprom_at(const Gba& gba, uint32_t addr);
uint16_t save_eeprom_read(Gba& gba);
void save_eeprom_write(Gba& gba, uint16_t value);
void save_eeprom_dma(Gba& gba, uint32_t units);

// Text names of the types, as the host's option and reports spell them.
const char* save_type_name(SaveType type);

} // namespace emu
