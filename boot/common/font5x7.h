/* The program's lettering: a 5 x 7 pixel font of the printable ASCII
   characters, drawn for this project (it extends the glyph style of the
   skin artwork). Bit 4 of a row is the leftmost column. */
#ifndef BOOT_FONT5X7_H
#define BOOT_FONT5X7_H

#include <stdint.h>

#define BT_GLYPH_WIDTH 5
#define BT_GLYPH_HEIGHT 7

/* Rows of the glyph for byte c; bytes outside 0x20..0x7E get a hollow box
   so that odd bytes in a title stay visible as such. */
const uint8_t* bt_glyph(unsigned char c);

#endif
