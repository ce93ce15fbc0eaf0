// The ARM7TDMI: registers, banked registers of each mode, and the interpreter
// entry points. The machine calls cpu_run; the BIOS handling and the machine
// use the mode and exception helpers.
//
// The pipeline. The processor fetches two instructions ahead of the one it
// executes, so an instruction reads r15 as its own address + 8 (ARM) or + 4
// (Thumb), and + 12 where ARM reads it after a register-specified shift or
// stores it (STR, STM). The core keeps the two fetched opcodes: `next_op` is
// the one that executes next, `last_fetch` the one fetched after it.
//
// While an instruction at address A executes (this is when its data
// accesses go to the bus):
//   ARM:   r[15] = A + 8, next_op = word at A + 4, last_fetch = word at A + 8;
//   Thumb: r[15] = A + 4, next_op = halfword at A + 2,
//          last_fetch = halfword at A + 4 (both zero-extended).
// So an open-bus read in ARM state sees last_fetch; in Thumb state the value
// is made of the last fetched halfwords as the region demands (main RAM,
// palette, VRAM, cartridge: last_fetch twice; IWRAM: next_op and last_fetch,
// ordered by bit 1 of r[15]; BIOS and OAM: last_fetch and the halfword after
// it, which the bus reads itself). The bus also records each fetch it serves.
//
// Between instructions (when cpu_run returns, and when the BIOS trap or the
// machine looks at the registers) the next instruction's address is N =
// cpu_pc(gba): r[15] = N + 4 (ARM) or N + 2 (Thumb), next_op = opcode at N,
// last_fetch = opcode at N + 4 / N + 2.
//
// Timing. Each opcode fetch and data access goes to the bus with its access
// kind and the bus charges its wait states; the core adds the internal
// cycles. A fetch is sequential except the first one at a new address (after
// a jump, an exception) and the one after a store (STR, STRH, STM, PUSH),
// where the bus went elsewhere; so a store costs 2N and a load 1S+1N+1I as
// the ARM7TDMI's cycle table says. Multiplies add one internal cycle per
// significant byte of the multiplier (+1 for MLA and the long forms, +2 for
// the accumulating long forms). Exceptions, IRQ included, take 2S+1N. The
// carry after MUL/MLA and the long multiplies is left as it was (the
// hardware's value there is a by-product of its multiplier).
#pragma once

#include <stdint.h>

#include "emu/bus.hpp"

namespace emu {

struct Gba;

// CPSR mode field values.
enum CpuMode : uint32_t {
    kModeUser = 0x10,
    kModeFiq = 0x11,
    kModeIrq = 0x12,
    kModeSupervisor = 0x13,
    kModeAbort = 0x17,
    kModeUndefined = 0x1B,
    kModeSystem = 0x1F,
};

// CPSR flag bits.
constexpr uint32_t kFlagN = 1u << 31;
constexpr uint32_t kFlagZ = 1u << 30;
constexpr uint32_t kFlagC = 1u << 29;
constexpr uint32_t kFlagV = 1u << 28;
constexpr uint32_t kFlagI = 1u << 7; // IRQs disabled
constexpr uint32_t kFlagF = 1u << 6; // FIQs disabled
constexpr uint32_t kFlagT = 1u << 5; // Thumb state
constexpr uint32_t kModeMask = 0x1F;

// Exception vectors.
constexpr uint32_t kVectorReset = 0x00;
constexpr uint32_t kVectorUndefined = 0x04;
constexpr uint32_t kVectorSwi = 0x08;
constexpr uint32_t kVectorIrq = 0x18;

// Register banks: user and system share one; each other mode has its own
// r13, r14 and SPSR; FIQ also its own r8-r12.
enum CpuBank : uint32_t {
    kBankUser = 0,
    kBankFiq = 1,
    kBankIrq = 2,
    kBankSupervisor = 3,
    kBankAbort = 4,
    kBankUndefined = 5,
};
constexpr uint32_t kBankCount = 6;

struct Cpu {
    uint32_t r[16]; // the registers of the current mode (r[15]: see above)
    uint32_t cpsr;
    uint32_t spsr;       // the current mode's saved status (user/system: unused)
    uint32_t next_op;    // the opcode that executes next (see above)
    uint32_t last_fetch; // the opcode most recently fetched, for open-bus reads
    Access next_fetch;   // how the next opcode fetch reaches the bus: NonSeq
                         // after a store (the bus moved away from the code)
    // Registers of the banks not active now; the active bank's slots are stale.
    uint32_t hi_bank[2][5];             // r8-r12: [0] every mode but FIQ, [1] FIQ
    uint32_t sp_lr_bank[kBankCount][2]; // r13, r14 per bank
    uint32_t spsr_bank[kBankCount];
};

// Power-on state: supervisor mode, ARM, IRQ and FIQ disabled, all registers
// zero, execution from address 0 (the pipeline is filled from the bus).
void cpu_reset(Gba& gba);
// Runs instructions while gba.cycles < gba.run_until and the processor is not
// halted. Before each instruction, if gba.machine.irq_pending and CPSR.I is
// clear, it takes the IRQ exception first. (The interpreter looks at the IRQ
// and the state when it starts and whenever CPSR changes in a way that
// matters, lowering run_until to the current cycle to come back here; the
// machine sets irq_pending only between calls.)
void cpu_run(Gba& gba);
// Writes the mode field of the CPSR (bit 4 always reads as 1), banking r8-r14
// and the SPSR; the other CPSR bits stay. Does not touch the pipeline.
void cpu_set_mode(Gba& gba, uint32_t mode);
// Writes the whole CPSR, switching banks when the mode changes. The state bit
// takes effect at the next cpu_flush.
void cpu_set_cpsr(Gba& gba, uint32_t value);
// Restarts execution at the address in r[15] (no pipeline offset) in the
// state CPSR.T selects: aligns the address (to 4 in ARM, 2 in Thumb), fetches
// two opcodes (non-sequential, then sequential) and leaves r[15] as described
// above for "between instructions". This is what the BIOS trap relies on:
// while bios_trap runs, r[15] holds the address of the instruction after the
// trap; the handler may change any register, CPSR (through cpu_set_cpsr /
// cpu_set_mode) and r[15]; after a true return the processor calls cpu_flush.
// A caller outside cpu_run (tests, the machine after changing r[15]) calls it
// itself.
void cpu_flush(Gba& gba);
// The address of the instruction that executes next (between instructions).
uint32_t cpu_pc(const Gba& gba);
// Takes an exception: saves CPSR in the SPSR of `mode`, switches to it in ARM
// state with IRQs disabled, sets its r14 to `return_addr` and continues at
// `vector` (the pipeline is refilled, costing its fetches).
void cpu_exception(Gba& gba, uint32_t mode, uint32_t vector, uint32_t return_addr);
// Register n (0-15) of the bank `mode` uses (whatever mode is active);
// r0-r7 and r15 are shared by all modes.
uint32_t cpu_bank_reg(const Gba& gba, uint32_t mode, uint32_t n);
void cpu_set_bank_reg(Gba& gba, uint32_t mode, uint32_t n, uint32_t value);
// The SPSR of `mode` (user/system have none: reads give the CPSR, writes are ignored).
uint32_t cpu_spsr(const Gba& gba, uint32_t mode);
void cpu_set_spsr(Gba& gba, uint32_t mode, uint32_t value);
// The bank a mode uses; invalid mode values use the user bank.
uint32_t cpu_bank_of(uint32_t mode);

} // namespace emu
