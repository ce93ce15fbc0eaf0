#include "menu_state.h"

unsigned bt_pad_keys(uint32_t hi) {
    unsigned keys = 0;
    const int stick_y = (int)(hi & 0xFF) - 0x80;
    if (hi & BT_PAD_ABSENT) return 0;
    if (hi & 1u << 19 || stick_y > BT_STICK_DEAD_ZONE) keys |= BT_KEY_UP;
    if (hi & 1u << 18 || stick_y < -BT_STICK_DEAD_ZONE) keys |= BT_KEY_DOWN;
    if (hi & 1u << 24) keys |= BT_KEY_A;
    if (hi & 1u << 25) keys |= BT_KEY_B;
    if (hi & 1u << 26) keys |= BT_KEY_X;
    if (hi & 1u << 27) keys |= BT_KEY_Y;
    return keys;
}

void bt_menu_init(bt_menu_state* s, int count, int rows) {
    s->count = count < 0 ? 0 : count;
    s->rows = rows < 1 ? 1 : rows;
    s->cursor = 0;
    s->top = 0;
    s->page = BT_PAGE_MENU;
    s->held = 0;
    s->held_for = 0;
}

static void move(bt_menu_state* s, int step, int wrap) {
    int next = s->cursor + step;
    if (next < 0) next = wrap ? s->count - 1 : 0;
    if (next >= s->count) next = wrap ? 0 : s->count - 1;
    s->cursor = next;
    if (s->cursor < s->top) s->top = s->cursor;
    if (s->cursor >= s->top + s->rows) s->top = s->cursor - s->rows + 1;
}

int bt_menu_input(bt_menu_state* s, unsigned keys) {
    const unsigned pressed = keys & ~s->held;
    const unsigned vertical = keys & (BT_KEY_UP | BT_KEY_DOWN);
    const int before = s->cursor;
    s->held = keys;
    if (s->page != BT_PAGE_MENU) {
        if (pressed & BT_KEY_B) {
            s->page = BT_PAGE_MENU;
            return BT_EVENT_BACK;
        }
        return BT_EVENT_NONE;
    }
    if (s->count == 0) return BT_EVENT_NONE;
    if (pressed & BT_KEY_A) return BT_EVENT_PLAY;
    if (pressed & BT_KEY_Y) {
        s->page = BT_PAGE_DETAILS;
        s->held_for = 0;
        return BT_EVENT_OPEN;
    }
    if (vertical == BT_KEY_UP || vertical == BT_KEY_DOWN) {
        const int step = vertical == BT_KEY_UP ? -1 : 1;
        if (pressed & vertical) {
            s->held_for = 0;
            move(s, step, 1);
        } else if (++s->held_for >= BT_REPEAT_DELAY && (s->held_for - BT_REPEAT_DELAY) % BT_REPEAT_RATE == 0) {
            move(s, step, 0);
        }
    } else {
        s->held_for = 0;
    }
    return s->cursor != before ? BT_EVENT_MOVED : BT_EVENT_NONE;
}
