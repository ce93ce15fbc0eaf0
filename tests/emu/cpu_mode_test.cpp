// Status registers, banked registers, branches and exceptions in ARM state.
#include "cpu_harness.hpp"

namespace cpu_test {
namespace {

constexpr uint32_t kUsr = 0x10, kFiq = 0x11, kIrq = 0x12, kSvc = 0x13, kUnd = 0x1B, kSys = 0x1F;
constexpr uint32_t N = emu::kFlagN, Z = emu::kFlagZ, C = emu::kFlagC, V = emu::kFlagV;
constexpr uint32_t I = emu::kFlagI, F = emu::kFlagF, T = emu::kFlagT;

const std::vector<CpuCase> kPsrCases = {
    {"mrs cpsr", {0xE10F0000}, kSys | N | C, {}, {}, 1, {{0, kSys | N | C}}, {}},
    {"mrs spsr", {0xE14F0000}, kIrq, {{kSpsr, kSvc | Z}}, {}, 1, {{0, kSvc | Z}}, {}},
    {"msr control switches mode and bank; back again",
     {0xE121F000, 0xE3A0D005, 0xE121F001, 0xE1A0200D},
     kSys,
     {{0, kIrq}, {1, kSys}, {13, 0x1111}},
     {},
     4,
     {{2, 0x1111}, {kCpsr, kSys}, {bank(kIrq, 13), 5}},
     {}},
    {"user mode writes only the flags",
     {0xE129F000},
     kUsr,
     {{0, N | Z | C | V | kSys}},
     {},
     1,
     {{kCpsr, N | Z | C | V | kUsr}},
     {}},
    {"msr flags from an immediate", {0xE328F20F}, kSys, {}, {}, 1, {{kCpsr, N | Z | C | V | kSys}}, {}},
    {"msr cannot set the state bit", {0xE121F000}, kSys, {{0, kSys | T}}, {}, 1, {{kCpsr, kSys}}, {}},
    {"msr to fiq banks r8-r12",
     {0xE121F000, 0xE3A08007, 0xE121F001},
     kSys,
     {{0, kFiq | I | F}, {1, kSys}, {8, 0x88}},
     {},
     3,
     {{8, 0x88}, {bank(kFiq, 8), 7}},
     {}},
    {"msr spsr keeps only the existing bits", {0xE16FF000}, kIrq, {{0, 0xFFFFFFFF}}, {}, 1, {{kSpsr, 0xF00000FF}}, {}},
    {"movs pc, lr returns to Thumb user code",
     {0xE1B0F00E},
     kIrq | I,
     {{kSpsr, kSys | T | Z}, {14, kCode + 0x101}},
     {},
     1,
     {{kCpsr, kSys | T | Z}, {15, kCode + 0x100}},
     {}},
    {"subs pc, pc from fiq restores the system bank",
     {0xE329F011, 0xE3A08040, 0xE369F01F, 0xE25FF004},
     kSys,
     {{8, 32}},
     {},
     4,
     {{kCpsr, kSys}, {8, 32}, {15, kCode + 16}, {bank(kFiq, 8), 64}},
     {}},
    {"cmp with r15 as destination restores CPSR and writes no flags",
     {0xE15FF000},
     kIrq,
     {{kSpsr, kSys | C}, {0, 0}},
     {},
     1,
     {{kCpsr, kSys | C}, {15, kCode + 4}},
     {}},
    {"subs pc, lr, #4 restores mode and bank",
     {0xE25EF004},
     kSvc | I,
     {{kSpsr, kSys | C}, {14, kCode + 0x104}, {13, 0x5555}, {bank(kSys, 13), 0x7777}},
     {},
     1,
     {{kCpsr, kSys | C}, {15, kCode + 0x100}, {13, 0x7777}},
     {}},
};

const std::vector<CpuCase> kBranchCases = {
    {"b forward", {0xEA000002}, kSys, {}, {}, 1, {{15, kCode + 16}, {kCycles, 3}}, {}},
    {"b backward", {0xEAFFFFFC}, kSys, {}, {}, 1, {{15, kCode - 8}}, {}},
    {"bl links the next instruction", {0xEB000002}, kSys, {}, {}, 1, {{15, kCode + 16}, {14, kCode + 4}}, {}},
    {"bx to Thumb", {0xE12FFF10}, kSys, {{0, kCode + 0x21}}, {}, 1, {{15, kCode + 0x20}, {kCpsr, kSys | T}}, {}},
    {"bx to ARM aligns", {0xE12FFF10}, kSys, {{0, kCode + 0x22}}, {}, 1, {{15, kCode + 0x20}, {kCpsr, kSys}}, {}},
};

const std::vector<CpuCase> kExceptionCases = {
    {"swi enters supervisor mode at 0x08",
     {0xEF000012},
     kSys | N | C,
     {},
     {},
     1,
     {{15, 0x08}, {kCpsr, kSvc | I | N | C}, {kSpsr, kSys | N | C}, {14, kCode + 4}, {kCycles, 3}},
     {}},
    {"undefined enters undefined mode at 0x04",
     {0xE7F000F0},
     kSys,
     {},
     {},
     1,
     {{15, 0x04}, {kCpsr, kUnd | I}, {kSpsr, kSys}, {14, kCode + 4}},
     {}},
    {"coprocessor transfer is undefined", {0xEE010F10}, kSys, {}, {}, 1, {{15, 0x04}, {14, kCode + 4}}, {}},
    {"coprocessor load is undefined", {0xED900100}, kSys, {}, {}, 1, {{15, 0x04}}, {}},
    {"a failed condition skips a swi", {0x0F000012}, kSys, {}, {}, 1, {{15, kCode + 4}}, {}},
};

TEST(CpuMode, StatusRegisters) { run_cases(kPsrCases, false); }

TEST(CpuMode, Branches) { run_cases(kBranchCases, false); }

TEST(CpuMode, Exceptions) { run_cases(kExceptionCases, false); }

// The IRQ is taken between instructions when CPSR.I allows, with r14 = the
// next instruction + 4 in both states, in the time of any exception entry.
TEST(CpuMode, IrqEntry) {
    for (bool thumb : {false, true}) {
        SCOPED_TRACE(thumb);
        auto gba = make_gba();
        emu::cpu_set_cpsr(*gba, kSys | Z | (thumb ? T : 0));
        emu::store32(memory_at(*gba, kCode), 0); // andeq r0, r0, r0 / two lsls r0, r0, #0
        gba->cpu.r[15] = kCode;
        emu::cpu_flush(*gba);
        step(*gba);
        gba->machine.irq_pending = true;
        emu::cpu_set_cpsr(*gba, gba->cpu.cpsr | I);
        step(*gba); // masked: runs the next instruction
        uint32_t next = kCode + (thumb ? 4u : 8u);
        EXPECT_EQ(emu::cpu_pc(*gba), next);
        emu::cpu_set_cpsr(*gba, gba->cpu.cpsr & ~I);
        uint64_t before = gba->cycles;
        step(*gba);
        EXPECT_EQ(gba->cycles - before, 3u); // 2S + 1N, all one-cycle accesses here
        EXPECT_EQ(emu::cpu_pc(*gba), 0x18u);
        EXPECT_EQ(gba->cpu.cpsr, kIrq | I | Z);
        EXPECT_EQ(gba->cpu.r[14], next + 4);
        EXPECT_EQ(emu::cpu_spsr(*gba, kIrq), kSys | Z | (thumb ? T : 0));
    }
}

// An undefined opcode in the BIOS area goes to the BIOS trap first: a trap
// it takes continues wherever it leaves r15; one it refuses becomes the
// undefined-instruction exception.
TEST(CpuMode, BiosTrap) {
    constexpr uint32_t kAt = 0x3F00; // beyond the BIOS's own code
    struct Row {
        uint32_t opcode;
        uint32_t pc;
        uint32_t mode;
    };
    const Row rows[] = {
        {emu::kBiosTrapBase | emu::kTrapResume, emu::kBiosSwiResume + 4, kSys},
        {emu::kBiosTrapBase | 0xF, emu::kVectorUndefined, kUnd},
        {0xE7F000F0 ^ 0x100, emu::kVectorUndefined, kUnd},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.opcode);
        auto gba = make_gba();
        emu::cpu_set_cpsr(*gba, kSys);
        gba->bios.resume_cycles = 0;
        emu::store32(&gba->mem.bios[kAt], row.opcode);
        gba->cpu.r[15] = kAt;
        emu::cpu_flush(*gba);
        step(*gba);
        EXPECT_EQ(emu::cpu_pc(*gba), row.pc);
        EXPECT_EQ(gba->cpu.cpsr & emu::kModeMask, row.mode);
        if (row.mode == kUnd) {
            EXPECT_EQ(gba->cpu.r[14], kAt + 4);
        }
    }
}

// Each mode's r13/r14 survive a tour through all the others.
TEST(CpuMode, BanksKeepTheirRegisters) {
    auto gba = make_gba();
    const uint32_t modes[] = {kUsr, kFiq, kIrq, kSvc, 0x17, kUnd};
    for (uint32_t m : modes) {
        emu::cpu_set_mode(*gba, m);
        gba->cpu.r[13] = 0x1300 + m;
        gba->cpu.r[14] = 0x1400 + m;
        gba->cpu.r[8] = 0x800 + m;
    }
    for (uint32_t m : modes) {
        emu::cpu_set_mode(*gba, m);
        EXPECT_EQ(gba->cpu.r[13], 0x1300 + m) << m;
        EXPECT_EQ(gba->cpu.r[14], 0x1400 + m) << m;
        EXPECT_EQ(gba->cpu.r[8], m == kFiq ? 0x800 + kFiq : 0x800 + kUnd) << m;
    }
    emu::cpu_set_mode(*gba, kSys);
    EXPECT_EQ(gba->cpu.r[13], 0x1300 + kUsr);
    EXPECT_EQ(emu::cpu_bank_reg(*gba, kSvc, 14), 0x1400 + kSvc);
}

} // namespace
} // namespace cpu_test
