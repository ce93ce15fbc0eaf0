@ Start of every test ROM: the branch over the cartridge header (its fields
@ are filled in by the build), the stacks of the three modes, the copy of the
@ initialised sections from ROM and the clearing of the zeroed ones.
    .syntax unified
    .arm
    .section .crt0, "ax"
    .global _start
_start:
    b       start
    .space  0xC0 - 4        @ logo and header fields, written by the header fix-up

start:
    mov     r0, #0x12       @ IRQ mode
    msr     cpsr_c, r0
    ldr     sp, =0x03007FA0
    mov     r0, #0x13       @ supervisor mode
    msr     cpsr_c, r0
    ldr     sp, =0x03007FE0
    mov     r0, #0x1F       @ system mode, interrupts enabled in CPSR
    msr     cpsr_c, r0
    ldr     sp, =0x03007F00

    ldr     r0, =__iwram_lma
    ldr     r1, =__iwram_start
    ldr     r2, =__iwram_end
    bl      copy_words
    ldr     r0, =__ewram_lma
    ldr     r1, =__ewram_start
    ldr     r2, =__ewram_end
    bl      copy_words
    ldr     r1, =__bss_start
    ldr     r2, =__bss_end
    bl      clear_words
    ldr     r1, =__ewram_bss_start
    ldr     r2, =__ewram_bss_end
    bl      clear_words

    ldr     r0, =main
    mov     lr, pc
    bx      r0
1:  b       1b

@ Copies words from r0 to r1 until r1 reaches r2.
copy_words:
    cmp     r1, r2
    ldrlo   r3, [r0], #4
    strlo   r3, [r1], #4
    blo     copy_words
    bx      lr

@ Clears words from r1 until r2.
clear_words:
    mov     r3, #0
1:  cmp     r1, r2
    strlo   r3, [r1], #4
    blo     1b
    bx      lr
    .pool
