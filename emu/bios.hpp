// The system calls and the BIOS area, handled by the core itself: no BIOS
// image is loaded. The BIOS area holds a small handler set of our own (see
// bios_image.cpp); the processor executes it like any code, and its trap
// instructions hand the system calls to bios_trap.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

struct BiosState {
    // What a read of the BIOS area from outside it returns: the BIOS opcode
    // most recently fetched. The bus keeps it current on every opcode fetch
    // inside the BIOS area; bios_boot sets the value the boot leaves.
    uint32_t latch;
    // The part of a system call's time that passes after its work: charged
    // when the BIOS code goes on, so after a halt the call caused, once woken.
    uint32_t resume_cycles;
};

// Fills the BIOS area and sets the registers and I/O as the BIOS leaves them
// when it starts the cartridge.
void bios_boot(Gba& gba);
// The processor met an undefined instruction while executing in the BIOS area:
// the BIOS handling's trap. Returns false if the opcode is not one of its traps,
// and the processor then takes the undefined-instruction exception.
bool bios_trap(Gba& gba, uint32_t opcode);

// --- the BIOS area's layout ---------------------------------------------------
// The trap opcodes: ARM's permanently undefined space, cond AL.
constexpr uint32_t kBiosTrapBase = 0xE7F000F0;
enum BiosTrap : uint32_t {
    kTrapSwi = 0,    // runs the system call whose number is in r12
    kTrapWait = 1,   // IntrWait/VBlankIntrWait: checks the flags, halts until one arrives
    kTrapReset = 2,  // the reset vector: starts the cartridge again
    kTrapResume = 3, // a call's remaining time (BiosState::resume_cycles)
};
constexpr uint32_t kBiosIrqHandler = 0x128;    // the interrupt dispatcher
constexpr uint32_t kBiosSwiHandler = 0x140;    // the system call entry
constexpr uint32_t kBiosSwiTrap = 0x160;       // trap: the call itself
constexpr uint32_t kBiosWaitTrap = 0x164;      // trap: the wait loop of IntrWait
constexpr uint32_t kBiosSwiResume = 0x168;     // where a finished call continues (trap: its closing time)
constexpr uint32_t kBiosResetTrap = 0xD8;      // trap: the reset
constexpr uint32_t kBiosStartCartridge = 0xDC; // bx lr, with lr = the entry point
// The latch values the handler set leaves: after the boot and SoftReset, while
// the user's interrupt handler runs, after an interrupt returns and after a
// system call returns.
constexpr uint32_t kBiosLatchBoot = 0xE129F000;
constexpr uint32_t kBiosLatchInIrq = 0xE25EF004;
constexpr uint32_t kBiosLatchAfterIrq = 0xE55EC002;
constexpr uint32_t kBiosLatchAfterSwi = 0xE3A02004;

// The work area the BIOS keeps at the top of the on-chip RAM.
constexpr uint32_t kBiosIrqFlags = 0x03007FF8;    // IntrWait's interrupt check flags (16 bit)
constexpr uint32_t kBiosResetTarget = 0x03007FFA; // SoftReset: 0 = cartridge, else RAM
constexpr uint32_t kBiosIrqVector = 0x03007FFC;   // the user's interrupt handler

// --- the calls as plain functions (also what the tests check) ---------------
struct BiosDivision {
    uint32_t quotient;  // r0
    uint32_t remainder; // r1
    uint32_t magnitude; // r3: the quotient's absolute value
};
BiosDivision bios_div(int32_t number, int32_t denom);
uint32_t bios_sqrt(uint32_t value);
// ArcTan: r0 the result; r1 and r3 what the polynomial leaves in them.
struct BiosArcTan {
    uint32_t r0;
    uint32_t r1;
    uint32_t r3;
};
BiosArcTan bios_arctan(uint32_t tan);
uint32_t bios_arctan2(int16_t x, int16_t y);
// The rotation functions' sine table: sin(index * 2pi / 256) * 4000h.
int16_t bios_sine(uint32_t index);
uint32_t bios_midi_key_to_freq(uint32_t wave_freq, uint32_t key, uint32_t fine);

// The calls that read and write the handheld's memory, through the bus.
// They refuse a source that starts (the copies: or ends) in the BIOS area,
// anywhere below 02000000h or in the unused top of the address space.
constexpr bool bios_readable_source(uint32_t address) { return (address & 0x0E000000) != 0; }
void bios_bg_affine_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t count);
void bios_obj_affine_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t count, uint32_t stride);
void bios_cpu_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t control);
void bios_cpu_fast_set(Gba& gba, uint32_t src, uint32_t dst, uint32_t control);
void bios_bit_unpack(Gba& gba, uint32_t src, uint32_t dst, uint32_t info);
// byte_writes: the "WRAM" variant (8-bit writes); false: the "VRAM" one (16-bit).
void bios_lz77(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes);
void bios_huffman(Gba& gba, uint32_t src, uint32_t dst);
void bios_run_length(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes);
void bios_diff8(Gba& gba, uint32_t src, uint32_t dst, bool byte_writes);
void bios_diff16(Gba& gba, uint32_t src, uint32_t dst);
// RegisterRamReset with its flags in r0.
void bios_register_ram_reset(Gba& gba, uint32_t flags);
// The registers as the BIOS leaves them for a program starting at entry
// (in lr; the caller jumps), and SoftReset's work before that jump.
void bios_reset_registers(Gba& gba, uint32_t entry);
void bios_soft_reset(Gba& gba);

} // namespace emu
