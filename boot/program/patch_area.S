/* The menu table and the two settings fields as the image build expects
   to find them: 512 slots "000 GAMENUMBnnn" (nnn = 001..512) and the
   fields "0SKIN" and "0ZOOM", each NUL-padded. The build overwrites the
   used slots and the first byte of each field. */
    .section .patch, "a"
    .set slot, 1
    .rept 512
    .ascii "000 GAMENUMB"
    .byte 48 + slot / 100, 48 + (slot / 10) % 10, 48 + slot % 10, 0
    .set slot, slot + 1
    .endr
    .ascii "0SKIN"
    .byte 0, 0, 0
    .ascii "0ZOOM"
    .byte 0, 0, 0
