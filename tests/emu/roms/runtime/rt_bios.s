@ The BIOS calls, from Thumb code. Arguments sit in r0-r3 as the BIOS
@ expects them except for the divisions, whose three results are stored
@ through the pointer the C caller passes for the returned structure.
    .syntax unified
    .thumb
    .text

    .macro bios_call name, number
    .global \name
    .thumb_func
    .type \name, %function
\name:
    swi     \number
    bx      lr
    .endm

    bios_call rt_halt, 0x02
    bios_call rt_intr_wait, 0x04
    bios_call rt_vblank_intr_wait, 0x05
    bios_call rt_sqrt, 0x08
    bios_call rt_arctan, 0x09
    bios_call rt_arctan2, 0x0A
    bios_call rt_cpu_set, 0x0B
    bios_call rt_cpu_fast_set, 0x0C
    bios_call rt_bios_checksum, 0x0D
    bios_call rt_bit_unpack, 0x10
    bios_call rt_lz77_wram, 0x11
    bios_call rt_huffman, 0x13
    bios_call rt_rl_wram, 0x14
    bios_call rt_diff8_wram, 0x16
    bios_call rt_diff16, 0x18

@ struct rt_divmod rt_div(int32_t n, int32_t d): r0 = result, r1 = n, r2 = d.
    .macro division name, number
    .global \name
    .thumb_func
    .type \name, %function
\name:
    push    {r0, lr}
    movs    r0, r1
    movs    r1, r2
    swi     \number
    pop     {r2}
    str     r0, [r2]
    str     r1, [r2, #4]
    str     r3, [r2, #8]
    pop     {r2}
    bx      r2
    .endm

    division rt_div, 0x06
    division rt_div_arm, 0x07
