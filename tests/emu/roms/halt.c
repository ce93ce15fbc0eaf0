/* Waiting: VBlankIntrWait once per frame, IntrWait for a timer, IntrWait
   with a flag already raised, and the BIOS's Halt, which wakes on IE & IF
   even with IME off. HALTCNT is left to the BIOS: the hardware-verified
   haltcnt test expects a direct write from the cartridge to take a dozen
   cycles, where the reference halts. */
#include "rt.h"

static void vblank_waits(void) {
    rt_irq_init();
    REG_DISPSTAT = STAT_VBLANK_IRQ;
    REG_IE = IRQ_VBLANK;
    REG_IME = 1;
    rt_vblank_intr_wait();
    uint32_t start = rt_irq_count[0];
    uint32_t lines_ok = 1;
    for (int i = 0; i < 10; ++i) {
        rt_vblank_intr_wait();
        lines_ok &= REG_VCOUNT == 160;
    }
    rt_check("VBLWAIT", rt_irq_count[0] - start, 10);
    rt_check("VBLLINE", lines_ok, 1);
}

/* Timer 0 overflows once, 0x8000 * 64 cycles after it starts: IntrWait
   returns after its interrupt only, the VBlanks in between included. */
static void timer_wait(void) {
    REG_IE = IRQ_VBLANK | IRQ_TIMER0;
    REG_TMCNT_H(0) = 0;
    REG_TMCNT_L(0) = 0x8000;
    uint32_t timer_before = rt_irq_count[3];
    uint32_t vblanks_before = rt_irq_count[0];
    REG_TMCNT_H(0) = TM_ENABLE | TM_IRQ | TM_PRESCALE_64;
    rt_intr_wait(1, IRQ_TIMER0);
    REG_TMCNT_H(0) = 0;
    rt_check("TMWAIT", rt_irq_count[3] - timer_before, 1);
    rt_note("VBL SEEN", rt_irq_count[0] - vblanks_before);
    /* A flag raised before the call returns at once without discarding it. */
    BIOS_IF = 1u << 13;
    rt_intr_wait(0, 1u << 13);
    rt_check("RAISED", BIOS_IF & (1u << 13), 0);
}

/* Halt with IME off: the processor wakes at the VCOUNT match (line 100)
   without taking the interrupt. */
static void halt_register(void) {
    REG_IME = 0;
    rt_wait_vblank_start();
    REG_IF = 0xFFFF;
    REG_DISPSTAT = (uint16_t)(STAT_VCOUNT_IRQ | (100 << 8));
    REG_IE = IRQ_VCOUNT;
    uint32_t taken = rt_irq_count[2];
    rt_halt();
    uint32_t line = REG_VCOUNT;
    rt_check("HALTLN", line, 100);
    rt_check("HALTIF", REG_IF & IRQ_VCOUNT, IRQ_VCOUNT);
    rt_check("NO IRQ", rt_irq_count[2] - taken, 0);
    REG_IF = IRQ_VCOUNT;
    /* The BIOS's Halt, interrupts on: wakes and takes it at line 100. */
    rt_wait_vblank_start();
    REG_IF = 0xFFFF;
    REG_IME = 1;
    rt_halt();
    line = REG_VCOUNT;
    REG_IME = 0;
    rt_check("SWIHALT", line, 100);
    rt_check("TAKEN", rt_irq_count[2] - taken, 1);
    REG_DISPSTAT = STAT_VBLANK_IRQ;
    REG_IE = IRQ_VBLANK;
    REG_IME = 1;
}

int main(void) {
    rt_begin("HALT");
    vblank_waits();
    timer_wait();
    halt_register();
    rt_end();
    rt_idle();
}
