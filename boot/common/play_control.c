/* The controller in a game, the pause menu, and the plan for reading a ROM
   from the disc. */
#include "menu_state.h"
#include "play.h"
#include "text.h"

uint16_t bt_play_keys(uint32_t hi) {
    static const struct {
        uint8_t bit;
        uint16_t key;
    } buttons[] = {{24, BT_GBA_A},      {25, BT_GBA_B},  {22, BT_GBA_L},    {21, BT_GBA_R},     {28, BT_GBA_START},
                   {20, BT_GBA_SELECT}, {19, BT_GBA_UP}, {18, BT_GBA_DOWN}, {17, BT_GBA_RIGHT}, {16, BT_GBA_LEFT}};
    const int stick_x = (int)(hi >> 8 & 0xFF) - 0x80, stick_y = (int)(hi & 0xFF) - 0x80;
    unsigned keys = 0, i;
    if (hi & BT_PAD_ABSENT) return 0;
    for (i = 0; i < sizeof buttons / sizeof buttons[0]; ++i)
        if (hi >> buttons[i].bit & 1u) keys |= buttons[i].key;
    if (stick_x > BT_STICK_DEAD_ZONE) keys |= BT_GBA_RIGHT;
    if (stick_x < -BT_STICK_DEAD_ZONE) keys |= BT_GBA_LEFT;
    if (stick_y > BT_STICK_DEAD_ZONE) keys |= BT_GBA_UP;
    if (stick_y < -BT_STICK_DEAD_ZONE) keys |= BT_GBA_DOWN;
    return (uint16_t)keys;
}

int bt_pause_wanted(unsigned before, unsigned now) {
    const unsigned both = BT_KEY_X | BT_KEY_Y;
    return (now & both) == both && (before & both) != both;
}

void bt_pause_open(bt_pause_state* s, unsigned keys) {
    s->cursor = BT_PAUSE_CONTINUE;
    s->held = keys;
}

int bt_pause_input(bt_pause_state* s, unsigned keys) {
    const unsigned pressed = keys & ~s->held;
    s->held = keys;
    if (pressed & BT_KEY_B) return BT_PAUSE_CONTINUE;
    if (pressed & BT_KEY_A) return s->cursor;
    if ((pressed & (BT_KEY_UP | BT_KEY_DOWN)) == BT_KEY_UP) {
        s->cursor = (s->cursor + BT_PAUSE_ITEMS - 1) % BT_PAUSE_ITEMS;
        return BT_PAUSE_MOVED;
    }
    if ((pressed & (BT_KEY_UP | BT_KEY_DOWN)) == BT_KEY_DOWN) {
        s->cursor = (s->cursor + 1) % BT_PAUSE_ITEMS;
        return BT_PAUSE_MOVED;
    }
    return BT_PAUSE_STAY;
}

void bt_pause_draw(const bt_pause_state* s, bt_canvas* box) {
    static const char* const items[BT_PAUSE_ITEMS] = {"CONTINUE", "RESTART", "BACK TO THE GAME LIST"};
    int i;
    bt_canvas_fill(box, BT_RGB(12, 16, 40));
    bt_canvas_fill_rect(box, 0, 0, box->width, 2, BT_RGB(255, 214, 90));
    bt_canvas_fill_rect(box, 0, box->height - 2, box->width, 2, BT_RGB(255, 214, 90));
    bt_draw_text(box, 16, 10, 2, "PAUSED", 6, BT_RGB(255, 214, 90));
    for (i = 0; i < BT_PAUSE_ITEMS; ++i) {
        const int y = 36 + i * 26;
        uint32_t colour = BT_RGB(255, 255, 255);
        if (i == s->cursor) {
            bt_canvas_fill_rect(box, 8, y - 5, box->width - 16, 24, BT_RGB(255, 214, 90));
            colour = BT_RGB(24, 24, 48);
        }
        bt_draw_text(box, 16, y, 2, items[i], 1 << 20, colour);
    }
}

int bt_load_plan_make(uint32_t size, uint32_t capacity, bt_load_plan* plan) {
    plan->size = 0;
    plan->chunks = 0;
    if (size < 0xC0u) return BT_LOAD_TOO_SMALL; /* not even a header */
    if (size > capacity) return BT_LOAD_TOO_LARGE;
    plan->size = size;
    plan->chunks = size / BT_LOAD_CHUNK + (size % BT_LOAD_CHUNK != 0);
    return BT_LOAD_OK;
}

void bt_load_plan_chunk(const bt_load_plan* plan, uint32_t i, uint32_t* offset, uint32_t* length) {
    *offset = i * BT_LOAD_CHUNK;
    *length = *offset >= plan->size ? 0 : plan->size - *offset < BT_LOAD_CHUNK ? plan->size - *offset : BT_LOAD_CHUNK;
}

void bt_loading_draw(bt_canvas* frame, const bt_canvas* background, const char* title, bt_rect* bar) {
    const int x = BT_PANEL_X, y = 200, width = BT_PANEL_WIDTH;
    bt_canvas_copy(frame, background);
    bt_canvas_tint_rect(frame, x - 8, y - 16, width + 16, 120, BT_RGB(6, 8, 24), 200);
    bt_draw_text(frame, x, y, 2, "LOADING", 7, BT_RGB(176, 196, 232));
    bt_draw_text(frame, x, y + 24, 3, title, 1 << 20, BT_RGB(255, 255, 255));
    bt_canvas_fill_rect(frame, x, y + 64, width, 24, BT_RGB(255, 214, 90));
    bar->x = x + 2;
    bar->y = y + 66;
    bar->width = width - 4;
    bar->height = 20;
    bt_canvas_fill_rect(frame, bar->x, bar->y, bar->width, bar->height, BT_RGB(12, 16, 40));
}
