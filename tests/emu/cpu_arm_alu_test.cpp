// ARM data processing: the barrel shifter's results and carry-outs, the
// arithmetic flags, r15 as an operand, conditions, and the multiplies with
// their cycle counts.
#include "cpu_harness.hpp"

namespace cpu_test {
namespace {

constexpr uint32_t kSys = 0x1F;
constexpr uint32_t N = emu::kFlagN, Z = emu::kFlagZ, C = emu::kFlagC, V = emu::kFlagV;

const std::vector<CpuCase> kShifterCases = {
    {"lsl #0 keeps carry", {0xE1B00001}, kSys | C, {{1, 0x80000001}}, {}, 1,
     {{0, 0x80000001}, {kCpsr, kSys | N | C}}, {}},
    {"lsl #1 carries bit 31", {0xE1B00081}, kSys, {{1, 0x80000001}}, {}, 1,
     {{0, 2}, {kCpsr, kSys | C}}, {}},
    {"lsr #0 is lsr #32", {0xE1B00021}, kSys, {{1, 0x80000000}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"asr #0 is asr #32", {0xE1B00041}, kSys, {{1, 0x80000000}}, {}, 1,
     {{0, 0xFFFFFFFF}, {kCpsr, kSys | N | C}}, {}},
    {"ror #0 is rrx", {0xE1B00061}, kSys | C, {{1, 3}}, {}, 1,
     {{0, 0x80000001}, {kCpsr, kSys | N | C}}, {}},
    {"ror #4", {0xE1B00261}, kSys, {{1, 0xF}}, {}, 1, {{0, 0xF0000000}, {kCpsr, kSys | N | C}}, {}},
    {"lsl by 32 carries bit 0", {0xE1B00211}, kSys, {{1, 1}, {2, 32}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"lsl by 33 clears carry", {0xE1B00211}, kSys | C, {{1, 1}, {2, 33}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z}}, {}},
    {"lsr by 32 carries bit 31", {0xE1B00231}, kSys, {{1, 0x80000000}, {2, 32}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"lsr by 33 clears carry", {0xE1B00231}, kSys | C, {{1, 0x80000000}, {2, 33}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z}}, {}},
    {"asr by 40 fills with the sign", {0xE1B00251}, kSys, {{1, 0x80000000}, {2, 40}}, {}, 1,
     {{0, 0xFFFFFFFF}, {kCpsr, kSys | N | C}}, {}},
    {"ror by 32 carries bit 31", {0xE1B00271}, kSys, {{1, 0x80000001}, {2, 32}}, {}, 1,
     {{0, 0x80000001}, {kCpsr, kSys | N | C}}, {}},
    {"ror by 36 rotates by 4", {0xE1B00271}, kSys | C, {{1, 0xF1}, {2, 36}}, {}, 1,
     {{0, 0x1000000F}, {kCpsr, kSys}}, {}},
    {"shift by register 0 (low byte) keeps value and carry", {0xE1B00231}, kSys,
     {{1, 0x80000000}, {2, 0x100}}, {}, 1, {{0, 0x80000000}, {kCpsr, kSys | N}}, {}},
    {"register shift reads r15 as +12 and takes an I cycle", {0xE08F0211}, kSys,
     {{1, 0}, {2, 0}}, {}, 1, {{0, kCode + 12}, {kCycles, 2}}, {}},
    {"immediate operand reads r15 as +8", {0xE28F0000}, kSys, {}, {}, 1, {{0, kCode + 8}, {kCycles, 1}}, {}},
    {"rotated immediate carries bit 31", {0xE3B00102}, kSys, {}, {}, 1,
     {{0, 0x80000000}, {kCpsr, kSys | N | C}}, {}},
    {"unrotated immediate keeps carry", {0xE3B00001}, kSys | C, {}, {}, 1, {{0, 1}, {kCpsr, kSys | C}}, {}},
    {"logical op with shifted operand carries", {0xE03100A2}, kSys, {{1, 0}, {2, 1}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
};

const std::vector<CpuCase> kArithmeticCases = {
    {"adds signed overflow", {0xE0910002}, kSys, {{1, 0x7FFFFFFF}, {2, 1}}, {}, 1,
     {{0, 0x80000000}, {kCpsr, kSys | N | V}}, {}},
    {"adds unsigned carry to zero", {0xE0910002}, kSys, {{1, 0xFFFFFFFF}, {2, 1}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"subs borrow clears carry", {0xE0510002}, kSys, {{1, 0}, {2, 1}}, {}, 1,
     {{0, 0xFFFFFFFF}, {kCpsr, kSys | N}}, {}},
    {"subs no borrow sets carry", {0xE0510002}, kSys, {{1, 5}, {2, 3}}, {}, 1, {{0, 2}, {kCpsr, kSys | C}}, {}},
    {"subs signed overflow", {0xE0510002}, kSys, {{1, 0x80000000}, {2, 1}}, {}, 1,
     {{0, 0x7FFFFFFF}, {kCpsr, kSys | C | V}}, {}},
    {"adcs adds the carry", {0xE0B10002}, kSys | C, {{1, 0xFFFFFFFF}, {2, 0}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"sbcs without carry subtracts one more", {0xE0D10002}, kSys, {{1, 5}, {2, 5}}, {}, 1,
     {{0, 0xFFFFFFFF}, {kCpsr, kSys | N}}, {}},
    {"sbcs with carry", {0xE0D10002}, kSys | C, {{1, 5}, {2, 5}}, {}, 1, {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"sbcs 0 - 0xFFFFFFFF - 1 borrows", {0xE0D10002}, kSys, {{1, 0}, {2, 0xFFFFFFFF}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z}}, {}},
    {"rscs reverses", {0xE0F10002}, kSys | C, {{1, 1}, {2, 3}}, {}, 1, {{0, 2}, {kCpsr, kSys | C}}, {}},
    {"rsbs negates", {0xE2710000}, kSys, {{1, 1}}, {}, 1, {{0, 0xFFFFFFFF}, {kCpsr, kSys | N}}, {}},
    {"cmp writes no register", {0xE1510002}, kSys, {{0, 7}, {1, 2}, {2, 2}}, {}, 1,
     {{0, 7}, {kCpsr, kSys | Z | C}}, {}},
    {"cmn", {0xE1710002}, kSys, {{1, 0x80000000}, {2, 0x80000000}}, {}, 1, {{kCpsr, kSys | Z | C | V}}, {}},
    {"tst keeps V", {0xE3110102}, kSys | V, {{1, 0x80000000}}, {}, 1, {{kCpsr, kSys | N | C | V}}, {}},
    {"teq equal", {0xE1310002}, kSys, {{1, 0x1234}, {2, 0x1234}}, {}, 1, {{kCpsr, kSys | Z}}, {}},
    {"bics", {0xE1D10002}, kSys, {{1, 0xFF}, {2, 0x0F}}, {}, 1, {{0, 0xF0}, {kCpsr, kSys}}, {}},
    {"mvns", {0xE1F00001}, kSys, {{1, 0}}, {}, 1, {{0, 0xFFFFFFFF}, {kCpsr, kSys | N}}, {}},
    {"ands to zero", {0xE0110002}, kSys | C, {{1, 0xF0}, {2, 0x0F}}, {}, 1, {{0, 0}, {kCpsr, kSys | Z | C}}, {}},
    {"mov pc jumps and ignores bits 1-0", {0xE1A0F000}, kSys, {{0, kCode + 0x102}}, {}, 1,
     {{15, kCode + 0x100}, {kCycles, 3}}, {}},
};

const std::vector<CpuCase> kMultiplyCases = {
    {"mul by a 1-byte multiplier", {0xE0000291}, kSys, {{1, 3}, {2, 0xFF}}, {}, 1,
     {{0, 0x2FD}, {kCycles, 2}}, {}},
    {"mul by a 2-byte multiplier", {0xE0000291}, kSys, {{1, 3}, {2, 0x100}}, {}, 1, {{0, 0x300}, {kCycles, 3}}, {}},
    {"mul by a 3-byte multiplier", {0xE0000291}, kSys, {{1, 1}, {2, 0x10000}}, {}, 1, {{kCycles, 4}}, {}},
    {"mul by a 4-byte multiplier", {0xE0000291}, kSys, {{1, 1}, {2, 0x1000000}}, {}, 1, {{kCycles, 5}}, {}},
    {"mul by a small negative multiplier", {0xE0000291}, kSys, {{1, 2}, {2, 0xFFFFFF00}}, {}, 1,
     {{0, 0xFFFFFE00}, {kCycles, 2}}, {}},
    {"mul by -65536", {0xE0000291}, kSys, {{1, 1}, {2, 0xFFFF0000}}, {}, 1, {{kCycles, 3}}, {}},
    {"muls sets N and Z, keeps C and V", {0xE0100291}, kSys | C | V, {{1, 0}, {2, 5}}, {}, 1,
     {{0, 0}, {kCpsr, kSys | Z | C | V}}, {}},
    {"muls negative", {0xE0100291}, kSys, {{1, 0xFFFFFFFF}, {2, 5}}, {}, 1,
     {{0, 0xFFFFFFFB}, {kCpsr, kSys | N}}, {}},
    {"mla adds and takes one more cycle", {0xE0203291}, kSys, {{1, 3}, {2, 4}, {3, 5}}, {}, 1,
     {{0, 17}, {kCycles, 3}}, {}},
    {"umull of two -1s", {0xE0810392}, kSys, {{2, 0xFFFFFFFF}, {3, 0xFFFFFFFF}}, {}, 1,
     {{0, 1}, {1, 0xFFFFFFFE}, {kCycles, 6}}, {}},
    {"smull of two -1s ends early", {0xE0C10392}, kSys, {{2, 0xFFFFFFFF}, {3, 0xFFFFFFFF}}, {}, 1,
     {{0, 1}, {1, 0}, {kCycles, 3}}, {}},
    {"umlal carries into the high word", {0xE0A10392}, kSys, {{0, 0xFFFFFFFF}, {1, 0}, {2, 1}, {3, 1}}, {}, 1,
     {{0, 0}, {1, 1}, {kCycles, 4}}, {}},
    {"smlals negative sets N", {0xE0F10392}, kSys, {{0, 0}, {1, 0}, {2, 0xFFFFFFFE}, {3, 3}}, {}, 1,
     {{0, 0xFFFFFFFA}, {1, 0xFFFFFFFF}, {kCpsr, kSys | N}}, {}},
    {"smlals to zero sets Z", {0xE0F10392}, kSys | N, {{0, 6}, {1, 0}, {2, 0xFFFFFFFE}, {3, 3}}, {}, 1,
     {{0, 0}, {1, 0}, {kCpsr, kSys | Z}}, {}},
};

TEST(CpuArmAlu, Shifter) {
    run_cases(kShifterCases, false);
}

TEST(CpuArmAlu, Arithmetic) {
    run_cases(kArithmeticCases, false);
}

TEST(CpuArmAlu, Multiply) {
    run_cases(kMultiplyCases, false);
}

// Each condition with flags that pass and flags that fail it; a failed
// condition costs the fetch alone.
TEST(CpuArmAlu, Conditions) {
    struct Row {
        uint32_t cond;
        uint32_t flags;
        bool pass;
    };
    const Row rows[] = {
        {0x0, Z, true},      {0x0, 0, false},     {0x1, 0, true},      {0x1, Z, false},
        {0x2, C, true},      {0x2, 0, false},     {0x3, 0, true},      {0x3, C, false},
        {0x4, N, true},      {0x4, 0, false},     {0x5, 0, true},      {0x5, N, false},
        {0x6, V, true},      {0x6, 0, false},     {0x7, 0, true},      {0x7, V, false},
        {0x8, C, true},      {0x8, C | Z, false}, {0x9, Z | C, true},  {0x9, C, false},
        {0xA, N | V, true},  {0xA, N, false},     {0xB, V, true},      {0xB, N | V, false},
        {0xC, 0, true},      {0xC, Z, false},     {0xC, N, false},     {0xD, Z | N | V, true},
        {0xD, N | V, false}, {0xE, 0, true},      {0xF, N | Z | C | V, false},
    };
    for (const Row& row : rows) {
        // mov<cond> r0, #1
        CpuCase c{"condition", {(row.cond << 28) | 0x03A00001u}, kSys | row.flags, {{0, 0}}, {}, 1,
                  {{0, row.pass ? 1u : 0u}, {kCycles, 1}}, {}};
        SCOPED_TRACE(row.cond);
        run_case(c, false);
    }
}

} // namespace
} // namespace cpu_test
