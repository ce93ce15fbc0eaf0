@ The IRQ dispatcher, ARM code in IWRAM. The BIOS calls it through
@ 0x03007FFC in IRQ mode with r0-r3, r12 and lr saved.
    .syntax unified
    .arm
    .section .iwram.rt_irq, "ax"
    .global rt_irq_dispatch
    .type rt_irq_dispatch, %function
rt_irq_dispatch:
    mov     r3, #0x04000000
    add     r3, r3, #0x200
    ldr     r2, [r3]                @ IE | IF << 16
    and     r2, r2, r2, lsr #16     @ the raised and enabled ones
    strh    r2, [r3, #2]            @ acknowledge them in IF
    ldr     r1, =0x03007FF8
    ldrh    r0, [r1]
    orr     r0, r0, r2
    strh    r0, [r1]                @ and tell IntrWait
    push    {r4, r5, lr}
    mov     r4, r2
    mov     r5, #0
1:  tst     r4, #1
    beq     2f
    ldr     r0, =rt_irq_count
    ldr     r1, [r0, r5, lsl #2]
    add     r1, r1, #1
    str     r1, [r0, r5, lsl #2]
    ldr     r0, =rt_irq_handlers
    ldr     r0, [r0, r5, lsl #2]
    cmp     r0, #0
    movne   lr, pc
    bxne    r0
2:  add     r5, r5, #1
    movs    r4, r4, lsr #1
    bne     1b
    pop     {r4, r5, lr}
    bx      lr
    .pool
