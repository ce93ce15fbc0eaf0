// Wait states: WAITCNT's cartridge and SRAM timings and the on-board RAM's from
// the internal memory control. The prefetch buffer's queue (bus.cpp, next to
// the opcode fetches it serves) is modelled as a queue of up to eight halfwords that the
// cartridge reads ahead of the processor, one every sequential access time,
// while the processor does anything but a cartridge data access. An opcode
// fetch at the queue's head costs one cycle; at the halfword being read it
// waits for the rest of that read; elsewhere it is an ordinary cartridge
// access that restarts the queue after it. A data access to the cartridge
// (processor or DMA) empties the queue.
#include "emu/io.hpp"

namespace emu {
namespace {

constexpr uint8_t kFirstAccess[4] = {4, 3, 2, 8};
constexpr uint8_t kSecondAccess[3][2] = {{2, 1}, {4, 1}, {8, 1}};

void set_region(Machine& m, uint32_t region, uint32_t n16, uint32_t s16, uint32_t n32, uint32_t s32) {
    m.wait_n16[region] = static_cast<uint8_t>(n16);
    m.wait_s16[region] = static_cast<uint8_t>(s16);
    m.wait_n32[region] = static_cast<uint8_t>(n32);
    m.wait_s32[region] = static_cast<uint8_t>(s32);
}

} // namespace

void waits_update(Gba& gba) {
    Machine& m = gba.machine;
    const uint32_t waitcnt = io_get(gba, kRegWaitcnt);
    for (uint32_t region = 0; region < 16; ++region) set_region(m, region, 1, 1, 1, 1);
    // The on-board RAM: 15 - bits 24-27 wait states (2 by default), 16 bits wide.
    const uint32_t ewram = 1 + 15 - ((m.memctl >> 24) & 0xF);
    set_region(m, 0x2, ewram, ewram, 2 * ewram, 2 * ewram);
    set_region(m, 0x5, 1, 1, 2, 2);
    set_region(m, 0x6, 1, 1, 2, 2);
    for (uint32_t ws = 0; ws < 3; ++ws) {
        const uint32_t n = 1u + kFirstAccess[(waitcnt >> (2 + 3 * ws)) & 3];
        const uint32_t s = 1u + kSecondAccess[ws][(waitcnt >> (4 + 3 * ws)) & 1];
        set_region(m, 0x8 + 2 * ws, n, s, n + s, 2 * s);
        set_region(m, 0x9 + 2 * ws, n, s, n + s, 2 * s);
    }
    const uint32_t sram = 1u + kFirstAccess[waitcnt & 3];
    set_region(m, 0xE, sram, sram, sram, sram);
    set_region(m, 0xF, sram, sram, sram, sram);
    prefetch_stop(gba);
}

void prefetch_stop(Gba& gba) { gba.machine.pf_active = false; }

} // namespace emu
