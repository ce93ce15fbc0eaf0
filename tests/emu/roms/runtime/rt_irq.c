#include "rt.h"

volatile uint32_t rt_irq_count[14];
rt_irq_handler rt_irq_handlers[14];

void rt_irq_dispatch(void);

void rt_irq_init(void) {
    REG_IME = 0;
    for (int i = 0; i < 14; ++i) {
        rt_irq_count[i] = 0;
        rt_irq_handlers[i] = 0;
    }
    BIOS_IF = 0;
    IRQ_VECTOR = (uint32_t)&rt_irq_dispatch;
}

void rt_irq_set(int bit, rt_irq_handler handler) {
    if (bit >= 0 && bit < 14) rt_irq_handlers[bit] = handler;
}

void rt_wait_vblank_start(void) {
    while (REG_VCOUNT == 160) {}
    while (REG_VCOUNT != 160) {}
}
