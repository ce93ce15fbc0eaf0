// The interpreter's loop tests only the cycle limit: what changes the state
// (ARM/Thumb) or lets a pending IRQ in must end it, so that the next
// instruction runs in the right state and the IRQ comes before it. Runs
// many instructions per cpu_run call, calling again whenever it returns
// early, as the machine's loop does.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "cpu_harness.hpp"
#include "emu/cpu.hpp"

namespace {

using cpu_test::kCode;

constexpr uint32_t kSys = 0x1F, kIrqMode = 0x12, kI = 1u << 7, kT = 1u << 5;
constexpr uint32_t kHandler = kCode + 0x400;

struct Program {
    std::unique_ptr<emu::Gba> gba = cpu_test::make_gba();

    Program(const std::vector<uint32_t>& arm, uint32_t cpsr, bool irq_pending) {
        for (uint32_t i = 0; i < arm.size(); ++i) emu::store32(cpu_test::memory_at(*gba, kCode + 4 * i), arm[i]);
        // The IRQ vector leads to "mov r5, #0x77 / b ." in IWRAM, in IRQ mode.
        emu::store32(gba->mem.bios + 0x18, 0xE59FF000); // ldr pc, [pc]: the word at 0x20
        emu::store32(gba->mem.bios + 0x20, kHandler);
        emu::store32(cpu_test::memory_at(*gba, kHandler), 0xE3A05077);
        emu::store32(cpu_test::memory_at(*gba, kHandler + 4), 0xEAFFFFFE);
        emu::cpu_set_cpsr(*gba, cpsr);
        gba->cpu.r[15] = kCode;
        emu::cpu_flush(*gba);
        gba->machine.irq_pending = irq_pending;
    }

    // Runs for `cycles`.
    void run(uint32_t cycles) {
        const uint64_t end = gba->cycles + cycles;
        while (gba->cycles < end) {
            gba->run_until = end;
            emu::cpu_run(*gba);
        }
    }
};

TEST(CpuLoopExit, IrqComesRightAfterTheWriteThatEnablesIt) {
    struct Case {
        const char* name;
        std::vector<uint32_t> code;
        uint32_t return_to; // r14_irq: the instruction after the enabling one, + 4
    };
    const Case cases[] = {
        // mov r0, #1 / msr cpsr_c, #0x1F / mov r0, #2 / b .
        {"msr clears I", {0xE3A00001, 0xE321F01F, 0xE3A00002, 0xEAFFFFFE}, kCode + 8 + 4},
        // mov r0, #1 / mov r2, #0x1F / msr cpsr_c, r2 / mov r0, #2 / b .
        {"msr from a register", {0xE3A00001, 0xE3A0201F, 0xE121F002, 0xE3A00002, 0xEAFFFFFE}, kCode + 12 + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Program p(c.code, kSys | kI, true);
        p.run(200);
        EXPECT_EQ(p.gba->cpu.cpsr & 0x1F, kIrqMode);
        EXPECT_EQ(p.gba->cpu.r[5], 0x77u); // the IRQ ran
        EXPECT_EQ(p.gba->cpu.r[0], 1u);    // the instruction after the write did not
        EXPECT_EQ(emu::cpu_bank_reg(*p.gba, kIrqMode, 14), c.return_to);
    }
}

TEST(CpuLoopExit, NoIrqWhileItStaysMasked) {
    // msr cpsr_f (flags only) / mov r0, #2 / b .
    Program p({0xE328F20F, 0xE3A00002, 0xEAFFFFFE}, kSys | kI, true);
    p.run(200);
    EXPECT_EQ(p.gba->cpu.cpsr & 0x1F, kSys);
    EXPECT_EQ(p.gba->cpu.r[0], 2u);
    EXPECT_EQ(p.gba->cpu.r[5], 0u);
}

TEST(CpuLoopExit, BxRunsTheTargetInItsState) {
    // ARM: add r1, pc, #1 (Thumb code at kCode + 12) / bx r1 / (unused)
    // Thumb at kCode + 12: mov r2, #5 / add r2, #1 / bx r3 (back to ARM at kCode + 20) / (pad)
    // ARM at kCode + 20: mov r4, #9 / b .
    Program p({0xE28F1005, 0xE12FFF11, 0, 0x32012205, 0x46C04718, 0xE3A04009, 0xEAFFFFFE}, kSys, false);
    p.gba->cpu.r[3] = kCode + 20;
    p.run(200);
    EXPECT_EQ(p.gba->cpu.r[2], 6u); // the Thumb code ran as Thumb
    EXPECT_EQ(p.gba->cpu.r[4], 9u); // and the ARM code after it as ARM
    EXPECT_EQ(p.gba->cpu.cpsr & kT, 0u);
}

} // namespace
