#include "menu_table.h"

static const char PLACEHOLDER[] = "000 GAMENUMB";

int bt_menu_slot_unused(const uint8_t* slot) {
    int i, zero = 1, placeholder = 1;
    for (i = 0; i < BT_MENU_SLOT_SIZE; ++i)
        if (slot[i] != 0) zero = 0;
    for (i = 0; PLACEHOLDER[i] != '\0'; ++i)
        if (slot[i] != (uint8_t)PLACEHOLDER[i]) placeholder = 0;
    return zero || placeholder;
}

int bt_menu_count(const uint8_t* table, int slot_count) {
    int n = 0;
    while (n < slot_count && !bt_menu_slot_unused(table + n * BT_MENU_SLOT_SIZE)) ++n;
    return n;
}

void bt_menu_text(const uint8_t* table, int index, char out[BT_MENU_SLOT_SIZE + 1]) {
    const uint8_t* slot = table + index * BT_MENU_SLOT_SIZE;
    int i = 0;
    while (i < BT_MENU_SLOT_SIZE && slot[i] != 0) {
        out[i] = (char)slot[i];
        ++i;
    }
    out[i] = '\0';
}
