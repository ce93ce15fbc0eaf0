/* The save's icon, drawn from a few shapes. */
#include "card_icon.h"

#include "canvas.h"

#define CLEAR 0xFF000000u
#define TILE 4

static int within(int v, int lo, int hi) { return v >= lo && v <= hi; }

/* Inside the rectangle [x0, x1] x [y0, y1] with corners rounded by r. */
static int rounded(int x, int y, int x0, int y0, int x1, int y1, int r) {
    const int dx = x < x0 + r ? x0 + r - x : x > x1 - r ? x - (x1 - r) : 0;
    const int dy = y < y0 + r ? y0 + r - y : y > y1 - r ? y - (y1 - r) : 0;
    return within(x, x0, x1) && within(y, y0, y1) && dx * dx + dy * dy <= r * r + 1;
}

uint32_t card_icon_pixel(int x, int y) {
    if (!rounded(x, y, 1, 7, 30, 24, 4)) return CLEAR;
    if (!rounded(x, y, 2, 8, 29, 23, 3)) return BT_RGB(40, 32, 96); /* the body's edge */
    if (within(x, 9, 22) && within(y, 10, 21)) {                    /* the screen: a sunset */
        const int t = y - 10;
        return BT_RGB(255 - 7 * t, 170 - 9 * t, 80 + 6 * t);
    }
    if (within(x, 8, 23) && within(y, 9, 22)) return BT_RGB(24, 24, 40);
    if ((within(x, 3, 6) && within(y, 15, 16)) || (within(x, 4, 5) && within(y, 13, 18))) return BT_RGB(30, 30, 50);
    if (within(x, 25, 26) && within(y, 16, 17)) return BT_RGB(230, 60, 80);
    if (within(x, 27, 28) && within(y, 13, 14)) return BT_RGB(255, 214, 90);
    return BT_RGB(88, 72, 168);
}

static uint16_t rgb5a3(uint32_t c) {
    if (c == CLEAR) return 0; /* alpha 0 */
    return (uint16_t)(0x8000u | (c >> 19 & 0x1Fu) << 10 | (c >> 11 & 0x1Fu) << 5 | (c >> 3 & 0x1Fu));
}

void card_icon_make(uint8_t* out) {
    int tx, ty, x, y;
    for (ty = 0; ty < CARD_ICON_SIZE; ty += TILE)
        for (tx = 0; tx < CARD_ICON_SIZE; tx += TILE)
            for (y = 0; y < TILE; ++y)
                for (x = 0; x < TILE; ++x) {
                    const uint16_t w = rgb5a3(card_icon_pixel(tx + x, ty + y));
                    *out++ = (uint8_t)(w >> 8);
                    *out++ = (uint8_t)w;
                }
}
