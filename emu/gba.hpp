// The whole handheld in one plain struct that the caller owns. Nothing here
// allocates, prints or touches a file: the host command and the console
// program hand in the ROM and take out frames, sound and save memory.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "emu/apu.hpp"
#include "emu/bios.hpp"
#include "emu/cpu.hpp"
#include "emu/machine.hpp"
#include "emu/save.hpp"
#include "emu/video.hpp"

namespace emu {

constexpr uint32_t kScreenWidth = 240;
constexpr uint32_t kScreenHeight = 160;

// Region sizes of the memory map.
constexpr uint32_t kBiosSize = 0x4000;
constexpr uint32_t kEwramSize = 0x40000;
constexpr uint32_t kIwramSize = 0x8000;
constexpr uint32_t kIoSize = 0x400;
constexpr uint32_t kPaletteSize = 0x400;
constexpr uint32_t kVramSize = 0x18000;
constexpr uint32_t kOamSize = 0x400;

// What a cartridge may hold: the header (0xC0 bytes) up to the 32 MiB the
// address space gives the ROM.
constexpr uint32_t kRomMinSize = 0xC0;
constexpr uint32_t kRomMaxSize = 0x2000000;

// The memory blocks, in the handheld's byte order (see endian.hpp). The
// small, often read blocks come first, so that they sit near the start of
// the Gba (see there).
struct Memory {
    uint8_t io[kIoSize]; // the registers' values as the handheld reads them
    uint8_t palette[kPaletteSize];
    uint8_t oam[kOamSize];
    uint8_t iwram[kIwramSize];
    uint8_t vram[kVramSize];
    uint8_t bios[kBiosSize];
    uint8_t ewram[kEwramSize];
};

// The ROM stays the caller's: it is only read, and must outlive the Gba.
struct Cartridge {
    const uint8_t* rom;
    uint32_t size;
};

// The keys, as bits of KEYINPUT (a set bit here means pressed).
enum Key : uint16_t {
    kKeyA = 1u << 0,
    kKeyB = 1u << 1,
    kKeySelect = 1u << 2,
    kKeyStart = 1u << 3,
    kKeyRight = 1u << 4,
    kKeyLeft = 1u << 5,
    kKeyUp = 1u << 6,
    kKeyDown = 1u << 7,
    kKeyR = 1u << 8,
    kKeyL = 1u << 9,
};
constexpr uint16_t kAllKeys = 0x3FF;

// The state the interpreter touches at every instruction (the processor,
// the cycle count, the cartridge, the machine's wait states and prefetch
// queue, the I/O registers) comes first: within 32 KiB of the start, a
// field is one load or store with an offset on the console's processor,
// where a field further on needs its address built first, and the hot
// state shares few cache lines.
struct Gba {
    Cpu cpu;
    uint64_t cycles;    // processor cycles since power-on
    uint64_t run_until; // cpu_run stops when cycles reaches this
    uint32_t frames;    // frames completed since power-on
    Cartridge cart;
    Machine machine; // interrupts, timers, DMA, display timing, wait states
    BiosState bios;
    Video video;
    Memory mem;
    Apu apu;
    SaveChip save;
    // The picture of the last completed frame (and the one being drawn), one
    // 15-bit colour per pixel as the handheld's palette holds it: red in bits
    // 0-4, green in 5-9, blue in 10-14.
    uint16_t frame[kScreenHeight * kScreenWidth];
};

// Powers the handheld on with the cartridge, in the state the BIOS leaves it
// when it starts a game. False (and nothing started) for a ROM of a size
// outside kRomMinSize..kRomMaxSize.
bool gba_init(Gba& gba, const uint8_t* rom, uint32_t rom_size);
// Runs until the next frame is complete (the start of vertical blanking).
void gba_run_frame(Gba& gba);
// The keys held from now on (Key bits, set = pressed).
void gba_set_keys(Gba& gba, uint16_t pressed);

} // namespace emu
