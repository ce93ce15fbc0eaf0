// The BIOS as programs see it, through the processor: the state after the
// boot, system calls from ARM and Thumb code (their results, the registers
// they keep, the mode they return to), the waits that halt and serve
// interrupts in the program's handler, SoftReset, and what a read of the BIOS
// area returns from outside it at each of these moments.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "emu/endian.hpp"
#include "machine_support.hpp"

namespace {

using machine_test::Handheld;
using machine_test::r16;
using machine_test::r32;

// Runs a program (ARM words at the start of the cartridge) for some frames.
void run_program(Handheld& h, const std::vector<uint32_t>& words, uint32_t frames) {
    h.rom.assign(0x400, 0);
    for (size_t i = 0; i < words.size(); ++i) {
        for (uint32_t b = 0; b < 4; ++b) h.rom[i * 4 + b] = static_cast<uint8_t>(words[i] >> (8 * b));
    }
    ASSERT_TRUE(emu::gba_init(*h.gba, h.rom.data(), static_cast<uint32_t>(h.rom.size())));
    for (uint32_t f = 0; f < frames; ++f) emu::gba_run_frame(*h.gba);
}

uint32_t reg(const Handheld& h, uint32_t mode, uint32_t n) { return emu::cpu_bank_reg(*h.gba, mode, n); }

// The IRQ handler the interrupt programs share: acknowledges what is pending
// and enabled, and (from +14h on) adds it to the BIOS's flags for IntrWait.
// Both read the BIOS area into r7 while the handler runs.
const std::vector<uint32_t> kHandlerAcknowledge = {
    0xE3A00301, // mov r0, #04000000h
    0xE2803C02, // add r3, r0, #200h
    0xE5931000, // ldr r1, [r3] (IE | IF << 16)
    0xE0011821, // and r1, r1, r1, lsr #16
    0xE1C310B2, // strh r1, [r3, #2] (acknowledge)
};
const std::vector<uint32_t> kHandlerFlags = {
    0xE15020B8, // ldrh r2, [r0, #-8] (the BIOS flags at 03FFFFF8h)
    0xE1822001, // orr r2, r2, r1
    0xE14020B8, // strh r2, [r0, #-8]
};
const std::vector<uint32_t> kHandlerEnd = {
    0xE5967000, // ldr r7, [r6] (r6 = 0: a BIOS read from outside it)
    0xE12FFF1E, // bx lr
};

std::vector<uint32_t> concat(std::initializer_list<std::vector<uint32_t>> parts) {
    std::vector<uint32_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(BiosBoot, LeavesTheStateTheBiosStartsTheCartridgeWith) {
    Handheld h;
    run_program(h, {0xEAFFFFFE}, 0); // b .
    emu::Gba& g = *h;
    EXPECT_EQ(emu::cpu_pc(g), 0x08000000u);
    EXPECT_EQ(g.cpu.cpsr, emu::kModeSystem); // ARM, interrupts enabled in the CPSR
    EXPECT_EQ(reg(h, emu::kModeSystem, 13), 0x03007F00u);
    EXPECT_EQ(reg(h, emu::kModeIrq, 13), 0x03007FA0u);
    EXPECT_EQ(reg(h, emu::kModeSupervisor, 13), 0x03007FE0u);
    EXPECT_EQ(emu::cpu_spsr(g, emu::kModeSupervisor), 0u);
    EXPECT_EQ(r32(g, 0), emu::kBiosLatchBoot);      // a BIOS read from outside
    EXPECT_EQ(r32(g, 0x3FFC), emu::kBiosLatchBoot); // anywhere in it
    EXPECT_EQ(r16(g, 0x04000088), 0x200);           // SOUNDBIAS
    EXPECT_EQ(machine_test::r8(g, 0x04000300), 1);  // POSTFLG
    EXPECT_EQ(r16(g, 0x04000130), 0x3FF);           // KEYINPUT: nothing pressed
    // The vectors: SWI and IRQ branch to their handlers.
    const auto branch_target = [&g](uint32_t at) {
        const uint32_t op = emu::load32(g.mem.bios + at);
        EXPECT_EQ(op >> 24, 0xEAu) << at;
        return at + 8 + ((op & 0xFFFFFF) << 2);
    };
    EXPECT_EQ(branch_target(0x08), emu::kBiosSwiHandler);
    EXPECT_EQ(branch_target(0x18), emu::kBiosIrqHandler);
}

TEST(BiosCalls, ArmSwiReturnsResultsAndKeepsTheRest) {
    Handheld h;
    run_program(h,
                {
                    0xE3A00000, // mov r0, #0
                    0xE2400E4D, // sub r0, r0, #4D0h
                    0xE2400002, // sub r0, r0, #2 (-1234)
                    0xE3A0100A, // mov r1, #10
                    0xE3A02055, // mov r2, #55h
                    0xEF060000, // swi 06h (Div)
                    0xEAFFFFFE, // b .
                },
                1);
    emu::Gba& g = *h;
    EXPECT_EQ(emu::cpu_pc(g), 0x08000018u);
    EXPECT_EQ(g.cpu.r[0], static_cast<uint32_t>(-123));
    EXPECT_EQ(g.cpu.r[1], static_cast<uint32_t>(-4));
    EXPECT_EQ(g.cpu.r[3], 123u);
    EXPECT_EQ(g.cpu.r[2], 0x55u);
    EXPECT_EQ(g.cpu.r[12], 0u);
    EXPECT_EQ(g.cpu.r[13], 0x03007F00u);
    EXPECT_EQ(g.cpu.cpsr & 0xFF, emu::kModeSystem);
    EXPECT_EQ(reg(h, emu::kModeSupervisor, 13), 0x03007FE0u); // the supervisor stack balanced
    EXPECT_EQ(r32(g, 0), emu::kBiosLatchAfterSwi);
}

TEST(BiosCalls, ThumbSwiReadsItsNumberFromTheLowByte) {
    Handheld h;
    run_program(h,
                {
                    0xE28F0001, // add r0, pc, #1
                    0xE12FFF10, // bx r0
                    0x22552090, // movs r0, #144; movs r2, #55h
                    0xE7FEDF08, // swi 8 (Sqrt); b .
                },
                1);
    emu::Gba& g = *h;
    EXPECT_EQ(emu::cpu_pc(g), 0x0800000Eu);
    EXPECT_EQ(g.cpu.r[0], 12u);
    EXPECT_EQ(g.cpu.r[2], 0x55u);
    EXPECT_EQ(g.cpu.cpsr & (emu::kFlagT | 0x1F), emu::kFlagT | emu::kModeSystem);
    EXPECT_EQ(r32(g, 0), emu::kBiosLatchAfterSwi);
}

TEST(BiosCalls, VBlankIntrWaitServesInterruptsInTheProgramsHandler) {
    Handheld h;
    const std::vector<uint32_t> main = {
        0xE3A00301, // mov r0, #04000000h
        0xE28F1028, // add r1, pc, #28h (the handler)
        0xE5001004, // str r1, [r0, #-4] (03FFFFFCh)
        0xE3A01008, // mov r1, #8
        0xE1C010B4, // strh r1, [r0, #4] (DISPSTAT: VBlank interrupt)
        0xE2803C02, // add r3, r0, #200h
        0xE3A01001, // mov r1, #1
        0xE1C310B0, // strh r1, [r3] (IE = VBlank; IntrWait sets IME)
        0xE3A04000, // mov r4, #0
        0xE3A06000, // mov r6, #0
        0xEF050000, // loop: swi 05h (VBlankIntrWait)
        0xE2844001, // add r4, r4, #1
        0xEAFFFFFC, // b loop
    };
    run_program(h, concat({main, kHandlerAcknowledge, kHandlerFlags, kHandlerEnd}), 10);
    emu::Gba& g = *h;
    // One return per frame: the first wait ends at the first frame's VBlank.
    EXPECT_GE(reg(h, emu::kModeSystem, 4), 9u);
    EXPECT_LE(reg(h, emu::kModeSystem, 4), 10u);
    EXPECT_EQ(reg(h, emu::kModeSystem, 7), emu::kBiosLatchInIrq);
    EXPECT_EQ(r16(g, 0x04000208), 1);                  // IME, set by the wait
    EXPECT_EQ(r16(g, emu::kBiosIrqFlags), 0);          // the flag taken by the wait
    EXPECT_EQ(reg(h, emu::kModeIrq, 13), 0x03007FA0u); // the interrupt stack balanced
    // The frame ends during the next wait: the call holds its 4 words
    // (SPSR, r11, r12, lr) on the supervisor stack, and sleeps in the BIOS.
    EXPECT_EQ(reg(h, emu::kModeSupervisor, 13), 0x03007FE0u - 16);
    EXPECT_LT(emu::cpu_pc(g), emu::kBiosSize);
}

TEST(BiosCalls, AReadAfterAnInterruptReturnSeesTheWordAfterTheReturn) {
    Handheld h;
    const std::vector<uint32_t> main = {
        0xE3A00301, // mov r0, #04000000h
        0xE28F1024, // add r1, pc, #24h (the handler)
        0xE5001004, // str r1, [r0, #-4]
        0xE3A01008, // mov r1, #8
        0xE1C010B4, // strh r1, [r0, #4]
        0xE2803C02, // add r3, r0, #200h
        0xE3A01001, // mov r1, #1
        0xE1C310B0, // strh r1, [r3] (IE)
        0xE1C310B8, // strh r1, [r3, #8] (IME)
        0xE3A06000, // mov r6, #0
        0xE5965000, // loop: ldr r5, [r6]
        0xEAFFFFFD, // b loop
    };
    run_program(h, concat({main, kHandlerAcknowledge, kHandlerEnd}), 3);
    EXPECT_EQ(reg(h, emu::kModeSystem, 5), emu::kBiosLatchAfterIrq);
    EXPECT_EQ(reg(h, emu::kModeSystem, 7), emu::kBiosLatchInIrq);
}

TEST(BiosCalls, IntrWaitReturnsAtOnceForAFlagAlreadySet) {
    Handheld h;
    run_program(h,
                {
                    0xE3A00301, // mov r0, #04000000h
                    0xE3A01001, // mov r1, #1
                    0xE14010B8, // strh r1, [r0, #-8] (BIOS flags: VBlank)
                    0xE3A00000, // mov r0, #0 (keep old flags)
                    0xEF040000, // swi 04h (IntrWait for VBlank; no interrupt is enabled)
                    0xE3A06066, // mov r6, #66h
                    0xEAFFFFFE, // b .
                },
                1);
    EXPECT_EQ(h.gba->cpu.r[6], 0x66u);
    EXPECT_EQ(r16(*h, emu::kBiosIrqFlags), 0);
    EXPECT_EQ(r16(*h, 0x04000208), 1); // IME
}

TEST(BiosCalls, HaltSleepsUntilAnEnabledRequestEvenWithoutIme) {
    Handheld h;
    run_program(h,
                {
                    0xE3A00301, // mov r0, #04000000h
                    0xE3A01008, // mov r1, #8
                    0xE1C010B4, // strh r1, [r0, #4] (DISPSTAT: VBlank request)
                    0xE2803C02, // add r3, r0, #200h
                    0xE3A01001, // mov r1, #1
                    0xE1C310B0, // strh r1, [r3] (IE = VBlank, IME stays 0)
                    0xEF020000, // swi 02h (Halt)
                    0xE1D060B6, // ldrh r6, [r0, #6] (VCOUNT)
                    0xEAFFFFFE, // b .
                },
                2);
    EXPECT_EQ(h.gba->cpu.r[6], 160u); // woken by the start of vertical blanking
}

TEST(BiosCalls, RegisterRamResetClearsTheChosenAreasOnly) {
    const struct {
        const char* name;
        uint32_t address;
    } areas[] = {{"on-board RAM", 0x02001000},
                 {"on-chip RAM", 0x03001000},
                 {"palette", 0x05000010},
                 {"VRAM", 0x06001000},
                 {"OAM", 0x07000010}};
    for (uint32_t bit = 0; bit < 5; ++bit) {
        Handheld h;
        emu::Gba& g = *h;
        for (const auto& a : areas) machine_test::w32(g, a.address, 0x5A5A5A5A);
        machine_test::w32(g, 0x03007E00, 0x5A5A5A5A); // the BIOS's own top of on-chip RAM
        machine_test::w16(g, 0x04000000, 0x0403);     // DISPCNT
        emu::bios_register_ram_reset(g, 1u << bit);
        for (uint32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(r32(g, areas[i].address), i == bit ? 0u : 0x5A5A5A5Au) << areas[i].name << ", flag " << bit;
        }
        EXPECT_EQ(r32(g, 0x03007E00), 0x5A5A5A5Au);
        EXPECT_EQ(r16(g, 0x04000000), 0x0080); // forced blank, whatever the flags
    }
    // The other registers: the rotation back to the identity, interrupts off.
    Handheld h;
    emu::Gba& g = *h;
    machine_test::w16(g, 0x04000020, 0x1234); // BG2PA
    machine_test::w16(g, 0x04000200, 0x0001); // IE
    machine_test::w16(g, 0x04000208, 0x0001); // IME
    emu::bios_register_ram_reset(g, 0x80);
    EXPECT_EQ(g.mem.io[0x20] | g.mem.io[0x21] << 8, 0x100);
    EXPECT_EQ(r16(g, 0x04000200), 0);
    EXPECT_EQ(r16(g, 0x04000208), 0);
}

TEST(BiosCalls, SoftResetRestartsTheCartridgeWithClearedRegisters) {
    Handheld h;
    run_program(h,
                {
                    0xE3A01402, // mov r1, #02000000h
                    0xE5910000, // ldr r0, [r1]
                    0xE2800001, // add r0, r0, #1
                    0xE5810000, // str r0, [r1] (count the starts)
                    0xE3500003, // cmp r0, #3
                    0x0A000001, // beq done
                    0xE3A05077, // mov r5, #77h
                    0xEF000000, // swi 00h (SoftReset)
                    0xEAFFFFFE, // done: b done
                },
                1);
    emu::Gba& g = *h;
    EXPECT_EQ(r32(g, 0x02000000), 3u);
    EXPECT_EQ(emu::cpu_pc(g), 0x08000020u);
    EXPECT_EQ(g.cpu.r[5], 0u); // cleared by the last reset
    EXPECT_EQ(g.cpu.cpsr & 0xFF, emu::kModeSystem);
    EXPECT_EQ(reg(h, emu::kModeSupervisor, 13), 0x03007FE0u);
    EXPECT_EQ(reg(h, emu::kModeSupervisor, 14), 0u);
    EXPECT_EQ(emu::cpu_spsr(g, emu::kModeSupervisor), 0u);
    EXPECT_EQ(r32(g, 0), emu::kBiosLatchBoot);
}

TEST(BiosCalls, SoftResetStartsTheProgramInRamWhenTheFlagSaysSo) {
    Handheld h;
    run_program(h,
                {
                    0xE3A00403, // mov r0, #03000000h
                    0xE2800C7F, // add r0, r0, #7F00h
                    0xE3A01001, // mov r1, #1
                    0xE5C010FA, // strb r1, [r0, #FAh] (03007FFAh: restart in RAM)
                    0xEF000000, // swi 00h (SoftReset)
                    0xEAFFFFFE, // b .
                },
                0);
    machine_test::w32(*h, 0x02000000, 0xEAFFFFFE); // b . at the start of on-board RAM
    emu::gba_run_frame(*h.gba);
    EXPECT_EQ(emu::cpu_pc(*h), 0x02000000u);
    EXPECT_EQ(machine_test::r8(*h, emu::kBiosResetTarget), 0); // cleared with the BIOS's area
    EXPECT_EQ(h.gba->cpu.cpsr & 0xFF, emu::kModeSystem);
}

} // namespace
