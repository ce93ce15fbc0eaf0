// The BIOS area and the state the BIOS leaves when it starts the cartridge.
//
// Design. The handheld's BIOS is a ROM we do not have and may not use, so the
// core brings its own: a few dozen ARM instructions, written below as words,
// that hold the exception vectors, the interrupt dispatcher (the same
// instruction sequence the original runs, at the same addresses), and a system
// call entry and exit. The work of each system call is done by the core in C++:
// the entry ends in an instruction from ARM's permanently undefined space
// (E7F000F0h | n), which the processor hands to bios_trap when it meets one in
// the BIOS area. This keeps what software can observe real:
// - a SWI really enters supervisor mode at 08h and the BIOS really returns
//   with MOVS pc, lr, so LR_svc, SPSR_svc, the banked stacks, the mode and
//   state switches and their cycles are those of the processor itself;
// - the call number is read the way the BIOS reads it, with LDRB r12,[lr,#-2]
//   (the top byte of an ARM SWI's comment field and a Thumb SWI's byte are at
//   the same place);
// - interrupts enter at 18h, run the user handler through [03FFFFFCh] and come
//   back through the BIOS code, so waits (Halt, IntrWait) halt the processor
//   and serve interrupts in the caller's handler, exactly as on hardware;
// - the opcodes the processor fetches in the BIOS area are the ones whose
//   value a BIOS read from outside returns (the latch): the words after the
//   interrupt return and the call return are those the original has there.
// Doing the calls in C++ rather than assembling a full BIOS of our own keeps the
// results of the mathematical and decompression calls easy to check against
// their descriptions, keeps them fast on the console, and needs no assembler
// in the build. The cost of each call is charged to gba.cycles; the part the
// hardware spends after a call's last access (its loop end and return) is
// charged by a last trap on the way out, so when the call halted the
// processor (CpuSet to HALTCNT) that time passes after the wake-up, as it does
// on hardware.
#include "emu/bus.hpp"
#include "emu/endian.hpp"
#include "emu/gba.hpp"

namespace emu {
namespace {

constexpr uint32_t arm_branch(uint32_t from, uint32_t to) {
    return 0xEA000000u | (((to - from - 8) >> 2) & 0x00FFFFFFu);
}

constexpr uint32_t trap(BiosTrap n) { return kBiosTrapBase | n; }

struct BiosWord {
    uint32_t address;
    uint32_t word;
};

constexpr uint32_t kNop = 0xE1A00000; // mov r0, r0

constexpr BiosWord kBiosCode[] = {
    // The exception vectors.
    {0x00, arm_branch(0x00, kBiosResetTrap)},  // reset: b reset
    {0x04, 0xE1B0F00E},                        // undefined: movs pc, lr (skip the instruction)
    {0x08, arm_branch(0x08, kBiosSwiHandler)}, // swi: b swi_handler
    {0x0C, 0xE25EF004},                        // prefetch abort: subs pc, lr, #4
    {0x10, 0xE25EF008},                        // data abort: subs pc, lr, #8
    {0x14, 0xE1B0F00E},                        // (unused): movs pc, lr
    {0x18, arm_branch(0x18, kBiosIrqHandler)}, // irq: b irq_handler
    {0x1C, 0xE25EF004},                        // fiq: subs pc, lr, #4

    // Starting the cartridge (reset, SoftReset): the trap leaves the state
    // and the entry point in lr.
    {kBiosResetTrap, trap(kTrapReset)}, // reset: trap 2
    {0xDC, 0xE12FFF1E},                 // bx lr
    {0xE0, kNop},                       // mov r0, r0 (prefetched only)
    {0xE4, 0xE129F000},                 // msr cpsr_fc, r0 (prefetched only: the boot's latch)

    // The interrupt dispatcher.
    {0x128, 0xE92D500F}, // stmfd sp!, {r0-r3, r12, lr}
    {0x12C, 0xE3A00301}, // mov r0, #04000000h
    {0x130, 0xE28FE000}, // add lr, pc, #0 (returns to 138h)
    {0x134, 0xE510F004}, // ldr pc, [r0, #-4] (the handler at 03FFFFFCh)
    {0x138, 0xE8BD500F}, // ldmfd sp!, {r0-r3, r12, lr}
    {0x13C, 0xE25EF004}, // subs pc, lr, #4

    // The system call entry: saves r11, r12, lr and the SPSR on the supervisor
    // stack and runs the call in system mode with the caller's IRQ enable.
    {0x140, 0xE92D5800},                 // stmfd sp!, {r11, r12, lr}
    {0x144, 0xE55EC002},                 // ldrb r12, [lr, #-2] (the call number)
    {0x148, 0xE14FB000},                 // mrs r11, spsr
    {0x14C, 0xE92D0800},                 // stmfd sp!, {r11}
    {0x150, 0xE20BB080},                 // and r11, r11, #80h
    {0x154, 0xE38BB01F},                 // orr r11, r11, #1Fh
    {0x158, 0xE129F00B},                 // msr cpsr_fc, r11
    {0x15C, 0xE92D4004},                 // stmfd sp!, {r2, lr}
    {kBiosSwiTrap, trap(kTrapSwi)},      // trap 0: the call (continues at 168h, a wait at 164h)
    {kBiosWaitTrap, trap(kTrapWait)},    // trap 1: the wait, again after every interrupt
    {kBiosSwiResume, trap(kTrapResume)}, // trap 3: the rest of the call's time (after a halt: once woken)
    // The exit: back to supervisor mode, restore and return.
    {0x16C, 0xE8BD4004}, // ldmfd sp!, {r2, lr}
    {0x170, 0xE3A0C0D3}, // mov r12, #D3h
    {0x174, 0xE129F00C}, // msr cpsr_fc, r12
    {0x178, 0xE8BD0800}, // ldmfd sp!, {r11}
    {0x17C, 0xE169F00B}, // msr spsr_fc, r11
    {0x180, 0xE8BD5800}, // ldmfd sp!, {r11, r12, lr}
    {0x184, 0xE1B0F00E}, // movs pc, lr
    {0x188, kNop},       // mov r0, r0 (prefetched only)
    {0x18C, 0xE3A02004}, // mov r2, #4 (prefetched only: the latch after a call)
};

constexpr uint32_t word_at(uint32_t address) {
    for (const BiosWord& w : kBiosCode) {
        if (w.address == address) return w.word;
    }
    return 0;
}

// The latch is the word two after the last one executed: after the boot's
// jump at DCh, the jump to the user's interrupt handler at 134h, the interrupt
// return at 13Ch and the call return.
static_assert(word_at(kBiosStartCartridge + 8) == kBiosLatchBoot);
static_assert(word_at(0x134 + 8) == kBiosLatchInIrq);
static_assert(word_at(0x13C + 8) == kBiosLatchAfterIrq);
static_assert(word_at(0x184) == 0xE1B0F00E && word_at(0x184 + 8) == kBiosLatchAfterSwi);

// BG2PA, BG2PD, BG3PA, BG3PD: the rotation's diagonal, 1.0 after a reset.
constexpr uint32_t kAffineDiagonal[] = {0x20, 0x26, 0x30, 0x36};

void set_io16(Gba& gba, uint32_t offset, uint16_t value) { store16(gba.mem.io + offset, value); }

} // namespace

// The processor's registers as the BIOS sets them before it jumps to a program:
// the three stacks, the link and saved status of IRQ and supervisor mode
// cleared, r0-r12 cleared, system mode, ARM, interrupts enabled in the CPSR.
void bios_reset_registers(Gba& gba, uint32_t entry) {
    cpu_set_mode(gba, kModeIrq);
    gba.cpu.r[13] = 0x03007FA0;
    gba.cpu.r[14] = 0;
    gba.cpu.spsr = 0;
    cpu_set_mode(gba, kModeSupervisor);
    gba.cpu.r[13] = 0x03007FE0;
    gba.cpu.r[14] = 0;
    gba.cpu.spsr = 0;
    cpu_set_mode(gba, kModeSystem);
    for (uint32_t i = 0; i < 13; ++i) gba.cpu.r[i] = 0;
    gba.cpu.r[13] = 0x03007F00;
    gba.cpu.r[14] = entry;
    cpu_set_cpsr(gba, kModeSystem);
}

void bios_boot(Gba& gba) {
    __builtin_memset(gba.mem.bios, 0, sizeof gba.mem.bios);
    for (const BiosWord& w : kBiosCode) store32(gba.mem.bios + w.address, w.word);

    // What the boot leaves in the I/O area (the rest is zero): the keys
    // released, the sound bias at its middle, the rotation of BG2/BG3 the
    // identity, and the flag saying the boot has run.
    set_io16(gba, 0x130, kAllKeys); // KEYINPUT
    set_io16(gba, 0x088, 0x200);    // SOUNDBIAS
    for (uint32_t pa : kAffineDiagonal) set_io16(gba, pa, 0x100);
    gba.mem.io[0x300] = 1; // POSTFLG

    cpu_reset(gba);
    bios_reset_registers(gba, 0x08000000);
    gba.cpu.r[15] = 0x08000000;
    cpu_flush(gba);
    // The last BIOS opcode the boot fetched (at DCh + 8).
    gba.bios.latch = kBiosLatchBoot;
}

// SoftReset: clears the top 200h bytes of the on-chip RAM (stacks, interrupt
// vector and flags) and starts the cartridge, or the program in the on-board
// RAM if the byte at 03007FFAh was set.
void bios_soft_reset(Gba& gba) {
    const uint32_t entry = gba.mem.iwram[kBiosResetTarget - 0x03000000] != 0 ? 0x02000000 : 0x08000000;
    __builtin_memset(gba.mem.iwram + 0x7E00, 0, 0x200);
    bios_reset_registers(gba, entry);
    gba.bios.resume_cycles = 0;
    gba.cycles += 0x200 / 4 * 2 + 30;
}

void bios_register_ram_reset(Gba& gba, uint32_t flags) {
    const auto zero_io = [&gba](uint32_t from, uint32_t to) {
        for (uint32_t a = from; a < to; a += 2) bus_write16(gba, 0x04000000 + a, 0, Access::Seq);
    };
    bus_write16(gba, 0x04000000, 0x0080, Access::NonSeq); // DISPCNT: forced blank, always
    if (flags & 0x01) __builtin_memset(gba.mem.ewram, 0, sizeof gba.mem.ewram);
    if (flags & 0x02) __builtin_memset(gba.mem.iwram, 0, 0x7E00);
    if (flags & 0x04) __builtin_memset(gba.mem.palette, 0, sizeof gba.mem.palette);
    if (flags & 0x08) __builtin_memset(gba.mem.vram, 0, sizeof gba.mem.vram);
    if (flags & 0x10) __builtin_memset(gba.mem.oam, 0, sizeof gba.mem.oam);
    // Clearing costs a 32-bit store per word: 6 cycles on the 16-bit on-board
    // RAM bus, 2 on the 16-bit palette and VRAM buses, 1 elsewhere.
    const uint32_t sizes[] = {kEwramSize, 0x7E00, kPaletteSize, kVramSize, kOamSize};
    const uint32_t cycles_per_word[] = {6, 1, 2, 2, 1};
    for (uint32_t i = 0; i < 5; ++i) {
        if (flags & (1u << i)) gba.cycles += sizes[i] / 4 * cycles_per_word[i];
    }
    if (flags & 0x20) { // serial: SIODATA, SIOCNT, RCNT, the JOY bus
        zero_io(0x120, 0x12C);
        bus_write16(gba, 0x04000134, 0x8000, Access::NonSeq);
        zero_io(0x140, 0x142);
        zero_io(0x150, 0x15A);
    }
    if (flags & 0x40) { // sound, all but the bias
        zero_io(0x060, 0x088);
        zero_io(0x08A, 0x090);
        zero_io(0x0A0, 0x0A8);
    }
    if (flags & 0x80) { // display, DMA, timers, keypad control, interrupts, wait states
        zero_io(0x002, 0x060);
        for (uint32_t pa : kAffineDiagonal) bus_write16(gba, 0x04000000 + pa, 0x100, Access::NonSeq);
        zero_io(0x0B0, 0x0E0);
        zero_io(0x100, 0x110);
        zero_io(0x132, 0x134);
        bus_write16(gba, 0x04000208, 0, Access::NonSeq);      // IME
        bus_write16(gba, 0x04000200, 0, Access::NonSeq);      // IE
        bus_write16(gba, 0x04000202, 0xFFFF, Access::NonSeq); // IF: acknowledge all
        bus_write16(gba, 0x04000204, 0, Access::NonSeq);      // WAITCNT
    }
}

} // namespace emu
