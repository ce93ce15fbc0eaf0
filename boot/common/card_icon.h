/* The icon the console's card manager shows next to a save: a small
   handheld, 32 x 32 pixels, in the card's RGB5A3 texture format (4 x 4
   pixel tiles, each pixel a big-endian 16-bit word: bit 15 set for an
   opaque 5:5:5 colour, clear for 3 bits of alpha and 4:4:4). */
#ifndef BOOT_CARD_ICON_H
#define BOOT_CARD_ICON_H

#include <stdint.h>

#define CARD_ICON_SIZE 32
#define CARD_ICON_BYTES (CARD_ICON_SIZE * CARD_ICON_SIZE * 2)
/* Directory entry values for one still RGB5A3 icon. */
#define CARD_ICON_FORMAT_RGB5A3 2u
#define CARD_ICON_SPEED_SLOW 3u

/* The icon's colour at (x, y): 0x00RRGGBB, or 0xFF000000 where it is
   transparent. */
uint32_t card_icon_pixel(int x, int y);

/* Writes the icon's CARD_ICON_BYTES bytes. */
void card_icon_make(uint8_t* out);

#endif
