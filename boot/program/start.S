/* The program's entry stub, placed at 0x800A20A0: a stack of its own (clear
   of the file system table the loader left below 0x81700000), then
   program_main, which never returns. */
    .section .entry, "ax"
    .globl _start
_start:
    lis 1, 0x8150        /* stack top 0x81500000 */
    li 0, 0
    stwu 0, -16(1)       /* a terminating back chain */
    bl program_main
1:  b 1b
