// The memory map: one switch on the address's top byte, then a direct index
// into the block. Every access charges its cycles before it takes place.
#include "emu/bus.hpp"

#include "emu/bus_fast.hpp"
#include "emu/io.hpp"
#include "emu/save.hpp"

namespace emu {
namespace {

// The part of a 32-bit bus value a narrower read at addr sees.
template <typename T> T narrow(uint32_t word, uint32_t addr) {
    return static_cast<T>(word >> ((addr & (4 - sizeof(T))) * 8));
}

template <typename T> void charge(Gba& gba, uint32_t region, Access access) {
    gba.cycles += region > 0xF ? 1 : access_cycles<T>(gba.machine, region, access);
}

// VRAM is 96 KiB repeated every 128 KiB, its last 32 KiB mirroring the 32 KiB
// before. In the bitmap modes the first 16 KiB of that mirror reach nothing
// (reads 0, writes lost): kNoVram.
constexpr uint32_t kNoVram = ~0u;

bool bitmap_mode(const Gba& gba) { return (io_get(gba, kRegDispcnt) & 7) >= 3; }

uint32_t vram_offset(const Gba& gba, uint32_t addr) {
    const uint32_t off = addr & 0x1FFFF;
    if (off < kVramSize) return off;
    if (off < 0x1C000 && bitmap_mode(gba)) return kNoVram;
    return off - 0x8000;
}

// The cartridge bus: past the ROM's end, each halfword reads as its own address / 2.
uint16_t rom_half(const Gba& gba, uint32_t off) {
    if (off + 2 <= gba.cart.size) return load16(gba.cart.rom + off);
    return static_cast<uint16_t>(off >> 1);
}

template <typename T> T rom_read(const Gba& gba, uint32_t addr) {
    const uint32_t off = addr & 0x1FFFFFF;
    if (off + sizeof(T) <= gba.cart.size) return load_t<T>(gba.cart.rom + off);
    if constexpr (sizeof(T) == 4) {
        return static_cast<uint32_t>(rom_half(gba, off)) | static_cast<uint32_t>(rom_half(gba, off + 2)) << 16;
    } else if constexpr (sizeof(T) == 2) {
        return rom_half(gba, off);
    } else {
        return static_cast<T>(rom_half(gba, off & ~1u) >> ((off & 1) * 8));
    }
}

// A data access to the cartridge: the prefetch buffer stops, and a sequential
// DMA access goes where the cartridge's counter points, whatever its address
// (the processor's sequential accesses follow on by themselves). Returns the
// address the cartridge serves.
template <typename T> uint32_t rom_access(Gba& gba, uint32_t addr, Access access) {
    Machine& m = gba.machine;
    uint32_t served = m.dma_running && access == Access::Seq ? (addr & 0xFE000000) | (m.cart_next & 0x1FFFFFF) : addr;
    if (access == Access::NonSeq || !cart_continues(m, served)) {
        access = Access::NonSeq;
        served = addr;
    }
    prefetch_stop(gba);
    gba.cycles += access_cycles<T>(m, addr >> 24, access);
    m.cart_next = served + (sizeof(T) == 4 ? 4 : 2);
    return served;
}

constexpr uint32_t kPrefetchDepth = 8; // halfwords

// Lets the prefetcher fill the queue up to the current cycle.
inline void prefetch_advance(Gba& gba) {
    Machine& m = gba.machine;
    if (m.pf_tail - m.pf_head >= kPrefetchDepth * 2 || m.pf_ready > gba.cycles) return;
    const uint32_t step = m.wait_s16[(m.pf_tail >> 24) & 0xF];
    do {
        m.pf_tail += 2;
        m.pf_ready += step;
    } while (m.pf_tail - m.pf_head < kPrefetchDepth * 2 && m.pf_ready <= gba.cycles);
}

// Charges a cartridge opcode fetch of Halfwords halfwords at addr through the
// prefetch buffer (see bus_waits.cpp for the model).
template <uint32_t Halfwords> inline void prefetch_fetch(Gba& gba, uint32_t addr, bool seq) {
    Machine& m = gba.machine;
    const uint32_t region = (addr >> 24) & 0xF;
    if (!(io_get(gba, kRegWaitcnt) & 0x4000)) {
        m.pf_active = false;
        if constexpr (Halfwords == 2) gba.cycles += seq ? m.wait_s32[region] : m.wait_n32[region];
        else gba.cycles += seq ? m.wait_s16[region] : m.wait_n16[region];
        return;
    }
    uint64_t now = gba.cycles;
    const uint32_t step = m.wait_s16[region];
    for (uint32_t i = 0; i < Halfwords; ++i, addr += 2) {
        if (m.pf_active) {
            prefetch_advance(gba);
            if (m.pf_head == addr) {
                const bool full = m.pf_tail - m.pf_head == kPrefetchDepth * 2;
                if (m.pf_head == m.pf_tail) {
                    // The halfword is on its way: wait for it.
                    if (m.pf_ready > now) now = m.pf_ready;
                    m.pf_tail += 2;
                    m.pf_ready = now + step;
                }
                m.pf_head += 2;
                now += 1;
                if (full) m.pf_ready = now + step;
                gba.cycles = now;
                continue;
            }
        }
        // Not in the queue: an ordinary access, after which the queue starts.
        now += (i == 0 && !seq) ? m.wait_n16[region] : step;
        m.pf_active = true;
        m.pf_head = m.pf_tail = addr + 2;
        m.pf_ready = now + step;
        gba.cycles = now;
    }
}

template <typename T> T bios_read(const Gba& gba, uint32_t addr) {
    if (gba.machine.dma_running) return T{0};
    if (gba.machine.pc_in_bios) return load_t<T>(gba.mem.bios + addr);
    return narrow<T>(gba.bios.latch, addr);
}

template <typename T> T io_read(Gba& gba, uint32_t addr) {
    if constexpr (sizeof(T) == 1) return io_read8(gba, addr);
    else if constexpr (sizeof(T) == 2) return io_read16(gba, addr);
    else return io_read32(gba, addr);
}

template <typename T> void io_write(Gba& gba, uint32_t addr, T value) {
    if constexpr (sizeof(T) == 1) io_write8(gba, addr, value);
    else if constexpr (sizeof(T) == 2) io_write16(gba, addr, value);
    else io_write32(gba, addr, value);
}

// The save area is 8 bits wide: wider reads repeat the byte.
template <typename T> T save_read_t(Gba& gba, uint32_t addr) {
    const uint32_t byte = save_read(gba, addr);
    if constexpr (sizeof(T) == 1) return static_cast<T>(byte);
    else return static_cast<T>(byte * 0x01010101u);
}

// The EEPROM answers one bit per halfword on the cartridge bus.
template <typename T> T eeprom_read(Gba& gba) {
    if constexpr (sizeof(T) == 4) {
        const uint32_t low = save_eeprom_read(gba);
        return low | static_cast<uint32_t>(save_eeprom_read(gba)) << 16;
    } else {
        return static_cast<T>(save_eeprom_read(gba));
    }
}

template <typename T> void eeprom_write(Gba& gba, T value) {
    save_eeprom_write(gba, static_cast<uint16_t>(value));
    if constexpr (sizeof(T) == 4) save_eeprom_write(gba, static_cast<uint16_t>(value >> 16));
}

template <typename T> T read(Gba& gba, uint32_t addr, Access access) {
    const uint32_t region = addr >> 24;
    if (region == 0xE || region == 0xF) {
        charge<T>(gba, region, access);
        return save_read_t<T>(gba, addr);
    }
    addr &= ~static_cast<uint32_t>(sizeof(T) - 1);
    switch (region) {
    case 0x0:
        charge<T>(gba, region, access);
        if (addr < kBiosSize) return bios_read<T>(gba, addr);
        break;
    case 0x2: charge<T>(gba, region, access); return load_t<T>(gba.mem.ewram + (addr & (kEwramSize - 1)));
    case 0x3: charge<T>(gba, region, access); return load_t<T>(gba.mem.iwram + (addr & (kIwramSize - 1)));
    case 0x4: charge<T>(gba, region, access); return io_read<T>(gba, addr);
    case 0x5: charge<T>(gba, region, access); return load_t<T>(gba.mem.palette + (addr & (kPaletteSize - 1)));
    case 0x6: {
        charge<T>(gba, region, access);
        const uint32_t off = vram_offset(gba, addr);
        return off == kNoVram ? T{0} : load_t<T>(gba.mem.vram + off);
    }
    case 0x7: charge<T>(gba, region, access); return load_t<T>(gba.mem.oam + (addr & (kOamSize - 1)));
    case 0xD:
        if (save_eeprom_at(gba, addr)) {
            rom_access<T>(gba, addr, access);
            return eeprom_read<T>(gba);
        }
        [[fallthrough]];
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xC: return rom_read<T>(gba, (rom_access<T>(gba, addr, access) & ~1u) | (addr & 1));
    default: charge<T>(gba, region, access); break;
    }
    return narrow<T>(bus_open_value(gba), addr);
}

// 8-bit writes to the palette and to background VRAM store the byte in both
// halves of the halfword; to object VRAM and OAM they are lost.
void video_write8(Gba& gba, uint32_t region, uint32_t addr, uint8_t value) {
    const uint16_t both = static_cast<uint16_t>(value * 0x101u);
    if (region == 0x5) {
        store16(gba.mem.palette + (addr & (kPaletteSize - 2)), both);
    } else if (region == 0x6) {
        const uint32_t off = vram_offset(gba, addr & ~1u);
        if (off < (bitmap_mode(gba) ? 0x14000u : 0x10000u)) store16(gba.mem.vram + off, both);
    }
}

template <typename T> void write(Gba& gba, uint32_t addr, T value, Access access) {
    const uint32_t region = addr >> 24;
    if (region == 0xE || region == 0xF) {
        // The byte lane the address selects.
        charge<T>(gba, region, access);
        const uint32_t rot = (addr & (sizeof(T) - 1)) * 8;
        const uint32_t v = static_cast<uint32_t>(value);
        save_write(gba, addr, static_cast<uint8_t>((v >> rot) | (v << ((32 - rot) & 31))));
        return;
    }
    addr &= ~static_cast<uint32_t>(sizeof(T) - 1);
    switch (region) {
    case 0x2:
        charge<T>(gba, region, access);
        store_t<T>(gba.mem.ewram + (addr & (kEwramSize - 1)), value);
        return;
    case 0x3:
        charge<T>(gba, region, access);
        store_t<T>(gba.mem.iwram + (addr & (kIwramSize - 1)), value);
        return;
    case 0x4:
        charge<T>(gba, region, access);
        io_write<T>(gba, addr, value);
        return;
    case 0x5:
    case 0x6:
    case 0x7:
        charge<T>(gba, region, access);
        if constexpr (sizeof(T) == 1) {
            video_write8(gba, region, addr, value);
        } else if (region == 0x5) {
            store_t<T>(gba.mem.palette + (addr & (kPaletteSize - 1)), value);
        } else if (region == 0x6) {
            const uint32_t off = vram_offset(gba, addr);
            if (off != kNoVram) store_t<T>(gba.mem.vram + off, value);
        } else {
            store_t<T>(gba.mem.oam + (addr & (kOamSize - 1)), value);
        }
        return;
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xC:
    case 0xD:
        rom_access<T>(gba, addr, access);
        if (region == 0xD && save_eeprom_at(gba, addr)) eeprom_write<T>(gba, value);
        return;
    default: charge<T>(gba, region, access); return;
    }
}

// An opcode fetch: the cartridge goes through the prefetch buffer; the fetch
// leaves its opcode on the bus and, inside the BIOS, in the BIOS latch.
template <typename T> T fetch(Gba& gba, uint32_t addr, Access access) {
    addr &= ~static_cast<uint32_t>(sizeof(T) - 1);
    const uint32_t region = addr >> 24;
    Machine& m = gba.machine;
    m.pc_in_bios = addr < kBiosSize;
    T op;
    if (region - 0x8 <= 0xD - 0x8) {
        if (!cart_continues(m, addr)) access = Access::NonSeq;
        prefetch_fetch<sizeof(T) / 2>(gba, addr, access == Access::Seq);
        m.cart_next = addr + sizeof(T);
        op = rom_read<T>(gba, addr);
        // The cartridge bus is 16 bits wide: a Thumb opcode fills both halves.
        m.open_bus = sizeof(T) == 4 ? static_cast<uint32_t>(op) : static_cast<uint32_t>(op) * 0x10001u;
        return op;
    } else {
        op = read<T>(gba, addr, access);
    }
    if constexpr (sizeof(T) == 4) {
        m.open_bus = op;
        if (m.pc_in_bios) gba.bios.latch = op;
    } else {
        // Thumb: what the bus holds depends on the area's width and on
        // which half of the word the opcode came from.
        const uint32_t half = op;
        if (region == 0x3) {
            const uint32_t shift = (addr & 2) * 8;
            m.open_bus = (m.open_bus & ~(0xFFFFu << shift)) | (half << shift);
        } else if (region == 0x0 || region == 0x7) {
            if (addr & 2) m.open_bus = (m.open_bus & 0xFFFF) | (half << 16);
            else
                m.open_bus =
                    half | static_cast<uint32_t>(region == 0x0 ? load16(gba.mem.bios + ((addr + 2) & (kBiosSize - 1)))
                                                               : load16(gba.mem.oam + ((addr + 2) & (kOamSize - 1))))
                               << 16;
            if (m.pc_in_bios) gba.bios.latch = load32(gba.mem.bios + (addr & ~3u));
        } else {
            m.open_bus = half * 0x10001u;
        }
    }
    return op;
}

} // namespace

uint8_t bus_read8(Gba& gba, uint32_t addr, Access access) { return bus_read_fast<uint8_t>(gba, addr, access); }
uint16_t bus_read16(Gba& gba, uint32_t addr, Access access) { return bus_read_fast<uint16_t>(gba, addr, access); }
uint32_t bus_read32(Gba& gba, uint32_t addr, Access access) { return bus_read_fast<uint32_t>(gba, addr, access); }
void bus_write8(Gba& gba, uint32_t addr, uint8_t value, Access access) {
    bus_write_fast<uint8_t>(gba, addr, value, access);
}
void bus_write16(Gba& gba, uint32_t addr, uint16_t value, Access access) {
    bus_write_fast<uint16_t>(gba, addr, value, access);
}
void bus_write32(Gba& gba, uint32_t addr, uint32_t value, Access access) {
    bus_write_fast<uint32_t>(gba, addr, value, access);
}
uint16_t bus_fetch16(Gba& gba, uint32_t addr, Access access) { return bus_fetch_fast<uint16_t>(gba, addr, access); }
uint32_t bus_fetch32(Gba& gba, uint32_t addr, Access access) { return bus_fetch_fast<uint32_t>(gba, addr, access); }

template <typename T> T bus_read_other(Gba& gba, uint32_t addr, Access access) { return read<T>(gba, addr, access); }
template <typename T> void bus_write_other(Gba& gba, uint32_t addr, T value, Access access) {
    write<T>(gba, addr, value, access);
}
template <typename T> T bus_fetch_other(Gba& gba, uint32_t addr, Access access) { return fetch<T>(gba, addr, access); }
template uint8_t bus_read_other<uint8_t>(Gba&, uint32_t, Access);
template uint16_t bus_read_other<uint16_t>(Gba&, uint32_t, Access);
template uint32_t bus_read_other<uint32_t>(Gba&, uint32_t, Access);
template void bus_write_other(Gba&, uint32_t, uint8_t, Access);
template void bus_write_other(Gba&, uint32_t, uint16_t, Access);
template void bus_write_other(Gba&, uint32_t, uint32_t, Access);
template uint16_t bus_fetch_other<uint16_t>(Gba&, uint32_t, Access);
template uint32_t bus_fetch_other<uint32_t>(Gba&, uint32_t, Access);

uint32_t bus_open_value(const Gba& gba) { return gba.machine.open_bus; }

} // namespace emu
