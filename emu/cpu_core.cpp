// The processor's modes, banks, pipeline refill, exceptions and run loop.
#include "emu/cpu_internal.inc"

namespace emu {

uint32_t cpu_bank_of(uint32_t mode) {
    switch (mode & kModeMask) {
    case kModeFiq: return kBankFiq;
    case kModeIrq: return kBankIrq;
    case kModeSupervisor: return kBankSupervisor;
    case kModeAbort: return kBankAbort;
    case kModeUndefined: return kBankUndefined;
    default: return kBankUser;
    }
}

void cpu_reset(Gba& gba) {
    Cpu& c = gba.cpu;
    __builtin_memset(&c, 0, sizeof c);
    c.cpsr = kModeSupervisor | kFlagI | kFlagF;
    c.r[15] = kVectorReset;
    cpu_flush(gba);
}

void cpu_set_mode(Gba& gba, uint32_t mode) {
    Cpu& c = gba.cpu;
    mode = (mode | 0x10) & kModeMask;
    uint32_t from = cpu_bank_of(c.cpsr);
    uint32_t to = cpu_bank_of(mode);
    if (from != to) {
        bool from_fiq = from == kBankFiq;
        bool to_fiq = to == kBankFiq;
        if (from_fiq != to_fiq) {
            __builtin_memcpy(c.hi_bank[from_fiq ? 1 : 0], &c.r[8], 5 * sizeof(uint32_t));
            __builtin_memcpy(&c.r[8], c.hi_bank[to_fiq ? 1 : 0], 5 * sizeof(uint32_t));
        }
        c.sp_lr_bank[from][0] = c.r[13];
        c.sp_lr_bank[from][1] = c.r[14];
        c.spsr_bank[from] = c.spsr;
        c.r[13] = c.sp_lr_bank[to][0];
        c.r[14] = c.sp_lr_bank[to][1];
        c.spsr = c.spsr_bank[to];
    }
    c.cpsr = (c.cpsr & ~kModeMask) | mode;
}

void cpu_set_cpsr(Gba& gba, uint32_t value) {
    const uint32_t old = gba.cpu.cpsr;
    cpu_set_mode(gba, value & kModeMask);
    gba.cpu.cpsr = value | 0x10;
    if (((old ^ value) & kFlagT) != 0 || (gba.machine.irq_pending && !(value & kFlagI))) cpu_leave_loop(gba);
}

void cpu_flush(Gba& gba) {
    Cpu& c = gba.cpu;
    if (c.cpsr & kFlagT) {
        uint32_t pc = c.r[15] & ~1u;
        if (!fetch_cart_refill16(gba, pc, c.next_op, c.last_fetch)) {
            c.next_op = bus_fetch_fast<uint16_t>(gba, pc, Access::NonSeq);
            c.last_fetch = bus_fetch_fast<uint16_t>(gba, pc + 2, Access::Seq);
        }
        c.r[15] = pc + 2;
    } else {
        uint32_t pc = c.r[15] & ~3u;
        c.next_op = bus_fetch_fast<uint32_t>(gba, pc, Access::NonSeq);
        c.last_fetch = bus_fetch_fast<uint32_t>(gba, pc + 4, Access::Seq);
        c.r[15] = pc + 4;
    }
    c.next_fetch = Access::Seq;
}

uint32_t cpu_pc(const Gba& gba) { return gba.cpu.r[15] - ((gba.cpu.cpsr & kFlagT) ? 2u : 4u); }

void cpu_exception(Gba& gba, uint32_t mode, uint32_t vector, uint32_t return_addr) {
    Cpu& c = gba.cpu;
    uint32_t old = c.cpsr;
    cpu_set_mode(gba, mode);
    c.spsr = old;
    c.r[14] = return_addr;
    c.cpsr = (c.cpsr & ~kFlagT) | kFlagI;
    if (old & kFlagT) cpu_leave_loop(gba);
    cpu_jump(gba, vector);
}

uint32_t cpu_bank_reg(const Gba& gba, uint32_t mode, uint32_t n) {
    const Cpu& c = gba.cpu;
    n &= 15;
    uint32_t want = cpu_bank_of(mode);
    uint32_t now = cpu_bank_of(c.cpsr);
    if (n < 8 || n == 15 || want == now) return c.r[n];
    if (n < 13) {
        bool want_fiq = want == kBankFiq;
        if (want_fiq == (now == kBankFiq)) return c.r[n];
        return c.hi_bank[want_fiq ? 1 : 0][n - 8];
    }
    return c.sp_lr_bank[want][n - 13];
}

void cpu_set_bank_reg(Gba& gba, uint32_t mode, uint32_t n, uint32_t value) {
    Cpu& c = gba.cpu;
    n &= 15;
    uint32_t want = cpu_bank_of(mode);
    uint32_t now = cpu_bank_of(c.cpsr);
    if (n < 8 || n == 15 || want == now) {
        c.r[n] = value;
        return;
    }
    if (n < 13) {
        bool want_fiq = want == kBankFiq;
        if (want_fiq == (now == kBankFiq)) c.r[n] = value;
        else c.hi_bank[want_fiq ? 1 : 0][n - 8] = value;
        return;
    }
    c.sp_lr_bank[want][n - 13] = value;
}

uint32_t cpu_spsr(const Gba& gba, uint32_t mode) {
    const Cpu& c = gba.cpu;
    uint32_t want = cpu_bank_of(mode);
    if (want == kBankUser) return c.cpsr;
    return want == cpu_bank_of(c.cpsr) ? c.spsr : c.spsr_bank[want];
}

void cpu_set_spsr(Gba& gba, uint32_t mode, uint32_t value) {
    Cpu& c = gba.cpu;
    uint32_t want = cpu_bank_of(mode);
    if (want == kBankUser) return;
    if (want == cpu_bank_of(c.cpsr)) c.spsr = value;
    else c.spsr_bank[want] = value;
}

void cpu_undefined(Gba& gba, uint32_t opcode, uint32_t addr, uint32_t next) {
    if (addr < kBiosSize) {
        gba.cpu.r[15] = next;
        if (bios_trap(gba, opcode)) {
            cpu_flush(gba);
            return;
        }
    }
    cpu_exception(gba, kModeUndefined, kVectorUndefined, next);
}

void cpu_run(Gba& gba) {
    while (gba.cycles < gba.run_until && !gba.machine.halted) {
        if (gba.cpu.cpsr & kFlagT) cpu_run_thumb(gba);
        else cpu_run_arm(gba);
    }
}

} // namespace emu
