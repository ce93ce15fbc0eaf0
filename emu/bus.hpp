// The memory map as the processor and DMA see it: every access goes through
// here, adds its wait states to gba.cycles, and never reads or writes outside
// the core's own blocks.
#pragma once

#include <stdint.h>

namespace emu {

struct Gba;

// Sequential accesses follow the previous one at the next address; the
// cartridge and on-board RAM charge them differently.
enum class Access : uint8_t { NonSeq, Seq };

// Accesses take the address as the instruction computed it: the bus ignores
// the low bits of a halfword or word access everywhere but in the 8-bit save
// area, where they select the byte. The processor rotates misaligned loads
// itself.
uint8_t bus_read8(Gba& gba, uint32_t addr, Access access);
uint16_t bus_read16(Gba& gba, uint32_t addr, Access access);
uint32_t bus_read32(Gba& gba, uint32_t addr, Access access);
void bus_write8(Gba& gba, uint32_t addr, uint8_t value, Access access);
void bus_write16(Gba& gba, uint32_t addr, uint16_t value, Access access);
void bus_write32(Gba& gba, uint32_t addr, uint32_t value, Access access);
// Opcode fetches (they also keep the BIOS latch and the open-bus value).
uint16_t bus_fetch16(Gba& gba, uint32_t addr, Access access);
uint32_t bus_fetch32(Gba& gba, uint32_t addr, Access access);

} // namespace emu
