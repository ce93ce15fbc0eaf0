/* The game menu as the image build patched it into the program: fixed
   16-byte slots of "%03d TITLE" text. The used slots run until the first
   slot that is all zero or still holds its "000 GAMENUMBnnn" placeholder. */
#ifndef BOOT_MENU_TABLE_H
#define BOOT_MENU_TABLE_H

#include <stdint.h>

#define BT_MENU_SLOT_SIZE 16
#define BT_MENU_SLOT_COUNT 512

/* Whether the slot still holds a placeholder or is all zero. */
int bt_menu_slot_unused(const uint8_t* slot);

/* Number of used slots in a table of slot_count slots. */
int bt_menu_count(const uint8_t* table, int slot_count);

/* The slot's text, at most 16 bytes, NUL-terminated in out. */
void bt_menu_text(const uint8_t* table, int index, char out[BT_MENU_SLOT_SIZE + 1]);

#endif
