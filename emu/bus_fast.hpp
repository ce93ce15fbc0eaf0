// The common cases of the bus, inline for the interpreter's loop and
// handlers: opcode fetches from the cartridge (through the prefetch queue)
// and from the on-board RAM, and data accesses to the on-board RAM. Each
// charges exactly what the full memory map (bus.cpp) would and falls back to
// it for anything else.
#pragma once

#include <stdint.h>

#include "emu/bus.hpp"
#include "emu/io.hpp"

namespace emu {

constexpr uint32_t kPrefetchDepth = 8; // halfwords

template <typename T> inline T load_t(const uint8_t* p) {
    if constexpr (sizeof(T) == 1) return *p;
    else if constexpr (sizeof(T) == 2) return load16(p);
    else return load32(p);
}

template <typename T> inline void store_t(uint8_t* p, T v) {
    if constexpr (sizeof(T) == 1) *p = v;
    else if constexpr (sizeof(T) == 2) store16(p, v);
    else store32(p, v);
}

// The cycles of one access to a region 0x00-0x0F.
template <typename T>
[[gnu::always_inline]] inline uint32_t access_cycles(const Machine& m, uint32_t region, Access access) {
    const bool seq = access == Access::Seq;
    if constexpr (sizeof(T) == 4) return seq ? m.wait_s32[region] : m.wait_n32[region];
    else return seq ? m.wait_s16[region] : m.wait_n16[region];
}

// Whether a cartridge access at addr continues the cartridge's burst: the
// cartridge counts its own address, and starts each 128 KiB block afresh.
[[gnu::always_inline]] inline bool cart_continues(const Machine& m, uint32_t addr) {
    return m.cart_next != kNoCartAddress && (addr & 0x1FFFFFF) == (m.cart_next & 0x1FFFFFF) && (addr & 0x1FFFF) != 0;
}

// The on-board RAM (0x02 and 0x03), where most data accesses go, is handled
// before the full map: the byte a T access at addr reaches, or null.
template <typename T> [[gnu::always_inline]] inline uint8_t* work_ram(Gba& gba, uint32_t addr) {
    const uint32_t aligned = addr & ~static_cast<uint32_t>(sizeof(T) - 1);
    const uint32_t region = addr >> 24;
    if (region == 0x3) return gba.mem.iwram + (aligned & (kIwramSize - 1));
    if (region == 0x2) return gba.mem.ewram + (aligned & (kEwramSize - 1));
    return nullptr;
}

// The common opcode fetch, from the cartridge: without the prefetch buffer a
// plain access; with it, straight-line code whose halfwords are at the
// queue's head while the queue need not move on first, one cycle each.
// Charges exactly what the full fetch would; returns false (and changes
// nothing) for any other case.
template <typename T> [[gnu::always_inline]] inline bool fetch_cart(Gba& gba, uint32_t addr, Access access, T& op) {
    constexpr uint32_t kHalves = sizeof(T) / 2;
    Machine& m = gba.machine;
    const uint32_t region = addr >> 24;
    const uint32_t off = addr & 0x1FFFFFF;
    if (region - 0x8 > 0xD - 0x8 || off + sizeof(T) > gba.cart.size || (addr & (sizeof(T) - 1)) != 0) return false;
    if (!(io_get(gba, kRegWaitcnt) & 0x4000)) {
        m.pf_active = false;
        const bool seq = access == Access::Seq && cart_continues(m, addr);
        gba.cycles += access_cycles<T>(m, region, seq ? Access::Seq : Access::NonSeq);
    } else if (!m.pf_active || m.pf_head != addr) {
        // Not in the queue (after a jump or a data access to the cartridge):
        // an ordinary access, after which the queue starts afresh. A Thumb
        // opcode only; ARM opcodes from the cartridge take the full path.
        if constexpr (kHalves != 1) return false;
        const bool seq = access == Access::Seq && cart_continues(m, addr);
        const uint64_t now = gba.cycles + (seq ? m.wait_s16[region] : m.wait_n16[region]);
        m.pf_active = true;
        m.pf_head = m.pf_tail = addr + 2;
        m.pf_ready = now + m.wait_s16[region];
        gba.cycles = now;
    } else {
        const uint32_t queued = m.pf_tail - m.pf_head;
        if (queued == kPrefetchDepth * 2) {
            // Full: the first halfword taken lets the cartridge read on.
            m.pf_ready = gba.cycles + 1 + m.wait_s16[region];
        } else if (kHalves == 1 && queued == 0 && m.pf_ready > gba.cycles) {
            // The Thumb opcode is on its way: wait for it (and take it, a
            // cycle, below); the cartridge goes on with the next.
            gba.cycles = m.pf_ready;
            m.pf_ready += m.wait_s16[region];
            m.pf_tail += 2;
        } else if (queued < 2 * kHalves || queued > kPrefetchDepth * 2 || m.pf_ready <= gba.cycles + (kHalves - 1)) {
            return false;
        }
        m.pf_head += 2 * kHalves;
        gba.cycles += kHalves;
    }
    m.cart_next = addr + sizeof(T);
    m.pc_in_bios = false;
    op = load_t<T>(gba.cart.rom + off);
    m.open_bus = sizeof(T) == 4 ? static_cast<uint32_t>(op) : static_cast<uint32_t>(op) * 0x10001u;
    return true;
}

// The two Thumb opcodes a pipeline refill fetches from the cartridge, at addr
// (non-sequential) and addr + 2 (sequential), charged exactly as the two
// fetches one after the other would be: without the prefetch buffer two plain
// accesses; with it, the first restarts the queue and the second waits for
// the halfword the queue then reads. False (nothing changed) for anything
// else: the caller fetches them one by one.
[[gnu::always_inline]] inline bool fetch_cart_refill16(Gba& gba, uint32_t addr, uint32_t& first, uint32_t& second) {
    Machine& m = gba.machine;
    const uint32_t region = addr >> 24;
    const uint32_t off = addr & 0x1FFFFFF;
    if (region - 0x8 > 0xD - 0x8 || (addr & 0xFFFFFF) == 0xFFFFFE || off + 4 > gba.cart.size || (addr & 1) != 0) {
        return false;
    }
    if (!(io_get(gba, kRegWaitcnt) & 0x4000)) {
        // The second continues the burst unless it starts a 128 KiB block.
        const bool seq = ((addr + 2) & 0x1FFFF) != 0;
        m.pf_active = false;
        gba.cycles += static_cast<uint32_t>(m.wait_n16[region]) + (seq ? m.wait_s16[region] : m.wait_n16[region]);
    } else {
        if (m.pf_active && m.pf_head == addr) return false;
        const uint64_t now = gba.cycles + m.wait_n16[region];
        const uint32_t step = m.wait_s16[region];
        m.pf_active = true;
        m.pf_head = m.pf_tail = addr + 4;
        m.pf_ready = now + 2 * step;
        gba.cycles = now + step + 1;
    }
    m.cart_next = addr + 4;
    m.pc_in_bios = false;
    first = load16(gba.cart.rom + off);
    second = load16(gba.cart.rom + off + 2);
    m.open_bus = second * 0x10001u;
    return true;
}

// An opcode fetch from the on-board RAM (code copied there to run fast).
template <typename T> [[gnu::always_inline]] inline bool fetch_work_ram(Gba& gba, uint32_t addr, Access access, T& op) {
    const uint8_t* p = work_ram<T>(gba, addr);
    if (p == nullptr) return false;
    Machine& m = gba.machine;
    const uint32_t region = addr >> 24;
    m.pc_in_bios = false;
    gba.cycles += access_cycles<T>(m, region, access);
    op = load_t<T>(p);
    const uint32_t v = op;
    if constexpr (sizeof(T) == 4) {
        m.open_bus = v;
    } else if (region == 0x3) {
        // The 32-bit internal RAM: the opcode replaces its half of the bus.
        const uint32_t shift = (addr & 2) * 8;
        m.open_bus = (m.open_bus & ~(0xFFFFu << shift)) | (v << shift);
    } else {
        m.open_bus = v * 0x10001u;
    }
    return true;
}

// The full paths (bus.cpp, for 8-, 16- and 32-bit T), for what the fast ones
// above leave.
template <typename T> T bus_read_other(Gba& gba, uint32_t addr, Access access);
template <typename T> void bus_write_other(Gba& gba, uint32_t addr, T value, Access access);
template <typename T> T bus_fetch_other(Gba& gba, uint32_t addr, Access access);

template <typename T> [[gnu::always_inline]] inline T bus_read_fast(Gba& gba, uint32_t addr, Access access) {
    if (const uint8_t* p = work_ram<T>(gba, addr)) {
        gba.cycles += access_cycles<T>(gba.machine, addr >> 24, access);
        return load_t<T>(p);
    }
    return bus_read_other<T>(gba, addr, access);
}

template <typename T>
[[gnu::always_inline]] inline void bus_write_fast(Gba& gba, uint32_t addr, T value, Access access) {
    if (uint8_t* p = work_ram<T>(gba, addr)) {
        gba.cycles += access_cycles<T>(gba.machine, addr >> 24, access);
        store_t<T>(p, value);
        return;
    }
    bus_write_other<T>(gba, addr, value, access);
}

// Thumb code mostly runs from the cartridge, ARM code from the on-board RAM:
// each state tries its usual place first.
template <typename T> [[gnu::always_inline]] inline T bus_fetch_fast(Gba& gba, uint32_t addr, Access access) {
    T op;
    if constexpr (sizeof(T) == 2) {
        if (fetch_cart(gba, addr, access, op) || fetch_work_ram(gba, addr, access, op)) return op;
    } else {
        if (fetch_work_ram(gba, addr, access, op) || fetch_cart(gba, addr, access, op)) return op;
    }
    return bus_fetch_other<T>(gba, addr, access);
}

} // namespace emu
