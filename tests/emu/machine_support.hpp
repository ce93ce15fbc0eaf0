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

// A powered-on handheld with a ROM of `size` bytes that starts with an
// endless loop ("b ."), the rest filled with a pattern that differs between
// neighbouring bytes.
struct Handheld {
    std::vector<uint8_t> rom;
    std::unique_ptr<emu::Gba> gba = std::make_unique<emu::Gba>();
    emu::Gba& operator*() { return *gba; }

    explicit Handheld(uint32_t size = 0x1000) { power_on(size); }

    void power_on(uint32_t size) {
        rom.assign(size, 0);
        for (uint32_t i = 0; i < size; ++i) rom[i] = static_cast<uint8_t>(i * 7 + 3);
        const uint32_t loop = 0xEAFFFFFE;
        for (uint32_t i = 0; i < 4; ++i) rom[i] = static_cast<uint8_t>(loop >> (8 * i));
        emu::gba_init(*gba, rom.data(), size);
    }
};

// Powers the handheld on again with a new ROM (the other parts' tests use it).
inline void make_handheld(Handheld& h, uint32_t size = 0x1000) { h.power_on(size); }

inline uint32_t r32(emu::Gba& g, uint32_t addr) { return emu::bus_read32(g, addr, emu::Access::NonSeq); }
inline uint16_t r16(emu::Gba& g, uint32_t addr) { return emu::bus_read16(g, addr, emu::Access::NonSeq); }
inline uint8_t r8(emu::Gba& g, uint32_t addr) { return emu::bus_read8(g, addr, emu::Access::NonSeq); }
inline void w32(emu::Gba& g, uint32_t addr, uint32_t v) { emu::bus_write32(g, addr, v, emu::Access::NonSeq); }
inline void w16(emu::Gba& g, uint32_t addr, uint16_t v) { emu::bus_write16(g, addr, v, emu::Access::NonSeq); }
inline void w8(emu::Gba& g, uint32_t addr, uint8_t v) { emu::bus_write8(g, addr, v, emu::Access::NonSeq); }

// Puts an ARM opcode in IWRAM at addr and fetches it, as the processor
// would: it becomes the open-bus value.
inline void fetch_opcode(emu::Gba& g, uint32_t addr, uint32_t opcode) {
    w32(g, addr, opcode);
    emu::bus_fetch32(g, addr, emu::Access::NonSeq);
}

} // namespace machine_test
