/* The loader's 32-byte header: date text, entry point, code size and
   trailer size. */
    .section .header, "a"
    .ascii "2003/04/17"
    .byte 0, 0, 0, 0, 0, 0
    .long loader_entry
    .long 0x1954      /* loader code size */
    .long 0x1B8B0     /* trailer size */
    .long 0
