/* The memory card in slot A (expansion interface channel 0, device 0) as a
   block device for the card file system. */
#ifndef BOOT_EXI_CARD_H
#define BOOT_EXI_CARD_H

#include <stdint.h>

#include "../common/card_fs.h"

/* The card's size in megabits from its ID (4 .. 128), or 0 when no card
   answers. Never hangs: every wait is bounded. */
uint32_t hw_card_probe(void);

/* One 8 KiB block; 0 on success, -1 with no card or a failed transfer.
   Writing erases the block's sector, programs it page by page and reads
   it back to check. */
int hw_card_read_block(void* ctx, uint32_t block, uint8_t* dst);
int hw_card_write_block(void* ctx, uint32_t block, const uint8_t* src);

/* The two above as a card_device. */
card_device hw_card_device(void);

#endif
