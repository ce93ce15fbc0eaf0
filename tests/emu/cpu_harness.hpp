// Runs a few instructions through the processor on a whole handheld and
// compares registers, flags, memory and cycles with a table row.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace cpu_test {

constexpr uint32_t kCode = 0x03000000; // where the code goes (IWRAM)
constexpr uint32_t kData = 0x03001000; // a data area (IWRAM)

// What a Reg names besides r0-r15. As an input r15 is not allowed (the code
// starts at kCode); as an output it is the next instruction's address.
constexpr uint32_t kCpsr = 16;
constexpr uint32_t kSpsr = 17;   // of the mode active at that moment
constexpr uint32_t kCycles = 18; // cycles the steps took (output only)
// Register n of the bank `mode` uses, whatever mode is active.
constexpr uint32_t bank(uint32_t mode, uint32_t n) { return 0x100 | (mode << 4) | n; }

struct Reg {
    uint32_t id;
    uint32_t value;
};
struct Word {
    uint32_t addr; // in IWRAM or EWRAM, word-aligned
    uint32_t value;
};

struct CpuCase {
    const char* name;
    std::vector<uint32_t> code; // ARM words, or Thumb halfwords, from kCode on
    uint32_t cpsr;              // mode, flags and state before the first step
    std::vector<Reg> in;
    std::vector<Word> mem_in;
    uint32_t steps; // instructions (or exception entries) to run
    std::vector<Reg> out;
    std::vector<Word> mem_out;
};

inline uint8_t* memory_at(emu::Gba& gba, uint32_t addr) {
    if ((addr >> 24) == 3) return &gba.mem.iwram[addr & (emu::kIwramSize - 1)];
    if ((addr >> 24) == 2) return &gba.mem.ewram[addr & (emu::kEwramSize - 1)];
    ADD_FAILURE() << "address outside the work RAM: " << std::hex << addr;
    return &gba.mem.iwram[0];
}

// A handheld with a blank cartridge, interrupts off.
inline std::unique_ptr<emu::Gba> make_gba() {
    static const std::vector<uint8_t> rom(0x200, 0);
    auto gba = std::make_unique<emu::Gba>();
    EXPECT_TRUE(emu::gba_init(*gba, rom.data(), static_cast<uint32_t>(rom.size())));
    gba->machine.irq_pending = false;
    gba->machine.halted = false;
    return gba;
}

// Runs one instruction (each takes at least a cycle).
inline void step(emu::Gba& gba, uint32_t count = 1) {
    for (uint32_t i = 0; i < count; ++i) {
        gba.run_until = gba.cycles + 1;
        emu::cpu_run(gba);
    }
}

inline uint32_t read_reg(const emu::Gba& gba, uint32_t id, uint64_t cycles) {
    if (id < 15) return gba.cpu.r[id];
    if (id == 15) return emu::cpu_pc(gba);
    if (id == kCpsr) return gba.cpu.cpsr;
    if (id == kSpsr) return emu::cpu_spsr(gba, gba.cpu.cpsr);
    if (id == kCycles) return static_cast<uint32_t>(cycles);
    return emu::cpu_bank_reg(gba, (id >> 4) & 0x1F, id & 15);
}

inline std::string reg_name(uint32_t id) {
    if (id == kCpsr) return "cpsr";
    if (id == kSpsr) return "spsr";
    if (id == kCycles) return "cycles";
    std::string name("r");
    name += std::to_string(id & 15);
    if (id > 15) {
        name += "_mode";
        name += std::to_string((id >> 4) & 0x1F);
    }
    return name;
}

// Sets the case up, runs it and checks every output.
inline void run_case(const CpuCase& c, bool thumb) {
    SCOPED_TRACE(c.name);
    auto gba_ptr = make_gba();
    emu::Gba& gba = *gba_ptr;
    emu::cpu_set_cpsr(gba, c.cpsr | (thumb ? emu::kFlagT : 0u));
    for (const Reg& r : c.in) {
        if (r.id < 15) gba.cpu.r[r.id] = r.value;
        else if (r.id == kCpsr) emu::cpu_set_cpsr(gba, r.value);
        else if (r.id == kSpsr) emu::cpu_set_spsr(gba, gba.cpu.cpsr, r.value);
        else if (r.id >= 0x100) emu::cpu_set_bank_reg(gba, (r.id >> 4) & 0x1F, r.id & 15, r.value);
        else ADD_FAILURE() << "not an input: " << reg_name(r.id);
    }
    uint32_t addr = kCode;
    for (uint32_t op : c.code) {
        if (thumb) {
            emu::store16(memory_at(gba, addr), static_cast<uint16_t>(op));
            addr += 2;
        } else {
            emu::store32(memory_at(gba, addr), op);
            addr += 4;
        }
    }
    for (const Word& w : c.mem_in) emu::store32(memory_at(gba, w.addr), w.value);
    gba.cpu.r[15] = kCode;
    emu::cpu_flush(gba);
    uint64_t start = gba.cycles;
    step(gba, c.steps);
    uint64_t cycles = gba.cycles - start;
    for (const Reg& r : c.out) {
        EXPECT_EQ(read_reg(gba, r.id, cycles), r.value) << reg_name(r.id) << std::hex << " 0x" << r.value;
    }
    for (const Word& w : c.mem_out) {
        EXPECT_EQ(emu::load32(memory_at(gba, w.addr)), w.value) << "word at 0x" << std::hex << w.addr;
    }
}

inline void run_cases(const std::vector<CpuCase>& cases, bool thumb) {
    for (const CpuCase& c : cases) run_case(c, thumb);
}

} // namespace cpu_test
