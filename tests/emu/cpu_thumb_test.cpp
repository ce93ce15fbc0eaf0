// Thumb: every format, with the corners (shifts by 0/32 and more, high
// registers and r15, PC-relative alignment, odd lists, BL pairs, exceptions).
#include "cpu_harness.hpp"

namespace cpu_test {
namespace {

constexpr uint32_t kSys = 0x1F, kSvc = 0x13, kUnd = 0x1B;
constexpr uint32_t N = emu::kFlagN, Z = emu::kFlagZ, C = emu::kFlagC, V = emu::kFlagV;
constexpr uint32_t I = emu::kFlagI, T = emu::kFlagT;
constexpr uint32_t D = kData;

const std::vector<CpuCase> kAluCases = {
    {"lsl #0 keeps carry", {0x0008}, kSys | C, {{1, 0x80000000}}, {}, 1, {{0, 0x80000000}, {kCpsr, kSys | T | N | C}}, {}},
    {"lsr #0 is lsr #32", {0x0808}, kSys, {{1, 0x80000000}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C}}, {}},
    {"asr #0 is asr #32", {0x1008}, kSys, {{1, 0x80000000}}, {}, 1, {{0, 0xFFFFFFFF}, {kCpsr, kSys | T | N | C}}, {}},
    {"lsl #31", {0x07C8}, kSys, {{1, 3}}, {}, 1, {{0, 0x80000000}, {kCpsr, kSys | T | N | C}}, {}},
    {"adds register", {0x1888}, kSys, {{1, 0x7FFFFFFF}, {2, 1}}, {}, 1, {{0, 0x80000000}, {kCpsr, kSys | T | N | V}}, {}},
    {"subs imm3", {0x1FC8}, kSys, {{1, 7}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C}}, {}},
    {"movs #0", {0x2000}, kSys | N | C | V, {{0, 5}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C | V}}, {}},
    {"cmp #1", {0x2801}, kSys, {{0, 0}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | N}}, {}},
    {"adds #255", {0x30FF}, kSys, {{0, 0xFFFFFF01}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C}}, {}},
    {"subs #1", {0x3801}, kSys, {{0, 0x80000000}}, {}, 1, {{0, 0x7FFFFFFF}, {kCpsr, kSys | T | C | V}}, {}},
    {"lsl by register 32", {0x4088}, kSys, {{0, 1}, {1, 32}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C}, {kCycles, 2}}, {}},
    {"lsr by register 33", {0x40C8}, kSys | C, {{0, 0x80000000}, {1, 33}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z}}, {}},
    {"asr by register 0 keeps carry", {0x4108}, kSys | C, {{0, 0x80000000}, {1, 0x100}}, {}, 1,
     {{0, 0x80000000}, {kCpsr, kSys | T | N | C}}, {}},
    {"ror by register 32", {0x41C8}, kSys, {{0, 0x80000001}, {1, 32}}, {}, 1, {{0, 0x80000001}, {kCpsr, kSys | T | N | C}}, {}},
    {"adcs", {0x4148}, kSys | C, {{0, 1}, {1, 1}}, {}, 1, {{0, 3}, {kCpsr, kSys | T}}, {}},
    {"sbcs", {0x4188}, kSys, {{0, 1}, {1, 1}}, {}, 1, {{0, 0xFFFFFFFF}, {kCpsr, kSys | T | N}}, {}},
    {"neg of 0 carries", {0x4248}, kSys, {{1, 0}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z | C}}, {}},
    {"neg of 0x80000000 overflows", {0x4248}, kSys, {{1, 0x80000000}}, {}, 1,
     {{0, 0x80000000}, {kCpsr, kSys | T | N | V}}, {}},
    {"mul: cycles by the destination's old value, carry kept", {0x4348}, kSys | C, {{0, 0x10000}, {1, 3}}, {}, 1,
     {{0, 0x30000}, {kCpsr, kSys | T | C}, {kCycles, 4}}, {}},
    {"bics", {0x4388}, kSys, {{0, 0xFF}, {1, 0xF0}}, {}, 1, {{0, 0x0F}}, {}},
    {"mvns", {0x43C8}, kSys, {{1, 0xFFFFFFFF}}, {}, 1, {{0, 0}, {kCpsr, kSys | T | Z}}, {}},
    {"tst", {0x4208}, kSys, {{0, 0xF0}, {1, 0x0F}}, {}, 1, {{0, 0xF0}, {kCpsr, kSys | T | Z}}, {}},
    {"cmn", {0x42C8}, kSys, {{0, 1}, {1, 0xFFFFFFFF}}, {}, 1, {{kCpsr, kSys | T | Z | C}}, {}},
    {"add a high register", {0x4440}, kSys | Z, {{0, 1}, {8, 2}}, {}, 1, {{0, 3}, {kCpsr, kSys | T | Z}}, {}},
    {"mov r8, pc reads +4", {0x46F8}, kSys, {}, {}, 1, {{8, kCode + 4}}, {}},
    {"cmp a high register", {0x4580}, kSys, {{8, 1}, {0, 2}}, {}, 1, {{kCpsr, kSys | T | N}}, {}},
    {"add pc jumps", {0x4487}, kSys, {{0, 0x10}}, {}, 1, {{15, kCode + 0x14}, {kCycles, 3}}, {}},
    {"mov pc clears bit 0 and stays in Thumb", {0x468F}, kSys, {{1, kCode + 0x41}}, {}, 1,
     {{15, kCode + 0x40}, {kCpsr, kSys | T}}, {}},
    {"bx pc switches to ARM at +4", {0x4778}, kSys, {}, {}, 1, {{15, kCode + 4}, {kCpsr, kSys}}, {}},
    {"bx pc from a halfword address aligns", {0x46C0, 0x4778}, kSys, {}, {}, 2, {{15, kCode + 4}, {kCpsr, kSys}}, {}},
    {"bx to Thumb", {0x4700}, kSys, {{0, kCode + 0x21}}, {}, 1, {{15, kCode + 0x20}, {kCpsr, kSys | T}}, {}},
};

const std::vector<CpuCase> kMemoryCases = {
    {"ldr pc-relative clears bit 1 of pc", {0x46C0, 0x4801, 0, 0, 0x5678, 0x1234}, kSys, {}, {}, 2, {{0, 0x12345678}}, {}},
    {"add r0, pc clears bit 1 of pc", {0x46C0, 0xA002}, kSys, {}, {}, 2, {{0, kCode + 12}}, {}},
    {"ldrsh odd address loads a signed byte", {0x5E88}, kSys, {{1, D}, {2, 1}}, {{D, 0x8000}}, 1, {{0, 0xFFFFFF80}}, {}},
    {"ldrh odd address rotates", {0x5A88}, kSys, {{1, D}, {2, 1}}, {{D, 0x11223344}}, 1, {{0, 0x44000033}, {kCycles, 3}}, {}},
    {"ldr misaligned rotates", {0x5888}, kSys, {{1, D}, {2, 3}}, {{D, 0x11223344}}, 1, {{0, 0x22334411}}, {}},
    {"ldrsb", {0x5688}, kSys, {{1, D}, {2, 2}}, {{D, 0x00800000}}, 1, {{0, 0xFFFFFF80}}, {}},
    {"ldrb", {0x5C88}, kSys, {{1, D}, {2, 2}}, {{D, 0x00800000}}, 1, {{0, 0x80}}, {}},
    {"strb", {0x5488}, kSys, {{0, 0x1FF}, {1, D}, {2, 3}}, {{D, 0}}, 1, {{kCycles, 2}}, {{D, 0xFF000000}}},
    {"strh", {0x5288}, kSys, {{0, 0x12345678}, {1, D}, {2, 2}}, {{D, 0}}, 1, {}, {{D, 0x56780000}}},
    {"str", {0x5088}, kSys, {{0, 0x12345678}, {1, D}, {2, 4}}, {}, 1, {}, {{D + 4, 0x12345678}}},
    {"ldr immediate offset", {0x6848}, kSys, {{1, D}}, {{D + 4, 9}}, 1, {{0, 9}}, {}},
    {"strb immediate offset", {0x77C8}, kSys, {{0, 0xAB}, {1, D}}, {}, 1, {}, {{D + 28, 0xAB000000}}},
    {"ldrh immediate offset", {0x8848}, kSys, {{1, D}}, {{D, 0xBEEF0000}}, 1, {{0, 0xBEEF}}, {}},
    {"strh immediate offset", {0x87C8}, kSys, {{0, 0xCAFE}, {1, D}}, {}, 1, {}, {{D + 60, 0xCAFE0000}}},
    {"str sp-relative", {0x9002}, kSys, {{0, 0x42}, {13, D}}, {}, 1, {}, {{D + 8, 0x42}}},
    {"ldr sp-relative", {0x98FF}, kSys, {{13, D}}, {{D + 1020, 0x43}}, 1, {{0, 0x43}}, {}},
    {"add r0, sp", {0xA804}, kSys, {{13, D}}, {}, 1, {{0, D + 16}}, {}},
    {"sub sp", {0xB082}, kSys, {{13, D}}, {}, 1, {{13, D - 8}}, {}},
    {"add sp", {0xB07F}, kSys, {{13, D}}, {}, 1, {{13, D + 508}}, {}},
    {"push lr and pop pc", {0xB501, 0xBD02}, kSys, {{0, 7}, {13, D + 0x100}, {14, kCode + 0x31}}, {}, 2,
     {{1, 7}, {13, D + 0x100}, {15, kCode + 0x30}, {kCpsr, kSys | T}}, {{D + 0xF8, 7}, {D + 0xFC, kCode + 0x31}}},
    {"push of an empty list stores pc + 6 and moves sp by 0x40", {0xB400}, kSys, {{13, D + 0x40}}, {}, 1,
     {{13, D}}, {{D, kCode + 6}}},
    {"pop of an empty list loads pc and moves sp by 0x40", {0xBC00}, kSys, {{13, D}}, {{D, kCode + 0x21}}, 1,
     {{13, D + 0x40}, {15, kCode + 0x20}}, {}},
    {"stmia with the base first stores the old base", {0xC003}, kSys, {{0, D}, {1, 5}}, {}, 1,
     {{0, D + 8}}, {{D, D}, {D + 4, 5}}},
    {"stmia with the base later stores the new base", {0xC103}, kSys, {{0, 5}, {1, D}}, {}, 1,
     {{1, D + 8}}, {{D, 5}, {D + 4, D + 8}}},
    {"ldmia with the base in the list keeps the loaded value", {0xC803}, kSys, {{0, D}},
     {{D, 0x11}, {D + 4, 0x22}}, 1, {{0, 0x11}, {1, 0x22}}, {}},
    {"ldmia writes back and takes nS + 1N + 1I", {0xC806}, kSys, {{0, D}}, {{D, 1}, {D + 4, 2}}, 1,
     {{0, D + 8}, {1, 1}, {2, 2}, {kCycles, 4}}, {}},
    {"ldmia of an empty list loads pc", {0xC800}, kSys, {{0, D}}, {{D, kCode + 0x11}}, 1,
     {{0, D + 0x40}, {15, kCode + 0x10}}, {}},
    {"stmia of an empty list stores pc + 6", {0xC000}, kSys, {{0, D}}, {}, 1, {{0, D + 0x40}}, {{D, kCode + 6}}},
};

const std::vector<CpuCase> kBranchCases = {
    {"beq taken", {0xD002}, kSys | Z, {}, {}, 1, {{15, kCode + 8}, {kCycles, 3}}, {}},
    {"beq not taken", {0xD002}, kSys, {}, {}, 1, {{15, kCode + 2}, {kCycles, 1}}, {}},
    {"bgt backward", {0xDCFC}, kSys, {}, {}, 1, {{15, kCode - 4}}, {}},
    {"bgt not taken when N != V", {0xDCFC}, kSys | N, {}, {}, 1, {{15, kCode + 2}}, {}},
    {"b backward", {0xE7FC}, kSys, {}, {}, 1, {{15, kCode - 4}}, {}},
    {"bl pair", {0xF000, 0xF87E}, kSys, {}, {}, 2, {{15, kCode + 0x100}, {14, kCode + 5}, {kCycles, 4}}, {}},
    {"bl pair backward", {0xF7FF, 0xFFFE}, kSys, {}, {}, 2, {{15, kCode}, {14, kCode + 5}}, {}},
    {"swi", {0xDF05}, kSys | C, {}, {}, 1,
     {{15, 0x08}, {kCpsr, kSvc | I | C}, {kSpsr, kSys | T | C}, {14, kCode + 2}}, {}},
    {"undefined", {0xDE00}, kSys, {}, {}, 1, {{15, 0x04}, {kCpsr, kUnd | I}, {kSpsr, kSys | T}, {14, kCode + 2}}, {}},
};

TEST(CpuThumb, Alu) {
    run_cases(kAluCases, true);
}

TEST(CpuThumb, Memory) {
    run_cases(kMemoryCases, true);
}

TEST(CpuThumb, Branches) {
    run_cases(kBranchCases, true);
}

} // namespace
} // namespace cpu_test
