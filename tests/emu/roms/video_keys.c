/* Shows the keys held and how long the game has run, for tests that play it
   with a controller: in mode 3, one 40 x 40 box per key (KEYINPUT bit order,
   five to a row: A B SELECT START RIGHT / LEFT UP DOWN R L), lit in the key's
   colour while it is held and dim otherwise, and a bar below that grows by
   two pixels a phase (32 frames) up to its full 224. Box i has its top left
   corner at (8 + 46 * (i % 5), 6 + 56 * (i / 5)); the bar runs from x 8 on
   lines 124 to 139. */
#include "video_common.h"

enum { KEYS = 10, BOX = 40, BAR_X = 8, BAR_Y = 124, BAR_WIDTH = 224, BAR_HEIGHT = 16 };

#define DIM RGB(5, 5, 8)
#define TRACK RGB(3, 3, 3)

static const uint16_t kLit[KEYS] = {
    RGB(31, 24, 24), RGB(31, 31, 20), RGB(24, 24, 31), RGB(31, 28, 20), RGB(22, 31, 22),
    RGB(22, 31, 31), RGB(31, 22, 31), RGB(28, 31, 24), RGB(24, 28, 31), RGB(31, 26, 28),
};
static const char* const kNames[KEYS] = {"A", "B", "SEL", "STA", "RIGHT", "LEFT", "UP", "DOWN", "R", "L"};

static void fill(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint16_t colour) {
    for (uint32_t row = y; row < y + height; ++row)
        for (uint32_t column = x; column < x + width; ++column) VRAM[row * 240 + column] = colour;
}

static uint32_t box_x(uint32_t i) { return 8 + 46 * (i % 5); }
static uint32_t box_y(uint32_t i) { return 6 + 56 * (i / 5); }

static uint32_t shown_keys;

static void draw_boxes(uint32_t keys) {
    for (uint32_t i = 0; i < KEYS; ++i) {
        uint32_t bit = 1u << i;
        if ((keys ^ shown_keys) & bit) fill(box_x(i), box_y(i), BOX, BOX, (keys & bit) ? kLit[i] : DIM);
    }
    shown_keys = keys;
}

static void enter(uint32_t phase) {
    uint32_t length = phase * 2 < BAR_WIDTH ? phase * 2 : BAR_WIDTH;
    fill(BAR_X, BAR_Y, length, BAR_HEIGHT, WHITE);
}

static void step(uint32_t phase, uint32_t keys) {
    (void)phase;
    draw_boxes(keys);
}

int main(void) {
    rt_screen_init();
    fill(0, 0, 240, 160, RGB(2, 4, 10));
    for (uint32_t i = 0; i < KEYS; ++i) {
        fill(box_x(i), box_y(i), BOX, BOX, DIM);
        uint32_t length = 0;
        while (kNames[i][length] != 0) ++length;
        rt_text((int)((box_x(i) + BOX / 2 - 2 * length) / 4), (int)(box_y(i) + BOX) / 6 + 1, kNames[i], GREY);
    }
    fill(BAR_X, BAR_Y, BAR_WIDTH, BAR_HEIGHT, TRACK);
    shown_keys = 0;
    vid_loop(0, enter, step);
}
