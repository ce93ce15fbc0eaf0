// The traps of the BIOS area's code: the system call dispatcher, the wait
// loop of IntrWait, the calls' closing time and the reset. Each runs the call on the registers of the
// system mode the BIOS entry switched to, charges the call's time, and sends
// the processor on to the BIOS code that follows (see bios_image.cpp).
#include "emu/bus.hpp"
#include "emu/gba.hpp"

namespace emu {
namespace {

constexpr uint32_t kIme = 0x04000208;
constexpr uint32_t kSoundBias = 0x04000088;
constexpr uint32_t kHaltcnt = 0x04000301;

// Where the processor goes on after the trap (it refills its pipeline there).
void jump(Gba& gba, uint32_t address) { gba.cpu.r[15] = address; }

// As the BIOS does it, through HALTCNT: 00h halts the processor until IE & IF
// is non-zero (at once if it is already), 80h stops the machine until the
// keypad or the cartridge requests an interrupt. An interrupt the processor
// may take is taken before the BIOS code goes on.
void halt(Gba& gba, uint8_t haltcnt) { bus_write8(gba, kHaltcnt, haltcnt, Access::NonSeq); }

// HardReset and the reset vector: the registers and memory as after power-on
// (without the intro), then the cartridge.
void restart(Gba& gba) {
    bios_register_ram_reset(gba, 0xFF);
    gba.mem.iwram[kBiosResetTarget - 0x03000000] = 0;
    bios_soft_reset(gba);
}

void sound_bias(Gba& gba, uint32_t level_on) {
    // The BIOS steps the level by 2 with a short delay per step; the time
    // passes, the level lands where it ends.
    const uint16_t old = bus_read16(gba, kSoundBias, Access::NonSeq);
    const uint16_t target = level_on != 0 ? 0x200 : 0;
    const uint16_t level = old & 0x3FF;
    const uint32_t distance = level > target ? level - target : target - level;
    gba.cycles += distance / 2 * 8 * 4 + 20;
    bus_write16(gba, kSoundBias, static_cast<uint16_t>((old & ~0x3FFu) | target), Access::NonSeq);
}

// Runs system call `number`; returns the BIOS address the processor goes on at.
uint32_t run_call(Gba& gba, uint32_t number) {
    uint32_t* r = gba.cpu.r;
    switch (number) {
    case 0x00: // SoftReset
        bios_soft_reset(gba);
        return kBiosStartCartridge;
    case 0x01: // RegisterRamReset
        bios_register_ram_reset(gba, r[0]);
        gba.cycles += 200;
        break;
    case 0x02: // Halt
        halt(gba, 0x00);
        gba.cycles += 10;
        break;
    case 0x03: // Stop
        halt(gba, 0x80);
        gba.cycles += 10;
        break;
    case 0x05: // VBlankIntrWait: IntrWait(1, VBlank)
        r[0] = 1;
        r[1] = 1;
        [[fallthrough]];
    case 0x04: // IntrWait
        bus_write16(gba, kIme, 1, Access::NonSeq);
        if (r[0] != 0) { // wait for a new flag: forget the old ones
            const uint16_t flags = bus_read16(gba, kBiosIrqFlags, Access::NonSeq);
            bus_write16(gba, kBiosIrqFlags, static_cast<uint16_t>(flags & ~r[1]), Access::NonSeq);
        }
        gba.cycles += 10;
        return kBiosWaitTrap;
    case 0x06:   // Div
    case 0x07: { // DivArm: the operands the other way round
        const bool arm = number == 0x07;
        const int32_t num = static_cast<int32_t>(arm ? r[1] : r[0]);
        const int32_t den = static_cast<int32_t>(arm ? r[0] : r[1]);
        const BiosDivision d = bios_div(num, den);
        r[0] = d.quotient;
        r[1] = d.remainder;
        r[3] = d.magnitude;
        // A shift step and a compare-and-subtract step per quotient bit.
        const uint32_t steps = 33 - static_cast<uint32_t>(__builtin_clz(d.magnitude | 1));
        gba.cycles += 20 + 13 * steps + (arm ? 3 : 0);
        break;
    }
    case 0x08: // Sqrt
        r[0] = bios_sqrt(r[0]);
        // An iteration per result bit.
        gba.cycles += 20 + 60 * (32 - static_cast<uint32_t>(__builtin_clz(r[0] | 1)));
        break;
    case 0x09: { // ArcTan
        const BiosArcTan a = bios_arctan(r[0]);
        r[0] = a.r0;
        r[1] = a.r1;
        r[3] = a.r3;
        gba.cycles += 40;
        break;
    }
    case 0x0A: // ArcTan2
        r[0] = bios_arctan2(static_cast<int16_t>(r[0]), static_cast<int16_t>(r[1]));
        gba.cycles += 70;
        break;
    case 0x0B: bios_cpu_set(gba, r[0], r[1], r[2]); break;
    case 0x0C: bios_cpu_fast_set(gba, r[0], r[1], r[2]); break;
    case 0x0D: // GetBiosChecksum: the sum of the original's words
        r[0] = 0xBAAE187F;
        gba.cycles += 0x4000 / 4 * 3;
        break;
    case 0x0E: bios_bg_affine_set(gba, r[0], r[1], r[2]); break;
    case 0x0F: bios_obj_affine_set(gba, r[0], r[1], r[2], r[3]); break;
    case 0x10: bios_bit_unpack(gba, r[0], r[1], r[2]); break;
    case 0x11:
    case 0x12: bios_lz77(gba, r[0], r[1], number == 0x11); break;
    case 0x13: bios_huffman(gba, r[0], r[1]); break;
    case 0x14:
    case 0x15: bios_run_length(gba, r[0], r[1], number == 0x14); break;
    case 0x16:
    case 0x17: bios_diff8(gba, r[0], r[1], number == 0x16); break;
    case 0x18: bios_diff16(gba, r[0], r[1]); break;
    case 0x19: sound_bias(gba, r[0]); break;
    case 0x1F: // MidiKey2Freq: the wave's frequency at WaveData+4
        r[0] = bios_midi_key_to_freq(bus_read32(gba, r[0] + 4, Access::NonSeq), r[1], r[2]);
        gba.cycles += 60;
        break;
    case 0x2A: // SoundGetJumpList: every entry a plain return (bx lr)
        for (uint32_t i = 0; i < 36; ++i) bus_write32(gba, r[0] + i * 4, kBiosStartCartridge, Access::Seq);
        gba.cycles += 36 * 3;
        break;
    case 0x25: // MultiBoot: no link partner, so it fails
        r[0] = 1;
        gba.cycles += 20;
        break;
    case 0x26: // HardReset
        restart(gba);
        return kBiosStartCartridge;
    case 0x27: // CustomHalt: HALTCNT = r2
        halt(gba, static_cast<uint8_t>(r[2]));
        gba.cycles += 10;
        break;
    default:
        // The sound driver's calls and the numbers without a function: the
        // sound driver is the game's own business here, nothing happens.
        gba.cycles += 10;
        break;
    }
    return kBiosSwiResume;
}

// IntrWait's loop: done once a wanted flag is in the BIOS's flags (which the
// user's interrupt handler sets), else halt and check again when woken (the
// interrupt is taken before this trap runs again).
void wait_for_flags(Gba& gba) {
    bus_write16(gba, kIme, 1, Access::NonSeq);
    const uint16_t flags = bus_read16(gba, kBiosIrqFlags, Access::NonSeq);
    const uint16_t hit = static_cast<uint16_t>(flags & gba.cpu.r[1]);
    gba.cycles += 8;
    if (hit != 0) {
        bus_write16(gba, kBiosIrqFlags, static_cast<uint16_t>(flags & ~hit), Access::NonSeq);
        jump(gba, kBiosSwiResume);
        return;
    }
    halt(gba, 0x00);
    jump(gba, kBiosWaitTrap);
}

} // namespace

bool bios_trap(Gba& gba, uint32_t opcode) {
    if ((opcode & ~0xFu) != kBiosTrapBase) return false;
    switch (opcode & 0xF) {
    case kTrapSwi: jump(gba, run_call(gba, gba.cpu.r[12] & 0xFF)); return true;
    case kTrapWait: wait_for_flags(gba); return true;
    case kTrapResume:
        gba.cycles += gba.bios.resume_cycles;
        gba.bios.resume_cycles = 0;
        jump(gba, kBiosSwiResume + 4);
        return true;
    case kTrapReset:
        restart(gba);
        jump(gba, kBiosStartCartridge);
        return true;
    default: return false;
    }
}

} // namespace emu
