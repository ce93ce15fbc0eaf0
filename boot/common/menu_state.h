/* The menu's input handling: controller words in, page and cursor out.

   Up and down (pad or stick) move the cursor one row on each press; a
   press at either end wraps round to the other. Held down, the move
   repeats after BT_REPEAT_DELAY fields every BT_REPEAT_RATE fields and
   stops at the ends instead of wrapping. A starts the game under the
   cursor, Y opens its details page, B goes back to the menu from the
   details or a message. */
#ifndef BOOT_MENU_STATE_H
#define BOOT_MENU_STATE_H

#include <stdint.h>

enum { BT_KEY_UP = 1, BT_KEY_DOWN = 2, BT_KEY_A = 4, BT_KEY_B = 8, BT_KEY_X = 16, BT_KEY_Y = 32 };
enum { BT_PAGE_MENU = 0, BT_PAGE_DETAILS = 1, BT_PAGE_MESSAGE = 2 };
enum { BT_EVENT_NONE = 0, BT_EVENT_MOVED, BT_EVENT_OPEN, BT_EVENT_BACK, BT_EVENT_PLAY };

#define BT_REPEAT_DELAY 30
#define BT_REPEAT_RATE 6
#define BT_PAD_ABSENT 0x80000000u /* status bit of the controller's first word */
#define BT_STICK_DEAD_ZONE 0x38   /* stick travel from the centre (0x80) that counts as no push */

typedef struct {
    int count;  /* games in the menu */
    int rows;   /* rows the screen shows */
    int cursor; /* 0-based game under the cursor */
    int top;    /* first game shown */
    int page;
    unsigned held;
    int held_for; /* fields the current up/down has been held */
} bt_menu_state;

/* Keys pressed according to the controller's first status word (buttons,
   pad and stick); none when the controller is absent. */
unsigned bt_pad_keys(uint32_t status_high);

void bt_menu_init(bt_menu_state* s, int count, int rows);

/* One field's keys; returns the event it caused. */
int bt_menu_input(bt_menu_state* s, unsigned keys);

#endif
