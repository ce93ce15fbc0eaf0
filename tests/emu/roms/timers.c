/* The timers: prescalers, cascade, reload and overflow interrupts, measured
   against the display (a frame is 280896 cycles: 228 lines of 1232). Every
   expected count leaves a margin of at least 256 cycles either way, so the
   few cycles the polling loops take do not decide it. */
#include "rt.h"

#define FRAME_CYCLES 280896u

static void stop_all(void) {
    for (int n = 0; n < 4; ++n) REG_TMCNT_H(n) = 0;
}

static uint32_t within(int32_t value, int32_t want, int32_t slack) {
    return value >= want - slack && value <= want + slack;
}

static void wait_frames(int frames) {
    for (int i = 0; i < frames; ++i) rt_wait_vblank_start();
}

/* Four frames of a 1024-prescaled timer and of overflows of an unscaled one. */
static void prescaler_and_cascade(void) {
    stop_all();
    REG_TMCNT_L(0) = 0;
    REG_TMCNT_L(1) = 0;
    REG_TMCNT_L(2) = 0;
    rt_wait_vblank_start();
    REG_TMCNT_H(1) = TM_ENABLE | TM_CASCADE;
    REG_TMCNT_H(2) = TM_ENABLE | TM_PRESCALE_1024;
    REG_TMCNT_H(0) = TM_ENABLE | TM_PRESCALE_1;
    wait_frames(4);
    uint16_t overflows = REG_TMCNT_L(1);
    uint16_t slow = REG_TMCNT_L(2);
    stop_all();
    rt_check("CASCADE", overflows, 4 * FRAME_CYCLES / 65536);
    rt_check("PRE1024", slow, 4 * FRAME_CYCLES / 1024);
    /* Stopped, the counters keep their last value. */
    rt_check("STOPPED", REG_TMCNT_L(2), slow);

    /* 64 and 256 over one frame, started together at the start of VBlank:
       4389 and 1097.25 ticks; the polling loops' few cycles make it one
       or two more or less. */
    REG_TMCNT_L(0) = 0;
    REG_TMCNT_L(3) = 0;
    rt_wait_vblank_start();
    REG_TMCNT_H(0) = TM_ENABLE | TM_PRESCALE_64;
    REG_TMCNT_H(3) = TM_ENABLE | TM_PRESCALE_256;
    wait_frames(1);
    int32_t by64 = REG_TMCNT_L(0);
    int32_t by256 = REG_TMCNT_L(3);
    stop_all();
    rt_check("PRE64", within(by64, FRAME_CYCLES / 64, 2), 1);
    rt_check("PRE256", within(by256, FRAME_CYCLES / 256, 1), 1);
}

/* Enabling loads the reload value; a cascade timer whose lower one is
   stopped does not count. */
static void reload(void) {
    stop_all();
    REG_TMCNT_L(2) = 0xFFF0;
    REG_TMCNT_H(2) = TM_ENABLE | TM_PRESCALE_1024;
    rt_check("RELOAD", REG_TMCNT_L(2), 0xFFF0);
    REG_TMCNT_L(1) = 0x1234;
    REG_TMCNT_H(1) = TM_ENABLE | TM_CASCADE;
    wait_frames(1);
    rt_check("CASCOFF", REG_TMCNT_L(1), 0x1234);
    stop_all();
}

/* Timer 3 overflows every 64000 cycles: 17 interrupts in four frames (17.55). */
static void interrupts(void) {
    stop_all();
    rt_irq_init();
    REG_IE = IRQ_TIMER3;
    REG_IME = 1;
    REG_TMCNT_L(3) = (uint16_t)(0x10000 - 1000);
    rt_wait_vblank_start();
    REG_TMCNT_H(3) = TM_ENABLE | TM_IRQ | TM_PRESCALE_64;
    wait_frames(4);
    uint32_t count = rt_irq_count[6];
    stop_all();
    REG_IME = 0;
    rt_check("TM3 IRQ", count, 4 * FRAME_CYCLES / 64000);
    rt_check("TM IRQS", rt_irq_count[3] + rt_irq_count[4] + rt_irq_count[5], 0);
}

int main(void) {
    rt_begin("TIMERS");
    prescaler_and_cascade();
    reload();
    interrupts();
    rt_end();
    rt_idle();
}
