// What the machine's tests share: a powered-on handheld on the heap with a
// small ROM, and short names for the bus.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "emu/bus.hpp"
#include "emu/gba.hpp"
#include "emu/io.hpp"

namespace machine_test {

struct Handheld {
    std::vector<uint8_t> rom;
    std::unique_ptr<emu::Gba> gba = std::make_unique<emu::Gba>();
    emu::Gba& operator*() { return *gba; }
};

// A ROM of `size` bytes that starts with an endless loop ("b ."), the rest
// filled with a pattern that differs between neighbouring bytes.
inline void make_handheld(Handheld& h, uint32_t size = 0x1000) {
    h.rom.resize(size);
    for (uint32_t i = 0; i < size; ++i) h.rom[i] = static_cast<uint8_t>(i * 7 + 3);
    const uint32_t loop = 0xEAFFFFFE;
    for (uint32_t i = 0; i < 4; ++i) h.rom[i] = static_cast<uint8_t>(loop >> (8 * i));
    emu::gba_init(*h.gba, h.rom.data(), size);
}

inline uint32_t r32(emu::Gba& g, uint32_t addr) { return emu::bus_read32(g, addr, emu::Access::NonSeq); }
inline uint16_t r16(emu::Gba& g, uint32_t addr) { return emu::bus_read16(g, addr, emu::Access::NonSeq); }
inline uint8_t r8(emu::Gba& g, uint32_t addr) { return emu::bus_read8(g, addr, emu::Access::NonSeq); }
inline void w32(emu::Gba& g, uint32_t addr, uint32_t v) { emu::bus_write32(g, addr, v, emu::Access::NonSeq); }
inline void w16(emu::Gba& g, uint32_t addr, uint16_t v) { emu::bus_write16(g, addr, v, emu::Access::NonSeq); }
inline void w8(emu::Gba& g, uint32_t addr, uint8_t v) { emu::bus_write8(g, addr, v, emu::Access::NonSeq); }

} // namespace machine_test
