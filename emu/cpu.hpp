// The ARM7TDMI: registers, banked registers of each mode, and the interpreter
// entry points. The machine calls cpu_run; the BIOS handling and the machine
// use the mode and exception helpers.
#pragma once

#include <stdint.h>

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

struct Cpu {
    uint32_t r[16];  // the registers of the current mode; r[15] as the
                     // executing instruction sees it (its address + 8, or + 4 in Thumb)
    uint32_t cpsr;
    uint32_t spsr;   // the current mode's saved status (meaningless in user/system)
    uint32_t last_fetch; // the opcode most recently fetched, for open-bus reads
};

void cpu_reset(Gba& gba);
// Runs instructions until gba.cycles reaches gba.run_until or the processor halts.
void cpu_run(Gba& gba);
// Switches to another mode, banking r8-r14 and the SPSR.
void cpu_set_mode(Gba& gba, uint32_t mode);
// Refills the pipeline after the BIOS handling or the machine changed r[15] or the state.
void cpu_flush(Gba& gba);

} // namespace emu
