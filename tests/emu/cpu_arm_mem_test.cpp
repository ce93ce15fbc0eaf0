// ARM loads and stores: indexing and writeback, the ARM7TDMI's misaligned
// loads, r15 as data, block transfers with odd lists, swaps, and their cycles.
#include "cpu_harness.hpp"

namespace cpu_test {
namespace {

constexpr uint32_t kSys = 0x1F;
constexpr uint32_t kIrq = 0x12;
constexpr uint32_t kFiq = 0x11;
constexpr uint32_t kT = emu::kFlagT;
constexpr uint32_t D = kData;

const std::vector<CpuCase> kSingleCases = {
    {"ldr misaligned rotates", {0xE5910000}, kSys, {{1, D + 1}}, {{D, 0x11223344}}, 1,
     {{0, 0x44112233}, {kCycles, 3}}, {}},
    {"ldr pre-indexed with writeback", {0xE5B10004}, kSys, {{1, D}}, {{D + 4, 0xCAFE}}, 1,
     {{0, 0xCAFE}, {1, D + 4}}, {}},
    {"ldr post-indexed always writes back", {0xE4910004}, kSys, {{1, D}}, {{D, 0xBEEF}}, 1,
     {{0, 0xBEEF}, {1, D + 4}}, {}},
    {"ldr with a negative scaled register offset", {0xE7110102}, kSys, {{1, D + 8}, {2, 1}},
     {{D + 4, 0x55}}, 1, {{0, 0x55}, {1, D + 8}}, {}},
    {"ldr with an rrx offset", {0xE7910062}, kSys | emu::kFlagC, {{1, D - 0x80000000u}, {2, 0}},
     {{D, 0x77}}, 1, {{0, 0x77}}, {}},
    {"ldr into its own base keeps the loaded value", {0xE5B11004}, kSys, {{1, D}}, {{D + 4, 0x1234}}, 1,
     {{1, 0x1234}}, {}},
    {"str of r15 stores +12", {0xE581F000}, kSys, {{1, D}}, {}, 1, {{kCycles, 2}}, {{D, kCode + 12}}},
    {"ldrb", {0xE5D10003}, kSys, {{1, D}}, {{D, 0x80FFEEDD}}, 1, {{0, 0x80}}, {}},
    {"strb writes one byte", {0xE5C10001}, kSys, {{0, 0xAB}, {1, D}}, {{D, 0x11223344}}, 1, {},
     {{D, 0x1122AB44}}},
    {"ldr into r15 jumps", {0xE591F000}, kSys, {{1, D}}, {{D, kCode + 0x40}}, 1,
     {{15, kCode + 0x40}, {kCycles, 5}}, {}},
    {"str of the base with writeback stores the old base", {0xE5A11004}, kSys, {{1, D}}, {}, 1,
     {{1, D + 4}}, {{D + 4, D}}},
    {"ldr from r15 reads +8", {0xE51F0004, 0x99}, kSys, {}, {}, 1, {{0, 0x99}}, {}},
    {"ldrh misaligned rotates by 8", {0xE1D100B0}, kSys, {{1, D + 1}}, {{D, 0x11223344}}, 1,
     {{0, 0x44000033}, {kCycles, 3}}, {}},
    {"ldrsh misaligned loads a signed byte", {0xE1D100F0}, kSys, {{1, D + 1}}, {{D, 0x00008300}}, 1,
     {{0, 0xFFFFFF83}}, {}},
    {"ldrsh aligned", {0xE1D100F0}, kSys, {{1, D}}, {{D, 0x00008001}}, 1, {{0, 0xFFFF8001}}, {}},
    {"ldrsb", {0xE1D100D2}, kSys, {{1, D}}, {{D, 0x00F00000}}, 1, {{0, 0xFFFFFFF0}}, {}},
    {"strh pre-indexed with writeback", {0xE1E100B2}, kSys, {{0, 0x12345678}, {1, D}}, {{D, 0}}, 1,
     {{1, D + 2}, {kCycles, 2}}, {{D, 0x56780000}}},
    {"ldrh post-indexed by a negative register", {0xE01100B2}, kSys, {{1, D}, {2, 8}}, {{D, 0xABCD}}, 1,
     {{0, 0xABCD}, {1, D - 8}}, {}},
    {"strh of r15 stores +12", {0xE1C1F0B0}, kSys, {{1, D}}, {{D, 0xFFFFFFFF}}, 1, {},
     {{D, 0xFFFF0000 | ((kCode + 12) & 0xFFFF)}}},
    {"swp exchanges a word, rotating a misaligned read", {0xE1020091}, kSys, {{1, 0xAA}, {2, D + 2}},
     {{D, 0x11223344}}, 1, {{0, 0x33441122}, {kCycles, 4}}, {{D, 0xAA}}},
    {"swpb exchanges a byte", {0xE1420091}, kSys, {{1, 0x1AA}, {2, D + 1}}, {{D, 0x11223344}}, 1,
     {{0, 0x33}}, {{D, 0x1122AA44}}},
};

const std::vector<CpuCase> kBlockCases = {
    {"stm with the base first stores the old base", {0xE8A00003}, kSys, {{0, D}, {1, 7}}, {}, 1,
     {{0, D + 8}}, {{D, D}, {D + 4, 7}}},
    {"stm with the base later stores the new base", {0xE8A10003}, kSys, {{0, 5}, {1, D}}, {}, 1,
     {{1, D + 8}}, {{D, 5}, {D + 4, D + 8}}},
    {"ldm with the base in the list keeps the loaded value", {0xE8B00003}, kSys, {{0, D}},
     {{D, 0x11}, {D + 4, 0x22}}, 1, {{0, 0x11}, {1, 0x22}}, {}},
    {"ldm of an empty list loads r15 and steps the base by 0x40", {0xE8B00000}, kSys, {{0, D}},
     {{D, kCode + 0x80}}, 1, {{0, D + 0x40}, {15, kCode + 0x80}}, {}},
    {"stm of an empty list stores r15 + 12 and steps by 0x40", {0xE8A00000}, kSys, {{0, D}}, {}, 1,
     {{0, D + 0x40}}, {{D, kCode + 12}}},
    {"stmdb of an empty list stores at base - 0x40", {0xE9200000}, kSys, {{0, D + 0x40}}, {}, 1,
     {{0, D}}, {{D, kCode + 12}}},
    {"stmib of an empty list stores at base + 4", {0xE9A00000}, kSys, {{0, D}}, {}, 1,
     {{0, D + 0x40}}, {{D + 4, kCode + 12}}},
    {"stmda of an empty list stores at base - 0x3C", {0xE8200000}, kSys, {{0, D + 0x40}}, {}, 1,
     {{0, D}}, {{D + 4, kCode + 12}}},
    {"ldmib", {0xE9B00006}, kSys, {{0, D}}, {{D + 4, 1}, {D + 8, 2}}, 1, {{0, D + 8}, {1, 1}, {2, 2}}, {}},
    {"ldmda", {0xE8300006}, kSys, {{0, D + 8}}, {{D + 4, 1}, {D + 8, 2}}, 1, {{0, D}, {1, 1}, {2, 2}}, {}},
    {"push and pop through r15", {0xE92D400F, 0xE8BD800F}, kSys,
     {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {13, D + 0x100}, {14, kCode + 0x20}}, {}, 2,
     {{13, D + 0x100}, {15, kCode + 0x20}, {3, 4}}, {{D + 0x100 - 20, 1}, {D + 0x100 - 4, kCode + 0x20}}},
    {"ldm cycles: nS + 1N + 1I", {0xE890000E}, kSys, {{0, D}}, {}, 1, {{kCycles, 5}}, {}},
    {"stm cycles: (n-1)S + 2N", {0xE880000E}, kSys, {{0, D}}, {}, 1, {{kCycles, 4}}, {}},
    {"ldm ^ with r15 restores CPSR from SPSR", {0xE8FD8000}, kIrq, {{kSpsr, kSys | kT}, {13, D}},
     {{D, kCode + 0x41}}, 1, {{kCpsr, kSys | kT}, {15, kCode + 0x40}, {bank(kIrq, 13), D + 4}}, {}},
    {"stm ^ stores the user bank", {0xE8C07F00}, kFiq,
     {{8, 0xF8}, {13, 0xFD}, {bank(kSys, 8), 0x88}, {bank(kSys, 12), 0xCC}, {bank(kSys, 13), 0xDD},
      {bank(kSys, 14), 0xEE}, {0, D}},
     {}, 1, {}, {{D, 0x88}, {D + 16, 0xCC}, {D + 20, 0xDD}, {D + 24, 0xEE}}},
    {"ldm ^ without r15 loads the user bank", {0xE8D06000}, kIrq, {{0, D}, {13, 0x13}, {14, 0x14}},
     {{D, 0x55}, {D + 4, 0x66}}, 1,
     {{13, 0x13}, {14, 0x14}, {bank(kSys, 13), 0x55}, {bank(kSys, 14), 0x66}}, {}},
};

TEST(CpuArmMemory, SingleTransfers) {
    run_cases(kSingleCases, false);
}

TEST(CpuArmMemory, BlockTransfers) {
    run_cases(kBlockCases, false);
}

} // namespace
} // namespace cpu_test
