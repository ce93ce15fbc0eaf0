/* The DOL header: one text section from file offset 0x100 to the end,
   no data sections, no BSS, the entry at the stub. */
    .section .dolheader, "a"
    .long 0x100                     /* text 0 file offset */
    .fill 6, 4, 0
    .fill 11, 4, 0                  /* data file offsets */
    .long __text_start              /* text 0 load address */
    .fill 6, 4, 0
    .fill 11, 4, 0                  /* data load addresses */
    .long __text_size               /* text 0 size */
    .fill 6, 4, 0
    .fill 11, 4, 0                  /* data sizes */
    .long 0                         /* BSS address */
    .long 0                         /* BSS size */
    .long _start                    /* entry point */
    .fill 7, 4, 0
